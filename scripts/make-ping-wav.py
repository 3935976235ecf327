#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes data/Ping.wav: a short bell-like ping (16-bit mono, 22050 Hz) made of two decaying tones."""
import math
import struct
import sys
import wave

RATE = 22050
SECONDS = 0.35
TONES = [(1318.5, 0.55), (2637.0, 0.18)]  # E6 and its octave, relative loudness
DECAY = 14.0  # per second
ATTACK = 0.004  # seconds, avoids a click at the start


def sample(t: float) -> float:
    envelope = math.exp(-DECAY * t) * min(1.0, t / ATTACK)
    return envelope * sum(level * math.sin(2 * math.pi * freq * t) for freq, level in TONES)


def main(path: str) -> None:
    frames = bytearray()
    for i in range(int(RATE * SECONDS)):
        frames += struct.pack("<h", int(max(-1.0, min(1.0, sample(i / RATE))) * 32767))
    with wave.open(path, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(bytes(frames))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "data/Ping.wav")
