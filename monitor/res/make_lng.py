#!/usr/bin/env python3
"""Builds vestrix.lng (code page 1250, CR LF) from its UTF-8 source.

The program reads exactly 170 lines of at most 255 characters; anything
else fails the build here instead of at the user's start-up.
"""
import sys

LINES = 170
LONGEST = 255


def main(src, dst):
    with open(src, encoding="utf-8", newline="") as f:
        text = f.read()
    if "\r" in text:
        sys.exit(f"{src}: keep the source with LF line ends")
    lines = text.split("\n")
    if lines and lines[-1] == "":
        lines.pop()
    if len(lines) != LINES:
        sys.exit(f"{src}: {len(lines)} lines, the language file has exactly {LINES}")
    out = bytearray()
    for n, line in enumerate(lines, 1):
        try:
            b = line.encode("cp1250")
        except UnicodeEncodeError as e:
            sys.exit(f"{src}:{n}: not in code page 1250: {e}")
        if len(b) > LONGEST:
            sys.exit(f"{src}:{n}: {len(b)} characters, at most {LONGEST} are read")
        out += b + b"\r\n"
    with open(dst, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
