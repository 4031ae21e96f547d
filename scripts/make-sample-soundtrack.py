#!/usr/bin/env python3
"""Makes share/sample-soundtrack.ogg: a tone sequence timed to share/sample-scenario.txt.

A low drone changes its note every eight seconds; every moment that fires a cue in the sample
scenario gets a short bright blip, so the operator hears the show's shots land on the music.
Needs sox (for the Ogg Vorbis encoding). The result is dedicated to the public domain (CC0).
"""
import math
import os
import struct
import subprocess
import sys
import tempfile
import wave

RATE = 22050
LENGTH_S = 100
HERE = os.path.dirname(os.path.abspath(__file__))
SHARE = os.path.join(HERE, "..", "share")
DRONE_NOTES = [110.0, 130.81, 146.83, 98.0, 123.47, 164.81, 146.83, 110.0]


def cue_times(path):
    times = set()
    with open(path, encoding="utf-8") as scenario:
        for line in scenario:
            field = line.split("\t", 1)[0].strip()
            if not field or field.startswith(";"):
                continue
            minutes, seconds = field.split(":")
            times.add(round((int(minutes) * 60 + float(seconds)) * RATE))
    return sorted(times)


def samples(blips):
    total = LENGTH_S * RATE
    out = [0.0] * total
    for i in range(total):
        note = DRONE_NOTES[(i // (8 * RATE)) % len(DRONE_NOTES)]
        out[i] = 0.18 * math.sin(2 * math.pi * note * i / RATE)
    blip_length = int(0.12 * RATE)
    for start in blips:
        for k in range(min(blip_length, total - start)):
            fade = 1.0 - k / blip_length
            out[start + k] += 0.5 * fade * math.sin(2 * math.pi * 1760.0 * k / RATE)
    return out


def main():
    blips = cue_times(os.path.join(SHARE, "sample-scenario.txt"))
    data = samples(blips)
    with tempfile.TemporaryDirectory() as folder:
        raw = os.path.join(folder, "tones.wav")
        with wave.open(raw, "wb") as w:
            w.setnchannels(1)
            w.setsampwidth(2)
            w.setframerate(RATE)
            w.writeframes(b"".join(struct.pack("<h", int(max(-1, min(1, x)) * 32000))
                                   for x in data))
        target = os.path.join(SHARE, "sample-soundtrack.ogg")
        subprocess.run(["sox", raw, "-C", "-1", target], check=True)
    print(target, os.path.getsize(target), "bytes")


if __name__ == "__main__":
    sys.exit(main())
