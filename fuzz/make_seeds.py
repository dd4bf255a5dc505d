#!/usr/bin/env python3
"""Writes small, varied .zip archives as the fuzzer's starting corpus into the folder given."""
import io
import os
import struct
import sys
import zipfile
import zlib

out = sys.argv[1]
os.makedirs(out, exist_ok=True)


def save(name, data):
    with open(os.path.join(out, name), "wb") as f:
        f.write(data)


def build(entries, **kw):
    buf = io.BytesIO()
    with zipfile.ZipFile(buf, "w", **kw) as z:
        for info, data in entries:
            z.writestr(info, data)
    return buf.getvalue()


def info(name, mode=None, method=zipfile.ZIP_DEFLATED, extra=b"", flag=0):
    i = zipfile.ZipInfo(name, date_time=(2021, 3, 4, 5, 6, 8))
    i.compress_type = method
    if mode is not None:
        i.create_system = 3
        i.external_attr = mode << 16
    i.extra = extra
    i.flag_bits |= flag
    return i


ut = struct.pack("<HHBI", 0x5455, 5, 1, 1600000000)
ntfs = struct.pack("<HHIHHQQQ", 0x000A, 32, 0, 1, 24, 132000000000000000, 0, 0)
upath = lambda raw, uni: struct.pack("<HHBI", 0x7075, 5 + len(uni), 1, zlib.crc32(raw)) + uni

save("plain.zip", build([(info("a.txt"), b"alpha\n" * 20), (info("dir/", 0o40755), b""),
                         (info("dir/b.txt", 0o100644, zipfile.ZIP_STORED), b"bravo")]))
save("names.zip", build([(info("../x", 0o100644), b"x"), (info("/abs", 0o100644), b"y"),
                         (info("C:\\w\\z.txt"), b"z"), (info("a\\b\\c.txt"), b"c"),
                         (info("Gr\u00fc\u00dfe.txt"), b"utf8")]))
save("links.zip", build([(info("l1", 0o120777, zipfile.ZIP_STORED), b"../out"),
                         (info("l2", 0o120777), b"docs/readme"), (info("fifo", 0o10644), b""),
                         (info("dev", 0o20644), b""), (info("suid", 0o104755), b"#!/bin/sh\n")]))
save("extras.zip", build([(info("t.txt", extra=ut + ntfs), b"times"),
                          (info("u.txt", extra=upath(b"u.txt", "\u00fc.txt".encode())), b"unicode")]))
save("zip64.zip", build([(info("big.txt"), b"z" * 5000)], allowZip64=True))
buf = io.BytesIO()
with zipfile.ZipFile(buf, "w") as z:
    with z.open(info("forced64.txt"), "w", force_zip64=True) as f:
        f.write(b"forced zip64 " * 50)
save("forced64.zip", buf.getvalue())
save("sfx.zip", b"MZ" + b"\0" * 300 + build([(info("sfx.txt"), b"inside")]))
save("comment.zip", build([(info("c.txt"), b"c")]) [:-2] + struct.pack("<H", 5) + b"hello")
save("empty.zip", build([]))
save("encrypted.zip", build([(info("e.txt", flag=1), b"secret")]))
