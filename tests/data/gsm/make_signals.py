#!/usr/bin/env python3
"""Writes the GSM test inputs: speech.s16 and edge.s16 (8000 Hz mono, 16-bit little-endian) and
damaged.gsm.

speech.s16: 3 s of a speech-like signal. There is no speech corpus here, so the signal is synthesised the way a vowel is made: a glottal
pulse train whose pitch glides between 95 and 210 Hz, through three formant resonators whose
frequencies move between vowel targets, with syllable-shaped loudness, short noise bursts for
fricatives and pauses between words. Only the standard library is used, with a fixed seed, so
the files are the same on every run.

edge.s16: 1 s that drives the codec's arithmetic to its limits: a full-scale square wave, full-scale
white noise, silence, full-scale clicks and noise a few steps high.

damaged.gsm: 25 frames of random bits behind the 0xD signature, so that lags outside 40..120 and
every block maximum occur.
"""
import math
import random
import struct

RATE = 8000
SECONDS = 3.0

# (F1, F2, F3) in Hz for a few vowels.
VOWELS = [(730, 1090, 2440), (270, 2290, 3010), (530, 1840, 2480), (300, 870, 2240),
          (660, 1720, 2410), (490, 1350, 1690)]


def resonator(freq, bandwidth):
    r = math.exp(-math.pi * bandwidth / RATE)
    return 2 * r * math.cos(2 * math.pi * freq / RATE), -r * r


def write_s16(name, samples):
    with open(name, "wb") as f:
        f.write(b"".join(struct.pack("<h", max(-32768, min(32767, int(v)))) for v in samples))


def speech():
    rng = random.Random(610)
    n = int(RATE * SECONDS)
    states = [[0.0, 0.0] for _ in range(3)]
    phase = 0.0
    out = []
    syllable = 0.28  # seconds a syllable
    for i in range(n):
        t = i / RATE
        s_index = int(t / syllable)
        s_pos = (t % syllable) / syllable
        a = VOWELS[s_index % len(VOWELS)]
        b = VOWELS[(s_index + 1) % len(VOWELS)]
        blend = max(0.0, (s_pos - 0.6) / 0.4)
        formants = [a[j] + (b[j] - a[j]) * blend for j in range(3)]
        pitch = 150 + 55 * math.sin(2 * math.pi * 0.7 * t) + 20 * math.sin(2 * math.pi * 3.1 * t)
        # Glottal source: a pulse each period, shaped a little, and breath noise.
        phase += pitch / RATE
        excitation = 0.0
        if phase >= 1.0:
            phase -= 1.0
            excitation = 1.0
        excitation += 0.02 * rng.uniform(-1, 1)
        pause = (s_index % 5 == 4) and s_pos > 0.5
        fricative = (s_index % 3 == 2) and s_pos < 0.25
        if fricative:
            excitation = 0.35 * rng.uniform(-1, 1)
        y = excitation
        for j, (f, bw) in enumerate(zip(formants, (80, 110, 160))):
            c1, c2 = resonator(f, bw)
            st = states[j]
            v = y + c1 * st[0] + c2 * st[1]
            st[1], st[0] = st[0], v
            y = v - st[1]  # a zero at DC keeps each stage from piling up low frequencies
        envelope = math.sin(math.pi * s_pos) ** 0.6
        if pause:
            envelope *= 0.02
        out.append(y * envelope)
    peak = max(abs(v) for v in out)
    scale = 0.7 * 32767 / peak
    write_s16("speech.s16", [round(v * scale) for v in out])


def edge():
    rng = random.Random(49)
    out = [32767 if (i // 13) % 2 else -32768 for i in range(2000)]
    out += [rng.randint(-32768, 32767) for _ in range(2000)]
    out += [0] * 1000
    out += [(32767 if (i // 57) % 2 else -32768) if i % 57 == 0 else 0 for i in range(1000)]
    out += [rng.randint(-4, 4) for _ in range(2000)]
    write_s16("edge.s16", out)


def damaged():
    rng = random.Random(33)
    frames = bytearray()
    for _ in range(25):
        frame = bytearray(rng.getrandbits(8) for _ in range(33))
        frame[0] = 0xD0 | (frame[0] & 0x0F)
        frames += frame
    with open("damaged.gsm", "wb") as f:
        f.write(bytes(frames))


def main():
    speech()
    edge()
    damaged()


if __name__ == "__main__":
    main()
