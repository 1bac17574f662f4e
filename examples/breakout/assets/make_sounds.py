#!/usr/bin/env python3
"""Synthesises the breakout's sounds into assets/sounds/: its effects (paddle, wall, brick,
steel, capsule, lost ball, button click) as short 16-bit WAV files at 22,050 Hz, written by
Python's own wave module, and its music, an eight-bar loop at 140 beats a minute, as Ogg
Vorbis through libsndfile (ctypes), the library the engine reads it with. Everything is
computed here from sine and square waves and seeded noise: no recorded sound. Run it again
after changing it; the files are kept in the tree."""

import ctypes
import math
import os
import random
import struct
import wave

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "sounds")
RATE = 22050


def envelope(t, attack, decay):
    """A quick rise and an exponential fall, in seconds."""
    if t < attack:
        return t / attack
    return math.exp(-(t - attack) / decay)


def square(phase, softness=8):
    """A square wave with its corners rounded by its first few odd harmonics."""
    return sum(math.sin(phase * k) / k for k in range(1, softness * 2, 2)) * 4 / math.pi * 0.8


def write_wav(name, samples):
    peak = max(1e-9, max(abs(s) for s in samples))
    scale = 0.8 / peak * 32767  # every effect at the same peak, a little below full scale
    path = os.path.join(OUT, name)
    with wave.open(path, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(b"".join(struct.pack("<h", int(round(s * scale))) for s in samples))


def sweep(seconds, start, end, shape, attack=0.003, decay=0.05):
    """A tone gliding from `start` to `end` Hz."""
    out, phase = [], 0.0
    n = int(seconds * RATE)
    for i in range(n):
        t = i / RATE
        f = start * (end / start) ** (i / n)
        phase += 2 * math.pi * f / RATE
        out.append(shape(phase) * envelope(t, attack, decay) * (1 - i / n) ** 0.3)
    return out


def bell(seconds, partials, decay):
    """Struck partials (frequency, level), each dying away."""
    out = []
    for i in range(int(seconds * RATE)):
        t = i / RATE
        out.append(sum(level * math.sin(2 * math.pi * f * t) * envelope(t, 0.002, decay / (1 + k * 0.6))
                       for k, (f, level) in enumerate(partials)))
    return out


def arpeggio(notes, step, shape):
    out = []
    for k, f in enumerate(notes):
        for i in range(int(step * RATE)):
            t = i / RATE
            out.append(shape(2 * math.pi * f * t) * envelope(t, 0.003, step * (0.8 if k < len(notes) - 1 else 2)))
    return out


def effects():
    write_wav("paddle.wav", sweep(0.09, 520, 380, lambda p: square(p, 3), decay=0.04))
    write_wav("wall.wav", sweep(0.05, 1100, 900, math.sin, decay=0.015))
    write_wav("brick.wav", bell(0.16, [(1318.5, 1.0), (1975.5, 0.5), (2637.0, 0.25)], 0.05))
    write_wav("steel.wav", bell(0.12, [(659.3, 0.6), (1870.0, 1.0), (2990.0, 0.4)], 0.03))
    write_wav("capsule.wav", arpeggio([523.3, 659.3, 784.0, 1046.5], 0.06, lambda p: square(p, 4)))
    lost = []
    for i in range(int(0.6 * RATE)):
        t = i / RATE
        f = 600 * (150 / 600) ** (t / 0.6) * (1 + 0.03 * math.sin(2 * math.pi * 9 * t))
        lost.append(f)
    phase, samples = 0.0, []
    for i, f in enumerate(lost):
        phase += 2 * math.pi * f / RATE
        samples.append(square(phase, 5) * envelope(i / RATE, 0.005, 0.35))
    write_wav("lost.wav", samples)
    noise = random.Random(3)
    write_wav("click.wav", [noise.uniform(-1, 1) * math.exp(-i / (0.003 * RATE)) + 0.6 * math.sin(
        2 * math.pi * 2000 * i / RATE) * math.exp(-i / (0.006 * RATE)) for i in range(int(0.03 * RATE))])


# --- The music loop: 8 bars of 4 beats. Notes are (beat, length in beats, MIDI note).
BPM = 140
BEAT = RATE * 60 // BPM  # 9,450 frames: a whole number, so the loop's length is exact
BEATS = 32

BASS = [(b, 0.9, n) for bar, root in enumerate([45, 45, 41, 43, 45, 45, 41, 40])
        for b, n in ((bar * 4 + s, root + o) for s, o in ((0, 0), (1, 12), (2, 0), (3, 12)))]
CHORDS = [[57, 60, 64], [57, 60, 64], [53, 57, 60], [55, 59, 62], [57, 60, 64], [57, 60, 64], [53, 57, 60],
          [52, 56, 59]]
LEAD = [(bar * 4 + i * 0.5, 0.45, CHORDS[bar][i % 3] + 12 + (12 if i in (3, 7) else 0))
        for bar in range(8) for i in range(8)]
MELODY = [(0, 1.5, 76), (1.5, 0.5, 74), (2, 2, 72), (4, 1, 71), (5, 1, 72), (6, 2, 74), (8, 1.5, 72), (9.5, 0.5, 71),
          (10, 2, 69), (12, 2, 71), (14, 2, 67), (16, 1.5, 76), (17.5, 0.5, 77), (18, 2, 76), (20, 1, 74),
          (21, 1, 72), (22, 2, 71), (24, 1.5, 72), (25.5, 0.5, 71), (26, 2, 69), (28, 4, 68)]


def midi(note):
    return 440.0 * 2 ** ((note - 69) / 12)


def add_note(mix, beat, length, note, level, shape, decay):
    start = int(beat * BEAT)
    n = int(length * BEAT)
    f = midi(note)
    for i in range(n):
        t = i / RATE
        release = min(1.0, (n - i) / (0.01 * RATE))  # no click at the note's end
        mix[(start + i) % len(mix)] += level * shape(2 * math.pi * f * t) * envelope(t, 0.005, decay) * release


def music():
    mix = [0.0] * (BEATS * BEAT)
    for beat, length, note in BASS:
        add_note(mix, beat, length, note, 0.35, lambda p: square(p, 3), 0.25)
    for beat, length, note in LEAD:
        add_note(mix, beat, length, note, 0.10, lambda p: square(p, 6), 0.08)
    for beat, length, note in MELODY:
        add_note(mix, beat, length, note, 0.22, lambda p: math.sin(p) + 0.3 * math.sin(2 * p), 0.6)
    noise = random.Random(7)
    for half in range(BEATS * 2):  # a hi-hat every half beat, a little louder on the beat
        start = half * BEAT // 2
        for i in range(int(0.03 * RATE)):
            mix[start + i] += (0.08 if half % 2 else 0.12) * noise.uniform(-1, 1) * math.exp(-i / (0.006 * RATE))
    peak = max(abs(s) for s in mix)
    return [s * 0.7 / peak for s in mix]


class SfInfo(ctypes.Structure):
    _fields_ = [("frames", ctypes.c_int64), ("samplerate", ctypes.c_int), ("channels", ctypes.c_int),
                ("format", ctypes.c_int), ("sections", ctypes.c_int), ("seekable", ctypes.c_int)]


def write_ogg(name, samples, quality):
    SFM_WRITE, OGG_VORBIS, SFC_SET_VBR_ENCODING_QUALITY = 0x20, 0x200000 | 0x60, 0x1300
    lib = ctypes.CDLL("libsndfile.so.1")
    lib.sf_open.restype = ctypes.c_void_p
    lib.sf_open.argtypes = [ctypes.c_char_p, ctypes.c_int, ctypes.POINTER(SfInfo)]
    lib.sf_command.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_void_p, ctypes.c_int]
    lib.sf_writef_float.restype = ctypes.c_int64
    lib.sf_writef_float.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_float), ctypes.c_int64]
    lib.sf_close.argtypes = [ctypes.c_void_p]
    info = SfInfo(0, RATE, 1, OGG_VORBIS, 0, 0)
    handle = lib.sf_open(os.path.join(OUT, name).encode(), SFM_WRITE, ctypes.byref(info))
    if not handle:
        raise SystemExit("%s: cannot be written" % name)
    level = ctypes.c_double(quality)
    lib.sf_command(handle, SFC_SET_VBR_ENCODING_QUALITY, ctypes.byref(level), ctypes.sizeof(level))
    data = (ctypes.c_float * len(samples))(*samples)
    if lib.sf_writef_float(handle, data, len(samples)) != len(samples):
        raise SystemExit("%s: short write" % name)
    lib.sf_close(handle)


os.makedirs(OUT, exist_ok=True)
effects()
write_ogg("music.ogg", music(), 0.25)
