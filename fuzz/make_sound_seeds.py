#!/usr/bin/env python3
"""Writes the sound target's seeds into fuzz/corpus/sound/: a tenth of a second of a 440 Hz tone
at half of full scale in each format the sound reader takes (WAV as 8-, 16- and 24-bit PCM, float,
IMA and Microsoft ADPCM; Ogg Vorbis, FLAC, Opus, MP3), written by libsndfile's own encoders
through ctypes, so nothing but the library the engine reads them with is needed. The platform
tests read the same files. Run again after changing it; the files are kept in the tree."""

import ctypes
import math
import os

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "corpus", "sound")

SFM_WRITE = 0x20
WAV, FLAC, OGG, MPEG = 0x010000, 0x170000, 0x200000, 0x230000
PCM_16, PCM_24, PCM_U8, FLOAT = 0x2, 0x3, 0x5, 0x6
IMA_ADPCM, MS_ADPCM, VORBIS, OPUS, MPEG_LAYER_III = 0x12, 0x13, 0x60, 0x64, 0x82


class SfInfo(ctypes.Structure):
    _fields_ = [("frames", ctypes.c_int64), ("samplerate", ctypes.c_int), ("channels", ctypes.c_int),
                ("format", ctypes.c_int), ("sections", ctypes.c_int), ("seekable", ctypes.c_int)]


lib = ctypes.CDLL("libsndfile.so.1")
lib.sf_open.restype = ctypes.c_void_p
lib.sf_open.argtypes = [ctypes.c_char_p, ctypes.c_int, ctypes.POINTER(SfInfo)]
lib.sf_writef_float.restype = ctypes.c_int64
lib.sf_writef_float.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_float), ctypes.c_int64]
lib.sf_close.argtypes = [ctypes.c_void_p]
lib.sf_strerror.restype = ctypes.c_char_p
lib.sf_strerror.argtypes = [ctypes.c_void_p]


def tone(name, container, subtype, rate, channels, seconds=0.1):
    frames = int(rate * seconds)
    samples = []
    for i in range(frames):
        value = 0.5 * math.sin(2 * math.pi * 440 * i / rate)
        samples.extend([value] * channels)
    info = SfInfo(0, rate, channels, container | subtype, 0, 0)
    path = os.path.join(OUT, name)
    handle = lib.sf_open(path.encode(), SFM_WRITE, ctypes.byref(info))
    if not handle:
        raise SystemExit("%s: %s" % (name, lib.sf_strerror(None).decode()))
    data = (ctypes.c_float * len(samples))(*samples)
    if lib.sf_writef_float(handle, data, frames) != frames:
        raise SystemExit("%s: short write" % name)
    lib.sf_close(handle)


os.makedirs(OUT, exist_ok=True)
tone("tone-pcm16-mono-22050.wav", WAV, PCM_16, 22050, 1)
tone("tone-u8-stereo-11025.wav", WAV, PCM_U8, 11025, 2)
tone("tone-pcm24-mono-8000.wav", WAV, PCM_24, 8000, 1)
tone("tone-float-stereo-11025.wav", WAV, FLOAT, 11025, 2, 0.05)
tone("tone-ima-mono-22050.wav", WAV, IMA_ADPCM, 22050, 1)
tone("tone-msadpcm-stereo-22050.wav", WAV, MS_ADPCM, 22050, 2)
tone("tone-vorbis-mono-22050.ogg", OGG, VORBIS, 22050, 1)
tone("tone-flac-stereo-44100.flac", FLAC, PCM_16, 44100, 2)
tone("tone-opus-mono-48000.opus", OGG, OPUS, 48000, 1)
tone("tone-mp3-mono-22050.mp3", MPEG, MPEG_LAYER_III, 22050, 1)
