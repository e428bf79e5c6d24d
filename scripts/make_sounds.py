#!/usr/bin/env python3
"""Synthesises the ten effect samples into resources/sounds/ as 8SVX files.

Each effect is built from noise bursts, tones and clicks: 8-bit signed mono
at 11025 samples per second. The motor noises (spin, grind, punch) are
written as repeating parts (repeatHiSamples), the others as one-shot parts.
Deterministic: the same files come out on every run. Only the standard library.
"""
import math
import os
import random
import struct

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(ROOT, "resources", "sounds")
RATE = 11025


def seconds(s):
    return int(s * RATE)


def noise(rng, n, smooth=0.0):
    """White noise, optionally low-passed (0 = none, towards 1 = darker)."""
    out, last = [], 0.0
    for _ in range(n):
        last = smooth * last + (1.0 - smooth) * rng.uniform(-1.0, 1.0)
        out.append(last)
    return out


def decay(samples, tau):
    return [v * math.exp(-i / (tau * RATE)) for i, v in enumerate(samples)]


def square(freq_at, n):
    out, phase = [], 0.0
    for i in range(n):
        phase += freq_at(i / RATE) / RATE
        out.append(1.0 if (phase % 1.0) < 0.5 else -1.0)
    return out


def normalise(samples, peak=0.95):
    top = max(abs(v) for v in samples) or 1.0
    return [v * peak / top for v in samples]


def explode(rng):
    return decay(noise(rng, seconds(0.9), 0.85), 0.25)


def shoot(rng):
    n = seconds(0.25)
    return decay(square(lambda t: 1500.0 - 5200.0 * t, n), 0.12)


def bang(rng):
    return decay(noise(rng, seconds(0.35), 0.5), 0.06)


def coin(rng):
    a = square(lambda t: 988.0, seconds(0.08))
    b = decay(square(lambda t: 1319.0, seconds(0.3)), 0.12)
    return [0.6 * v for v in a] + [0.6 * v for v in b]


def printer(rng):
    out = []
    for _ in range(8):  # eight needle strikes
        hit = decay(noise(rng, seconds(0.015), 0.2), 0.004)
        out += hit + [0.0] * seconds(0.01)
    return out


def click(rng):
    n = seconds(0.02)
    return [(1.0 if i < 8 else 0.0) - 0.5 * math.exp(-i / 30.0) * (i >= 8) for i in range(n)]


def spin(rng):
    # A whole number of hum periods, so that the loop joins without a seam.
    n = seconds(0.5)
    hum = [0.6 * math.sin(2 * math.pi * 50.0 * i / RATE) for i in range(n)]
    hiss = noise(rng, n, 0.9)
    return [h + 0.3 * s for h, s in zip(hum, hiss)]


def step(rng):
    n = seconds(0.06)
    thump = [math.sin(2 * math.pi * 120.0 * i / RATE) for i in range(n)]
    return decay([t + 0.3 * s for t, s in zip(thump, noise(rng, n, 0.3))], 0.015)


def grind(rng):
    n = seconds(0.5)
    base = noise(rng, n, 0.6)
    return [v * (0.6 + 0.4 * math.sin(2 * math.pi * 16.0 * i / RATE)) for i, v in enumerate(base)]


def punch(rng):
    out = []
    for _ in range(5):  # five holes punched per loop
        out += decay(noise(rng, seconds(0.02), 0.4), 0.006) + [0.0] * seconds(0.03)
    return out


EFFECTS = [
    ("explode", explode, False), ("shoot", shoot, False), ("bang", bang, False),
    ("coin", coin, False), ("printer", printer, False), ("click", click, False),
    ("spin", spin, True), ("step", step, False), ("grind", grind, True),
    ("punch", punch, True),
]


def chunk(name, data):
    pad = b"\0" if len(data) & 1 else b""
    return name + struct.pack(">I", len(data)) + data + pad


def svx8(samples, loops):
    body = bytes(max(-128, min(127, round(v * 127))) & 0xFF for v in normalise(samples))
    one_shot, repeat = (0, len(body)) if loops else (len(body), 0)
    vhdr = struct.pack(">IIIHBBI", one_shot, repeat, 0, RATE, 1, 0, 0x10000)
    form = b"8SVX" + chunk(b"VHDR", vhdr) + chunk(b"BODY", body)
    return b"FORM" + struct.pack(">I", len(form)) + form


def main():
    os.makedirs(OUT, exist_ok=True)
    rng = random.Random(2650)
    for name, make, loops in EFFECTS:
        path = os.path.join(OUT, name + ".8svx")
        with open(path + ".tmp", "wb") as f:
            f.write(svx8(make(rng), loops))
        os.replace(path + ".tmp", path)
        print(path)


if __name__ == "__main__":
    main()
