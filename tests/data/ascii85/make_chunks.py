#!/usr/bin/env python3
"""Writes chunks.txt: font chunks and their ASCII85 text as Python's
base64.a85encode gives it ("z" for a whole zero group, a short final group cut to
k + 1 characters). One chunk a line: its bytes in hex, a space, the text.

The chunks are seeded random data of 1 to 256 bytes with runs of zero bytes, so
that whole zero groups, zero groups at the end and the extremes all occur."""

import base64
import random

rng = random.Random(85)
chunks = [bytes(256), bytes(3), b"\xff" * 4, b"\xff" * 255, b"\x00\x00\x00\x01"]
sizes = list(range(1, 9)) + [255, 256] + [rng.randint(1, 256) for _ in range(40)]
for size in sizes:
    data = bytearray(rng.getrandbits(8) for _ in range(size))
    for _ in range(rng.randint(0, 3)):
        start = rng.randrange(size)
        length = min(rng.randint(1, 12), size - start)
        data[start:start + length] = bytes(length)
    chunks.append(bytes(data))

with open("chunks.txt", "w", encoding="ascii") as out:
    for chunk in chunks:
        out.write(chunk.hex() + " " + base64.a85encode(chunk).decode("ascii") + "\n")
