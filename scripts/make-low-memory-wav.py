#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes data/low-memory.wav: two falling soft tones, played while free memory is low."""
import math
import struct
import sys
import wave

RATE = 22050
TONES = [(880.0, 0.18), (0.0, 0.06), (587.33, 0.26)]  # Hz (0 = silence), seconds
FADE = 0.015  # seconds at each end of a tone, so it starts and stops without a click


def tone(frequency, seconds):
    count = int(RATE * seconds)
    fade = int(RATE * FADE)
    for i in range(count):
        envelope = min(1.0, i / fade, (count - 1 - i) / fade) if frequency else 0.0
        # A little of the octave above rounds off the plain sine.
        value = math.sin(2 * math.pi * frequency * i / RATE) + 0.3 * math.sin(4 * math.pi * frequency * i / RATE)
        yield int(12000 * envelope * value / 1.3)


def main(path):
    samples = [s for frequency, seconds in TONES for s in tone(frequency, seconds)]
    with wave.open(path, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(struct.pack("<%dh" % len(samples), *samples))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "data/low-memory.wav")
