#!/usr/bin/env python3
"""Prints the target and the working directory of a Windows shortcut (.lnk), one a line.

Usage: read_shortcut.py FILE.lnk
"""
import struct
import sys

HAS_ID_LIST, HAS_LINK_INFO, HAS_NAME, HAS_RELATIVE_PATH = 0x1, 0x2, 0x4, 0x8
HAS_WORKING_DIR, IS_UNICODE = 0x10, 0x80


def read(path):
    data = open(path, "rb").read()
    if len(data) < 76 or struct.unpack_from("<I", data, 0)[0] != 0x4C:
        raise ValueError(f"{path}: not a shortcut")
    (flags,) = struct.unpack_from("<I", data, 20)
    pos, target = 76, ""
    if flags & HAS_ID_LIST:
        pos += 2 + struct.unpack_from("<H", data, pos)[0]
    if flags & HAS_LINK_INFO:
        size, _, info_flags, _, base_offset = struct.unpack_from("<5I", data, pos)
        if info_flags & 0x1:  # a local path
            end = data.index(b"\0", pos + base_offset)
            target = data[pos + base_offset:end].decode("cp1252")
        pos += size
    strings = {}
    for flag in (HAS_NAME, HAS_RELATIVE_PATH, HAS_WORKING_DIR):
        if flags & flag:
            (count,) = struct.unpack_from("<H", data, pos)
            width = 2 if flags & IS_UNICODE else 1
            raw = data[pos + 2:pos + 2 + count * width]
            strings[flag] = raw.decode("utf-16-le" if width == 2 else "cp1252")
            pos += 2 + count * width
    return target or strings.get(HAS_RELATIVE_PATH, ""), strings.get(HAS_WORKING_DIR, "")


if __name__ == "__main__":
    for line in read(sys.argv[1]):
        print(line)
