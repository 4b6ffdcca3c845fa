#!/usr/bin/env python3
"""velsor-host as a browser starts it: frames on its standard streams, a frame announced
over 64 MiB refused (its bytes drained, never held), the connection kept, and a clean exit
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

    oversized = 65 << 20
    process.stdin.write(struct.pack("=I", oversized))
    chunk = b"x" * (1 << 20)
    for _ in range(oversized // len(chunk)):
        process.stdin.write(chunk)
    process.stdin.flush()
    refused = receive()
    assert "64 MiB" in refused.get("refused", ""), refused

    send(b'{"id": 2, "origin": "https://bank.example", "member": "getVersion", "access": "call"}')
    reply = receive()
    assert reply["id"] == 2 and "velsor bridge allow https://bank.example" in reply["refused"], reply

    send(b"\xff\xfe not json")
    assert "not UTF-8 JSON" in receive()["refused"]

    process.stdin.close()
    assert process.wait(timeout=30) == 0, "the end of input ends the host cleanly"
print("host process: ok")
