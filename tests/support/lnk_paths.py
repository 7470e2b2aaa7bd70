#!/usr/bin/python3
"""Prints the target path and the working folder of a Windows shortcut (.lnk), one a line, as the shell link
format stores them: the target in its link information, the folder among its strings.
  lnk_paths.py FILE.lnk"""
import struct
import sys

HAS_ID_LIST, HAS_LINK_INFO, IS_UNICODE = 0x1, 0x2, 0x80
# The optional strings, in the order they are stored; the working folder is the third.
STRING_FLAGS = (0x4, 0x8, 0x10, 0x20, 0x40)
WORKING_DIR = 0x10
LOCAL_BASE_PATH = 0x1

data = open(sys.argv[1], "rb").read()
if data[:4] != b"L\0\0\0":
    sys.exit(f"{sys.argv[1]}: not a shell link")
flags = struct.unpack_from("<I", data, 0x14)[0]
at = 0x4C
if flags & HAS_ID_LIST:
    at += 2 + struct.unpack_from("<H", data, at)[0]
target = ""
if flags & HAS_LINK_INFO:
    size, _, info_flags, _, base_offset = struct.unpack_from("<5I", data, at)
    if info_flags & LOCAL_BASE_PATH:
        start = at + base_offset
        target = data[start:data.index(b"\0", start)].decode("cp1252")
    at += size
working_dir = ""
for flag in STRING_FLAGS:
    if flags & flag:
        count = struct.unpack_from("<H", data, at)[0]
        width = 2 if flags & IS_UNICODE else 1
        text = data[at + 2:at + 2 + count * width].decode("utf-16-le" if width == 2 else "cp1252")
        at += 2 + count * width
        if flag == WORKING_DIR:
            working_dir = text.rstrip("\0")  # Wine counts the string's terminator too
print(target)
print(working_dir)
