"""Writes an RGB harness.Image as a PNG file, to keep what a failed test saw."""

import struct
import zlib


def _chunk(kind, body):
    return (struct.pack(">I", len(body)) + kind + body
            + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))


def write_png(image, path):
    stride = 3 * image.width
    raw = b"".join(b"\x00" + image.rgb[y * stride:(y + 1) * stride] for y in range(image.height))
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(_chunk(b"IHDR", struct.pack(">IIBBBBB", image.width, image.height, 8, 2, 0, 0, 0)))
        f.write(_chunk(b"IDAT", zlib.compress(raw, 6)))
        f.write(_chunk(b"IEND", b""))
