#!/usr/bin/env python3
"""Draws the breakout example's pictures: the frames of its animations, its GUI pictures and its
particle textures, as PNG files beside this script. The PNG files are kept in the repository, so
building the game needs no Python; run this again after changing a picture here.

    python3 make_art.py
"""
import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


class Canvas:
    """RGBA pixels, 0..1 floats, painted with "over" blending."""

    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(w * h)]

    def blend(self, x, y, rgb, a):
        if not (0 <= x < self.w and 0 <= y < self.h) or a <= 0:
            return
        p = self.px[y * self.w + x]
        a = min(a, 1.0)
        out_a = a + p[3] * (1 - a)
        for i in range(3):
            p[i] = (rgb[i] * a + p[i] * p[3] * (1 - a)) / out_a
        p[3] = out_a

    def shape(self, coverage, colour):
        """Paints every pixel whose centre gives coverage(x, y) > 0 with colour(x, y)."""
        for y in range(self.h):
            for x in range(self.w):
                a = coverage(x + 0.5, y + 0.5)
                if a > 0:
                    self.blend(x, y, colour(x + 0.5, y + 0.5), a)

    def save(self, name):
        raw = bytearray()
        for y in range(self.h):
            raw.append(0)
            for x in range(self.w):
                r, g, b, a = self.px[y * self.w + x]
                raw += bytes(max(0, min(255, round(v * 255))) for v in (r, g, b, a))

        def chunk(kind, data):
            body = kind + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

        png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", self.w, self.h, 8, 6, 0, 0, 0))
        png += chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b"")
        path = os.path.join(HERE, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(png)


def hexrgb(value):
    return ((value >> 16 & 255) / 255, (value >> 8 & 255) / 255, (value & 255) / 255)


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def edge(d):
    """Coverage from a signed distance (negative inside), one pixel of anti-aliasing."""
    return max(0.0, min(1.0, 0.5 - d))


def round_rect(x0, y0, x1, y1, r):
    def dist(x, y):
        qx = max(x0 + r - x, 0, x - (x1 - r))
        qy = max(y0 + r - y, 0, y - (y1 - r))
        inside = min(max(x0 + r - x, x - (x1 - r), y0 + r - y, y - (y1 - r)), 0)
        return math.hypot(qx, qy) + inside - r

    return dist


def flat(rgb):
    return lambda x, y: rgb


# --- the game's animations -------------------------------------------------------------------


def ball_frames():
    """Eight frames of a glowing ball whose highlight goes round."""
    for i in range(8):
        c = Canvas(16, 16)
        turn = i * math.pi / 4
        hx, hy = 8 + 3 * math.cos(turn), 8 + 3 * math.sin(turn)

        def colour(x, y):
            t = min(1.0, math.hypot(x - hx, y - hy) / 9)
            return mix((1.0, 1.0, 0.95), (0.95, 0.55, 0.15), t)

        c.shape(lambda x, y: edge(math.hypot(x - 8, y - 8) - 7), colour)
        c.save("art/ball_%d.png" % i)


def paddle_frames():
    """Six frames of a capsule with a band of light sweeping along it."""
    for i in range(6):
        c = Canvas(96, 16)
        band = -10 + i * 23
        body = round_rect(0.5, 1.5, 95.5, 14.5, 6.5)

        def colour(x, y):
            base = mix(hexrgb(0x7FD4FF), hexrgb(0x1F5FA8), y / 16)
            return mix(base, (1, 1, 1), max(0.0, 1 - abs(x - band - y) / 10) * 0.8)

        c.shape(lambda x, y: edge(body(x, y)), colour)
        c.save("art/paddle_%d.png" % i)


BRICK_COLOURS = [0xFF5A6E, 0xFF9F43, 0xFFD93D, 0x6BCB77, 0x4D96FF, 0xB983FF]


def brick_frames():
    """Six coloured bricks, then a steel brick whole and cracked: frames of one frame set."""
    colours = BRICK_COLOURS + [0xB8C4D0, 0xB8C4D0]
    for i, value in enumerate(colours):
        c = Canvas(56, 20)
        rgb = hexrgb(value)
        body = round_rect(0.5, 0.5, 55.5, 19.5, 4)

        def colour(x, y):
            shade = 1.25 - y / 20 * 0.55
            col = tuple(min(1.0, v * shade) for v in rgb)
            if y < 5:  # a glossy top
                col = mix(col, (1, 1, 1), 0.35 * (1 - y / 5))
            return col

        c.shape(lambda x, y: edge(body(x, y)), colour)
        c.shape(lambda x, y: edge(abs(body(x, y) + 1.5) - 0.6) * 0.5, flat((0.1, 0.1, 0.15)))
        if i == 7:  # the crack of a steel brick hit once
            pts = [(10, 2), (18, 9), (15, 12), (27, 17), (31, 11), (44, 18)]
            for (ax, ay), (bx, by) in zip(pts, pts[1:]):
                c.shape(lambda x, y: edge(segment(x, y, ax, ay, bx, by) - 0.8), flat((0.15, 0.15, 0.2)))
        c.save("art/brick_%d.png" % i)


def segment(x, y, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(x - ax - t * dx, y - ay - t * dy)


def capsule_frames():
    """Eight frames of a white capsule with a turning stripe; the game tints it per kind."""
    for i in range(8):
        c = Canvas(32, 16)
        body = round_rect(0.5, 0.5, 31.5, 15.5, 7.5)
        stripe = 16 + 12 * math.cos(i * math.pi / 4)

        def colour(x, y):
            base = mix((1, 1, 1), (0.55, 0.55, 0.6), y / 16)
            return mix(base, (0.3, 0.3, 0.35), max(0.0, 1 - abs(x - stripe) / 2.5) * 0.8)

        c.shape(lambda x, y: edge(body(x, y)), colour)
        c.save("art/capsule_%d.png" % i)


# --- particle textures ------------------------------------------------------------------------


def particle_textures():
    c = Canvas(16, 16)
    c.shape(lambda x, y: max(0.0, 1 - math.hypot(x - 8, y - 8) / 8) ** 1.5, flat((1, 1, 1)))
    c.save("fx/spark.png")
    c = Canvas(16, 16)

    def star(x, y):
        dx, dy = abs(x - 8), abs(y - 8)
        return max(0.0, 1 - min(dx, dy) / 1.5) * max(0.0, 1 - max(dx, dy) / 8) + max(0.0, 1 - math.hypot(dx, dy) / 4)

    c.shape(star, flat((1, 1, 1)))
    c.save("fx/star.png")


# --- GUI pictures, in the order gui.amf numbers them ------------------------------------------


def gui_pictures():
    ink = hexrgb(0x0E1A33)
    gold = hexrgb(0xFFD27A)
    blue = hexrgb(0x3C6FD1)

    # 0: a frame strip of eight 16 x 16 cells: corners and edges of a rounded gold border.
    c = Canvas(128, 16)
    cells = [(0, 0), (1, 0), (2, 0), (0, 2), (1, 2), (2, 2), (0, 1), (2, 1)]  # (column, row) of a 3 x 3 frame
    for n, (col, row) in enumerate(cells):
        ox = n * 16

        def cover(x, y, col=col, row=row, ox=ox):
            if not ox <= x < ox + 16:
                return 0.0
            # The cell's place in a 48 x 48 frame; an edge cell is the same all along.
            fx = {0: x - ox, 1: 24.0, 2: x - ox + 32}[col]
            fy = {0: y, 1: 24.0, 2: y + 32}[row]
            d = round_rect(1, 1, 47, 47, 8)(fx, fy)
            return edge(abs(d + 2.5) - 2)

        c.shape(cover, lambda x, y: mix(gold, (1, 1, 1), 0.3 if y < 8 else 0))
    c.save("gui/frame.png")

    # 1: the framed window's background, stretched.
    c = Canvas(64, 64)
    c.shape(lambda x, y: 0.92, lambda x, y: mix(hexrgb(0x1B2D5C), ink, y / 64))
    c.save("gui/background.png")

    # 2: the header ribbon above a framed window, 256 x 24.
    c = Canvas(256, 24)
    ribbon = round_rect(8.5, 2.5, 247.5, 21.5, 9)
    c.shape(lambda x, y: edge(ribbon(x, y)), lambda x, y: mix(gold, hexrgb(0xC7862E), y / 24))
    c.shape(lambda x, y: edge(abs(ribbon(x, y) + 2) - 0.7) * 0.6, flat((1, 1, 0.9)))
    c.save("gui/header.png")

    # 3: a button, 160 x 32 a state: normal, hover, pressed, disabled.
    c = Canvas(160, 128)
    looks = [(blue, hexrgb(0x1E3C80)), (hexrgb(0x5A8CF0), hexrgb(0x2A50A0)),
             (hexrgb(0x1E3C80), hexrgb(0x2E5CC0)), (hexrgb(0x606878), hexrgb(0x40444C))]
    for s, (top, bottom) in enumerate(looks):
        body = round_rect(1, s * 32 + 1, 159, s * 32 + 31, 10)
        c.shape(lambda x, y: edge(body(x, y)), lambda x, y, s=s, t=top, b=bottom: mix(t, b, (y - s * 32) / 32))
        c.shape(lambda x, y: edge(abs(body(x, y) + 1) - 0.8) * 0.8, flat(gold if s < 3 else (0.7, 0.7, 0.7)))
    c.save("gui/button.png")

    # 4, 5: a check box and a radio button, 16 x 16 an image: normal off and on, hover off and
    # on, disabled off and on.
    for name, radius in (("check", 3), ("radio", 7.5)):
        c = Canvas(16, 96)
        for s in range(6):
            oy = s * 16
            body = round_rect(1, oy + 1, 15, oy + 15, radius)
            rim = gold if s in (2, 3) else ((0.5, 0.5, 0.55) if s > 3 else (0.85, 0.88, 0.95))
            c.shape(lambda x, y: edge(body(x, y)), flat(ink))
            c.shape(lambda x, y: edge(abs(body(x, y) + 0.8) - 0.8), flat(rim))
            if s % 2:
                dot = round_rect(4.5, oy + 4.5, 11.5, oy + 11.5, radius * 0.45)
                c.shape(lambda x, y: edge(dot(x, y)), flat(gold if s < 4 else (0.5, 0.5, 0.55)))
        c.save("gui/%s.png" % name)

    # 6: the slider's track, a frame strip of eight 8 x 8 cells; 7: its thumb, 12 x 20.
    c = Canvas(64, 8)
    c.shape(lambda x, y: 1.0 if 2 <= y < 6 or (x % 8 in (2, 3, 4, 5) and x // 8 in (6, 7)) else 0.0,
            lambda x, y: mix(hexrgb(0x8FA8D8), ink, y / 8))
    c.save("gui/track.png")
    c = Canvas(12, 20)
    thumb = round_rect(0.5, 0.5, 11.5, 19.5, 4)
    c.shape(lambda x, y: edge(thumb(x, y)), lambda x, y: mix((1, 0.95, 0.8), gold, y / 20))
    c.save("gui/thumb.png")

    # 8: the list's face (stretched over it), 9: behind its lines, 10: a selected line.
    for name, rgb, alpha in (("listface", hexrgb(0x5A8CF0), 0.15), ("listback", ink, 0.85), ("highlight", blue, 1.0)):
        c = Canvas(8, 8)
        c.shape(lambda x, y, a=alpha: a, flat(rgb))
        c.save("gui/%s.png" % name)

    # 11, 12: the scroll bar's step buttons, 16 x 16 a state; 13: its thumb, 16 x 24.
    for name, up in (("up", True), ("down", False)):
        c = Canvas(16, 64)
        for s in range(4):
            oy = s * 16
            face = [blue, hexrgb(0x5A8CF0), hexrgb(0x1E3C80), (0.4, 0.4, 0.45)][s]
            body = round_rect(0.5, oy + 0.5, 15.5, oy + 15.5, 3)
            c.shape(lambda x, y: edge(body(x, y)), flat(face))

            def arrow(x, y, oy=oy):
                ty = (y - oy - 4) if up else (12 - (y - oy))
                return 1.0 if 0 <= ty <= 7 and abs(x - 8) <= ty * 0.7 else 0.0

            c.shape(arrow, flat(gold))
        c.save("gui/%s.png" % name)
    c = Canvas(16, 24)
    pin = round_rect(2.5, 0.5, 13.5, 23.5, 4)
    c.shape(lambda x, y: edge(pin(x, y)), lambda x, y: mix(gold, hexrgb(0xC7862E), x / 16))
    c.save("gui/pin.png")

    # 14: a panel skin of nine 32 x 32 cells, for the high-score table.
    c = Canvas(96, 96)
    panel = round_rect(2, 2, 94, 94, 14)
    c.shape(lambda x, y: edge(panel(x, y)) * 0.8, flat(ink))
    c.shape(lambda x, y: edge(abs(panel(x, y) + 1.5) - 1.2), flat(hexrgb(0x5A8CF0)))
    c.save("gui/panel.png")


if __name__ == "__main__":
    ball_frames()
    paddle_frames()
    brick_frames()
    capsule_frames()
    particle_textures()
    gui_pictures()
