#!/usr/bin/env python3
"""velsor-host.exe as a browser on Windows starts it (under Wine): its hello first, framed
requests from an allowed origin answered by the registered DLL made through COM, Chrome's
--parent-window argument accepted, the page policy kept (no server mode, no file names), an
origin not allowed refused with the command that allows it, and a clean exit at the end of
input. With ANSWER_CHOOSER_EXE, also a signature: the chooser the control shows names the
page and is answered by that program, as the user would.
Usage: host_frames.py VELSOR_HOST_EXE ALLOWED_ORIGIN [ANSWER_CHOOSER_EXE]"""
import json
import struct
import subprocess
import sys

host, allowed = sys.argv[1], sys.argv[2]
answerer = sys.argv[3] if len(sys.argv) > 3 else None


def run(origin, requests):
    process = subprocess.Popen(
        ["wine", host, "chrome-extension://fpkilmkpfceombilonhmapgmaeffblcf/", "--parent-window=0"],
        stdin=subprocess.PIPE, stdout=subprocess.PIPE)

    def receive():
        header = process.stdout.read(4)
        assert len(header) == 4, "the host closed its output"
        (length,) = struct.unpack("=I", header)
        return json.loads(process.stdout.read(length))

    replies = [receive()]
    for number, (member, access, args) in enumerate(requests, 1):
        raw = json.dumps({"id": number, "origin": origin, "member": member, "access": access,
                          "args": args}).encode()
        process.stdin.write(struct.pack("=I", len(raw)) + raw)
        process.stdin.flush()
        replies.append(receive())
    process.stdin.close()
    assert process.wait(timeout=120) == 0, "the end of input ends the host cleanly"
    return replies


hello, version, encoded, server, named = run(allowed, [
    ("getVersion", "call", []),
    ("VLBase64Encode", "call", ["abc"]),
    ("VLServerMode", "put", [1]),
    ("VLAddFile", "call", ["C:\\\\windows\\\\win.ini"]),
])
assert hello == {"id": None, "hello": {"version": "2.0.59.4", "protocol": 1}}, hello
assert version["result"] == "2.0.59.4" and version["errorNum"] == 0, version
assert encoded["result"] == "YWJj\n", encoded
assert "may not turn on VLServerMode" in server.get("refused", ""), server
assert "may not name a file" in named.get("refused", ""), named

_, refused = run("https://elsewhere.example", [("getVersion", "call", [])])
assert "velsor bridge allow https://elsewhere.example" in refused.get("refused", ""), refused
if answerer:
    user = subprocess.Popen(["wine", answerer, "90"], stdout=subprocess.PIPE, text=True)
    _, _, signed = run(allowed, [("VLSetPlainText", "call", ["signed through the host"]),
                                 ("VLAttachedSign", "call", [""])])
    said, _ = user.communicate(timeout=120)
    assert user.returncode == 0, f"no chooser was shown; the signature gave {signed}"
    assert allowed in said, f"the chooser does not name the page: {said}"
    assert signed["errorNum"] == 0 and signed["result"].startswith("MII"), signed

print("velsor-host.exe: ok")
