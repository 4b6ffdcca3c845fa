#!/usr/bin/env python3
"""Turns the suite's S/MIME messages into a page script's data.

Each multipart/signed message yields its detached signature (Base64) and the part it signs,
byte for byte as the signer canonicalised it (CRLF line ends), and an attached copy: the same
SignedData with the signed part put inside its content, so both verifying members see the same
signer and certificates. Usage: page_messages.py SMIME_DIR PAGE_JS OUTPUT_JS
"""

import base64
import json
import os
import re
import sys


def der_length(length):
    if length < 0x80:
        return bytes([length])
    octets = length.to_bytes((length.bit_length() + 7) // 8, "big")
    return bytes([0x80 | len(octets)]) + octets


def der(tag, content):
    return bytes([tag]) + der_length(len(content)) + content


def read_element(data, offset):
    """The tag, the content's start and its end of the DER element at offset."""
    tag = data[offset]
    first = data[offset + 1]
    start = offset + 2
    if first < 0x80:
        length = first
    else:
        count = first & 0x7F
        length = int.from_bytes(data[start:start + count], "big")
        start += count
    end = start + length
    if end > len(data):
        raise ValueError("element runs past its message")
    return tag, start, end


def elements(data, start, end):
    while start < end:
        tag, content_start, content_end = read_element(data, start)
        yield tag, data[start:content_end], data[content_start:content_end]
        start = content_end


def attach(signature, content):
    """The SignedData with `content` as its encapsulated data."""
    tag, start, end = read_element(signature, 0)
    (_, oid, _), (_, _, explicit) = list(elements(signature, start, end))[:2]
    [(_, _, signed_data)] = list(elements(explicit, 0, len(explicit)))
    fields = list(elements(signed_data, 0, len(signed_data)))
    version, digests, (_, _, content_info) = fields[0], fields[1], fields[2]
    data_oid = list(elements(content_info, 0, len(content_info)))[0][1]
    inner = der(0x30, data_oid + der(0xA0, der(0x04, content)))
    rebuilt = version[1] + digests[1] + inner + b"".join(f[1] for f in fields[3:])
    return der(tag, oid + der(0xA0, der(0x30, rebuilt)))


def split(message):
    """The signed part and the signature of one multipart/signed message."""
    boundary = re.search(rb'boundary="([^"]+)"', message).group(1)
    delimiter = b"--" + boundary
    parts = message.split(delimiter)
    # parts[1] and parts[2] are the signed part and the signature part; each starts after
    # the delimiter's line end and ends before the line end that precedes the next one.
    signed = re.sub(rb"\r?\n", b"\r\n", parts[1])
    signed = signed[2:] if signed.startswith(b"\r\n") else signed
    signed = signed[:-2] if signed.endswith(b"\r\n") else signed
    body = re.split(rb"\r?\n\r?\n", parts[2], maxsplit=1)[1]
    signature = base64.b64decode(b"".join(body.split()))
    return signed, signature


def wrapped(data):
    text = base64.b64encode(data).decode()
    return "".join(text[i:i + 64] + "\n" for i in range(0, len(text), 64))


def main():
    smime_dir, page, output = sys.argv[1:4]
    rows = []
    for name in sorted(os.listdir(smime_dir)):
        if not name.endswith(".eml"):
            continue
        with open(os.path.join(smime_dir, name), "rb") as handle:
            signed, signature = split(handle.read())
        test = name[len("Signed"):-len(".eml")]
        rows.append([test, wrapped(signature), signed.decode("ascii"),
                     wrapped(attach(signature, signed))])
    with open(page, encoding="utf-8") as handle:
        script = handle.read()
    with open(output, "w", encoding="utf-8") as handle:
        handle.write("var messages = " + json.dumps(rows) + ";\n" + script)


if __name__ == "__main__":
    main()
