#!/usr/bin/env python3
"""velsor-host as a browser starts it: frames on its standard streams, its version and
protocol told first, a frame announced
over the 32 MiB a request may carry refused with its id (its bytes drained, never held), a
piece with a huge id refused without ending the host, the connection kept, and a clean exit
at the end of input. Usage: host_process_test.py VELSOR_HOST"""
import json
import os
import struct
import subprocess
import sys
import tempfile

host = sys.argv[1]
with tempfile.TemporaryDirectory() as work:
    env = dict(os.environ, VELSOR_HOME=os.path.join(work, "home"), VELSOR_UI="none")
    process = subprocess.Popen([host, "chrome-extension://fpkilmkpfceombilonhmapgmaeffblcf/"],
                               stdin=subprocess.PIPE, stdout=subprocess.PIPE, env=env)

    def send(raw):
        process.stdin.write(struct.pack("=I", len(raw)) + raw)
        process.stdin.flush()

    def receive():
        header = process.stdout.read(4)
        assert len(header) == 4, "the host closed its output"
        (length,) = struct.unpack("=I", header)
        assert length <= 1 << 20, f"a reply of {length} bytes is over the browsers' limit"
        return json.loads(process.stdout.read(length))

    hello = receive()
    assert hello == {"id": None, "hello": {"version": "2.0.59.4", "protocol": 1}}, hello

    oversized = 33 << 20
    process.stdin.write(struct.pack("=I", oversized))
    head = b'{"id": 1, "origin": "https://bank.example", "args": ["'
    process.stdin.write(head)
    chunk = b"x" * (1 << 20)
    for _ in range(oversized // len(chunk) - 1):
        process.stdin.write(chunk)
    process.stdin.write(b"x" * (len(chunk) - len(head)))
    process.stdin.flush()
    refused = receive()
    assert refused["id"] == 1 and "32 MiB" in refused.get("refused", ""), refused

    send(json.dumps({"id": "7" * 2_100_000, "origin": "https://bank.example", "piece": 0,
                     "pieces": 2, "text": "{"}).encode())
    refused = receive()
    assert refused["id"] is None and "at most 64 bytes" in refused["refused"], refused

    send(b'{"id": 2, "origin": "https://bank.example", "member": "getVersion", "access": "call"}')
    reply = receive()
    assert reply["id"] == 2 and "velsor bridge allow https://bank.example" in reply["refused"], reply

    send(b"\xff\xfe not json")
    assert "not UTF-8 JSON" in receive()["refused"]

    process.stdin.close()
    assert process.wait(timeout=30) == 0, "the end of input ends the host cleanly"
print("host process: ok")
