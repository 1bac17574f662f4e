#!/usr/bin/env python3
"""Writes the fuzz targets' seed corpora into fuzz/corpus/<target>/: a few small files of each
format that between them reach its main paths. Run again after changing it; the files are kept
in the tree, beside the inputs long runs have found faults with and the JPEG files made by
ImageMagick and libjpeg (ycck.jpg, cmyk-adobe.jpg) (kept as seeds so that every
run tries them again). The art they name (art.amf, art.png, art.bmp, art.tga, dot.png) is written by the
targets themselves into their scratch folder."""

import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


def put(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    if isinstance(data, str):
        data = data.encode("latin-1")
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def crlf(text):
    return text.replace("\n", "\r\n")


# --- AMF: header, index, run-length tokens ------------------------------------------------
LITERAL, FILL, CLEAR = 0x00000000, 0x10000000, 0x11000000


def amf(pictures, kind=None, delay=100):
    """pictures: list of (width, height, [tokens as 32-bit words])."""
    width = max([w for w, _, _ in pictures] or [0])
    height = max([h for _, h, _ in pictures] or [0])
    if kind is None:
        kind = 0 if len({(w, h) for w, h, _ in pictures}) <= 1 else 1
    out = struct.pack("<4siiHHHHI", b"AMFH", width, height, len(pictures), delay, kind, 1000, 0)
    offset = 24 + 16 * len(pictures)
    blobs = []
    for w, h, words in pictures:
        blob = struct.pack("<%dI" % len(words), *words)
        out += struct.pack("<IIii", offset, len(blob), w, h)
        offset += len(blob)
        blobs.append(blob)
    return out + b"".join(blobs)


def amf_seeds():
    red, green = 0xFFFF0000, 0x8000FF00
    # 4 x 3: a literal, a fill and a transparent run.
    mixed = [LITERAL | 3, red, green, 0xFF0000FF, FILL | 5, red, CLEAR | 4]
    put("amf", "uniform.amf", amf([(4, 3, mixed), (4, 3, [FILL | 12, green])]))
    put("amf", "variable.amf", amf([(1, 1, [LITERAL | 1, red]), (3, 2, [CLEAR | 6]), (2, 5, mixed[:4] + [FILL | 7, red])]))
    put("amf", "empty.amf", amf([]))
    # Damage the readers must refuse: data past the end, a size that is no whole token.
    cut = amf([(4, 3, mixed)])
    put("amf", "cut.amf", cut[:-6])
    odd = bytearray(amf([(2, 2, [FILL | 4, red])]))
    struct.pack_into("<I", odd, 24 + 4, 7)
    put("amf", "odd-size.amf", bytes(odd))


# --- Images -------------------------------------------------------------------------------
def png(width, height, colour_type, depth, rows, palette=None, trns=None, interlace=0):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)

    out = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, depth, colour_type, 0, 0, interlace))
    if palette:
        out += chunk(b"PLTE", bytes(palette))
    if trns:
        out += chunk(b"tRNS", bytes(trns))
    if interlace:
        # Adam7: seven passes, each a small image of its own rows (8-bit samples only here).
        size = len(rows[0]) // width
        raw = b""
        for x0, y0, dx, dy in ((0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2),
                               (0, 1, 1, 2)):
            for y in range(y0, height, dy):
                pixels = [bytes(rows[y][x * size:(x + 1) * size]) for x in range(x0, width, dx)]
                if pixels:
                    raw += b"\x00" + b"".join(pixels)
    else:
        raw = b"".join(b"\x00" + bytes(row) for row in rows)
    return out + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b"")


def bmp(width, height, bits, pixels_rows, palette=None, top_down=False, compression=0, masks=None, data=None):
    """data: the pixel data as stored (run-length compressed), instead of pixels_rows."""
    row_bytes = (width * bits + 31) // 32 * 4
    if data is None:
        data = b""
        for row in pixels_rows if top_down else reversed(pixels_rows):
            data += bytes(row).ljust(row_bytes, b"\0")
    header_size = 40 + (12 if masks else 0)
    pal = bytes(palette or b"")
    offset = 14 + header_size + len(pal)
    out = b"BM" + struct.pack("<IHHI", offset + len(data), 0, 0, offset)
    out += struct.pack("<IiiHHIIiiII", 40, width, -height if top_down else height, 1, bits, compression, len(data),
                       2835, 2835, len(pal) // 4, 0)
    if masks:
        out += struct.pack("<III", *masks)
    return out + pal + data


def dds(width, height, pf_flags, four_cc, bits, masks, data, levels=1):
    """A DDS file: the magic, the 124-byte header (with its 32-byte pixel format), the data."""
    if isinstance(four_cc, bytes):
        four_cc = struct.unpack("<I", four_cc)[0]
    flags = 0x1007 | (0x20000 if levels > 1 else 0)
    header = struct.pack("<4sIIIIIII44x", b"DDS ", 124, flags, height, width, 0, 0, levels)
    header += struct.pack("<IIII4I", 32, pf_flags, four_cc, bits, *masks)
    header += struct.pack("<II12x", 0x1000 | (0x400008 if levels > 1 else 0), 0)
    return header + bytes(data)


def tga(width, height, image_type, depth, body, colour_map=None, descriptor=0x20):
    map_type = 1 if colour_map else 0
    map_len = len(colour_map) // 3 if colour_map else 0
    out = struct.pack("<BBBHHBHHHHBB", 0, map_type, image_type, 0, map_len, 24 if colour_map else 0, 0, 0, width,
                      height, depth, descriptor)
    return out + bytes(colour_map or b"") + bytes(body)


def image_seeds():
    rgba = [[255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 0], [9, 9, 9, 255, 200, 100, 50, 255, 1, 2, 3, 4]]
    put("image", "rgba.png", png(3, 2, 6, 8, rgba))
    put("image", "palette.png", png(4, 2, 3, 2, [[0b00011011], [0b11100100]], palette=[0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255],
                                    trns=[0, 128]))
    put("image", "grey-alpha-interlaced.png", png(3, 3, 4, 8, [[10, 255, 20, 128, 30, 0]] * 3, interlace=1))
    put("image", "rgb16.png", png(2, 1, 2, 16, [[255, 255, 0, 0, 0, 0, 0, 0, 255, 255, 0, 0]]))
    put("image", "rgb24.bmp", bmp(3, 2, 24, [[0, 0, 255, 0, 255, 0, 255, 0, 0]] * 2))
    put("image", "argb32-top-down.bmp", bmp(2, 2, 32, [[1, 2, 3, 4, 5, 6, 7, 8]] * 2, top_down=True))
    put("image", "index4.bmp", bmp(5, 2, 4, [[0x01, 0x23, 0x40]] * 2, palette=[0, 0, 0, 0, 255, 255, 255, 0] * 8))
    put("image", "bitfields16.bmp", bmp(2, 2, 16, [[0x1F, 0x00, 0xE0, 0x07]] * 2, compression=3,
                                         masks=(0xF800, 0x07E0, 0x001F)))
    put("image", "true32.tga", tga(2, 2, 2, 32, [1, 2, 3, 255, 4, 5, 6, 128] * 2, descriptor=0x28))
    put("image", "rle24.tga", tga(4, 2, 10, 24, [0x83, 10, 20, 30, 0x01, 1, 2, 3, 4, 5, 6, 0x81, 7, 8, 9]))
    put("image", "mapped.tga", tga(3, 1, 1, 8, [0, 1, 2], colour_map=[0, 0, 255, 0, 255, 0, 255, 0, 0]))
    put("image", "grey.tga", tga(2, 2, 3, 8, [0, 64, 128, 255], descriptor=0))
    # Run-length BMP: RLE8 with an absolute run, a delta and the end codes; RLE4 with both runs.
    palette = [0, 0, 0, 0, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0]
    put("image", "rle8.bmp", bmp(4, 3, 8, [], palette=palette, compression=1,
                                 data=bytes([0, 3, 1, 2, 3, 0, 1, 0, 0, 0, 0, 2, 1, 1, 2, 3, 0, 0, 4, 2, 0, 1])))
    put("image", "rle4.bmp", bmp(5, 2, 4, [], palette=palette, compression=2,
                                 data=bytes([5, 0x12, 0, 0, 0, 3, 0x31, 0x20, 2, 0x33, 0, 1])))
    # DDS: uncompressed with mip levels, luminance, and each DXT kind (one 4 x 4 block).
    colour_block = struct.pack("<HHI", 0xF800, 0x001F, 0xE4E4E4E4)
    put("image", "argb-mips.dds", dds(4, 2, 0x41, 0, 32, (0xFF0000, 0xFF00, 0xFF, 0xFF000000),
                                      bytes(range(32)) + bytes(range(8)) + bytes(4), levels=3))
    put("image", "a8l8.dds", dds(2, 2, 0x20001, 0, 16, (0xFF, 0, 0, 0xFF00), bytes([0, 255, 128, 64, 255, 0, 9, 9])))
    put("image", "dxt1.dds", dds(4, 4, 4, b"DXT1", 0, (0, 0, 0, 0), struct.pack("<HHI", 0, 0x8000, 0x1B1B1B1B)))
    put("image", "dxt3.dds", dds(5, 3, 4, b"DXT3", 0, (0, 0, 0, 0), (bytes(range(0, 128, 16)) + colour_block) * 2))
    put("image", "dxt5.dds", dds(4, 4, 4, b"DXT5", 0, (0, 0, 0, 0), bytes([140, 0, 0x88, 0xC6, 0xFA, 0x88, 0xC6, 0xFA])
                                 + colour_block))
    data = os.path.join(HERE, "..", "tests", "platform", "data")
    for name in ("grey.jpg", "quadrants.jpg"):
        with open(os.path.join(data, name), "rb") as f:
            put("image", name, f.read())


# --- List files -----------------------------------------------------------------------------
def list_seeds():
    put("lists", "textures.lst", crlf("; handle resident description index mips file\n"
                                      "#1 1 0 0 1 art.png\n#2 0 1 0 0 ART.TGA\n#3 0 0 2 1 art.amf\n"
                                      "#4 0 1 7 1 art.amf\n#5 1 0 0 3 art.bmp\n#5 1 0 0 1 dot.png\n"
                                      "#0 0 0 0 1 dot.png\n#6 0 0 0 1 missing.png\n#7 0 0\n"))
    put("lists", "frames.lst", crlf("# frames: handle resident description file\n#10 1 0 art.amf\n#11 0 1 art.amf\n"
                                    "#12 0 0 art.amf\n#13 0 0 art.png\n#10 1 0 art.amf\n"))
    put("lists", "no-dot.lst", crlf("#20 0 0 0 1 art.png\n#21 0 0 0 1 nodot\n#22 0 0 0 1 dot.png\n"))
    # LF lines, with the causes a load names: fields that are no numbers, a missing picture.
    put("lists", "unix-lines.lst", "#1 1 0 0 1 art.png\n#2x 0 one 0 1 art.amf\n#3 0 0 9 1 art.amf\n#4 0\n"
                                   "#5 0 0 0 1 missing.png\n#6 0 0 0 1 nodot\n")


# --- INI files ------------------------------------------------------------------------------
def ini_seeds():
    put("ini", "types.ini", crlf("; comment\n[Numbers]\ni=42\nd=0xFF102030\nf = -2.5 ; trailing\nb=FALSE\n"
                                 "p=10,20\nr=1 2 3 4\nv=0.5,1.5,2.5\nbin=AAPPKB\n\n[Text]\ns=hello // note\n"
                                 "g=\xb2\xe2\xca\xd4\n  indented=1\n//slashes\nnoequals\n[Empty]\n"))
    put("ini", "unix-lines.ini", "[A]\nx=5\ny=false\n[B]\nk=v\n")
    put("ini", "gbk-names.ini", crlf("[\xc3\xfb\x5d]\n\xbc\xfc=\xd6\xb5\n[S\x81]\nk=1]2\n"))
    put("ini", "no-end.ini", "[S]\r\na=1")
    put("ini", "mixed-lines.ini", "[S]\r\na=1\nb = 2 ;c\n\nc=3\r\n[T]\n  x=1\nv=7px\np=1,,2\n[U]\n")
    # UTF-8: read as GBK, the last byte of the section name would take its "]".
    put("ini", "utf8-names.ini", crlf("[\u4e2d]\n\u540d=\u503c\n").encode("utf-8") + b"[S\xe4\xb8]\r\nk=\xe4\xb8]2\r\n")


# --- Text (GBK or UTF-8): the text, then the choices taken from its end -------------------
def text_seeds():
    put("text", "ascii", "Hello, world! The quick brown fox.\n" + "\x01\x02\x7f\x00\x40\x10\x05\x02")
    put("text", "gbk", "\xc4\xe3\xba\xc3\xa3\xac\xca\xc0\xbd\xe7 \xb2\xe2\xca\xd4\xce\xc4\xd7\xd6" + "\x20\x30\x40\x50\x02\x01")
    put("text", "lead-byte-ends", "abc\xb2\xe2\xca\x81" + "\xff\x00\x00\x10\x80")
    put("text", "long-lines", ("\xd2\xbb\xb6\xfe\xc8\xfd ABC " * 30) + "\n\n" + "\x08\x00\x00\x20\x46")
    # UTF-8 (the 18th byte from the end chooses it), with sequences cut short and overlong.
    put("text", "utf8", "\u4f60\u597d, \u4e16\u754c \U0001f600".encode("utf-8") + b"\xe4\xb8 \xc0\xaf \xed\xa0\x80 \xe4"
        + bytes([1, 0, 255, 255, 255, 255, 0, 40, 0, 30, 0, 12, 0, 20, 0, 10, 0, 0]))


# --- GUI description files: the file, then a NUL and pointer steps --------------------------
def gui_seeds():
    controls = crlf("""[Screen]
Button=Ok
Check=Box
Label=Text
Bar=Scroll
Slide=Slider
List=Items
Number=Num
Radio=Group
Cool=CoolOk
Container=Panel

[Panel]
GUIType=1
ID=100
File=art.amf
Picture=2
Background=0
Header=1
Caption=Panel
Position=10,10
Width=180
Height=130
Attrib=15

[Ok]
GUIType=2
ID=101
File=art.amf
Picture=0
StateNum=3
Caption=OK
Position=4,4

[Box]
GUIType=4
ID=102
File=art.amf
Picture=0
StateNum=6
Position=30,4

[Text]
GUIType=3
ID=103
Caption=Label \xb2\xe2\xca\xd4
FontSize=12
Color=0xFFFFE080
Position=60,4

[Scroll]
GUIType=7
ID=104
File=art.amf
SrcRect=0,0,16,90
Btn1Picture=0
Btn2Picture=6
PinPicture=3
Pos=40
Start=0
End=100
PageSize=10
Position=160,20
Height=90

[Slider]
GUIType=6
ID=105
File=art.amf
Picture=4
BtnPicture=3
SrcRect=0,0,70,20
Min=0
Max=5
Value=2
Position=4,30

[Items]
GUIType=8
ID=106
File=art.amf
Picture=2
BackGround=5
HighLight=4
Position=4,60
ScrollBar=Scroll2

[Scroll2]
File=art.amf
Btn1Picture=0
Btn2Picture=0
PinPicture=3
Start=0
End=3
PageSize=1

[Num]
GUIType=259
ID=107
File=art.amf
Picture=5
Cursor=6
Min=-5
Max=50
Value=7
Position=90,60

[Group]
GUIType=5
ID=108
File=art.amf
Picture=0
StateNum=6
Position=100,90
RadioNum=2
XOffset=20
YOffset=0
SubID0=109
SubID1=110
Select=1

[CoolOk]
GUIType=256
ID=111
File=art.amf
Picture=7
Position=130,100
""")
    put("gui", "controls.ini", controls + "\0" + "\x03\x30\x02\x30\x03\x50\x02\x50\x04\x01\x05\x01\x00\x90")
    put("gui", "plain.ini", crlf("[Main]\nA=Hello\n\n[Hello]\nGUIType=3\nID=5\nCaption=Hi\nPosition=5,5\n"
                                 "[Bad]\nGUIType=999\nID=6\n") + "\0\x00\x10\x01\x10\x02\x10")
    put("gui", "unix-lines.ini", "[Main]\nA=Hello\nB=Pic\nC=Missing\n\nContainer=Box\n[Box]\nGUIType=1\nID=4\n"
                                 "File=art.amf\nPicture=0\n[Hello]\nGUIType=3\nID=5\nCaption=Hi\nPosition=5,x\n"
                                 "[Pic]\nGUIType=2\nID=6\nFile=art.amf\nPicture=99\nCaption=Go\n" + "\0\x00\x10")
    put("gui", "ml.ini", crlf("[List]\nT=Lines\n[Lines]\nGUIType=260\nID=9\nWidth=60\nHeight=40\n"
                              "Caption=one two three four five six seven eight nine ten\n") + "\0")


# --- Particle effects: the file, then a NUL and the choices --------------------------------
def fx_seeds():
    fire = crlf("""[FX]
TextureFile=art.png
fEmission=120
EmissionNum=0
fLifetime=-1
fParticleLifeMin=0.5
fParticleLifeMax=1
Direction=0
Spread=60
Relative=1
fSpeedMin=1
fSpeedMax=3
fGravityMin=-20
fGravityMax=20
fRadialAccelMin=-5
fRadialAccelMax=5
fTangentialAccelMin=-2
fTangentialAccelMax=2
fSizeStart=8
fSizeEnd=2
fSizeVar=0.5
fSpinStart=0
fSpinEnd=3
fSpinVar=0.2
dwColorStart=0xFFFFD870
dwColorEnd=0x00FF3000
fColorVar=0.2
fAlphaVar=0.3
""")
    put("fx", "fire.ini", fire + "\0\x20\x40\x40\x01\x00")
    put("fx", "burst.ini", crlf("[FX]\nTextureFile=dot.png\nEmissionNum=40\nfLifetime=0.1\nfParticleLifeMin=0\n"
                                "fParticleLifeMax=0.2\nfSpeedMin=5\nfSpeedMax=9\nSpread=360\nfSizeStart=1e30\n"
                                "dwColorStart=0xFFFFFFFF\nfColorVar=2\nfAlphaVar=-1\n") + "\0\x3c\x00\x00\x00\x01\x01")
    put("fx", "unix-lines.ini", "[FX]\nTextureFile=missing.png\nEmissionNum=5x\nfLifetime=-1\n"
                                "fParticleLifeMin=1\nfParticleLifeMax=1\nfSizeStart=4\n" + "\0\x20\x40")
    put("fx", "no-texture.ini", crlf("[FX]\nfEmission=1e9\nfLifetime=2\nfParticleLifeMin=1\nfParticleLifeMax=1\n"
                                     "fXPosMin=-1e38\nfXPosMax=1e38\n"))


# --- Replay files: the header, then zlib chunks of entries ----------------------------------
def varint(v):
    out = b""
    while v >= 0x80:
        out += bytes([(v & 0x7F) | 0x80])
        v >>= 7
    return out + bytes([v])


def signed(v):
    return varint((v << 1) ^ (v >> 63) if v >= 0 else ((-v) << 1) - 1)


def text8(t):
    return bytes([len(t)]) + t


def replay(entries, chunks=1, game=b"fuzz", version=b"0.1.0"):
    fields = text8(version) + text8(game) + text8(b"fuzz_replay") + struct.pack("<QI", 0, 0)
    fields += struct.pack("<8H", 2026, 1, 4, 1, 12, 0, 0, 0) + struct.pack("<IqIIIII", 1000, 0, 1, 2, 1024, 768, 1)
    out = b"VLMRPLAY" + struct.pack("<HH", 1, len(fields)) + fields
    size = (len(entries) + chunks - 1) // chunks
    for i in range(0, len(entries), max(size, 1)):
        raw = b"".join(entries[i:i + size])
        packed = zlib.compress(raw)
        out += struct.pack("<II", len(raw), len(packed)) + packed
    return out


def pad(name=b"Velmora Virtual Pad"):
    return (bytes(range(16)) + bytes(16) + bytes(range(16, 32)) + varint(0) + text8(name) +
            bytes([1, 6, 1, 11]) + struct.pack("<6f", 0, 0, -1, 0, 0, -1) + struct.pack("<I", 0xFFFFFFFF) +
            bytes(11))


def replay_seeds():
    clock, idle, pump, frame = b"\x01" + signed(16), b"\x04" + varint(2), b"\x05", b"\x07"
    checkpoint = b"\x08" + struct.pack("<Q", 0x1234)
    # A game's first frames: the loop's looks and readings, waits, a seed, a frame of each kind.
    loop = [clock, idle, b"\x02" + varint(3), b"\x06\x00", frame]
    # Start-up reads the clock and asks for the sound device (none here) before the loop runs.
    start = [clock, b"\x0c\x00"]
    put("replay", "frames.vlmreplay", replay(start + loop * 3 + [b"\x0a" + struct.pack("<I", 7), checkpoint,
                                                        b"\x1f" + varint(4) + b"\x01" + struct.pack("<Q", 5)]))
    # One look at the events with one of each kind, in two chunks.
    events = [pump, b"\x20" + varint(0) + struct.pack("<HHB", 41, 0, 1), b"\x21" + varint(1) + signed(10) + signed(20) +
              signed(3) + signed(-4), b"\x22" + varint(0) + bytes([1, 1]) + signed(10) + signed(20),
              b"\x23" + varint(0) + signed(-2) + b"\x00", b"\x24" + varint(0) + bytes([6]) + signed(5) + signed(6),
              b"\x24" + varint(0) + bytes([2]) + signed(0) + signed(0), b"\x25", b"\x26", clock, frame]
    put("replay", "events.vlmreplay", replay(events, chunks=2))
    # A pad plugged in, moved, pressed and pulled out; a look for controllers; a rumble; a sound
    # device opened.
    pads = [b"\x13" + varint(0) + b"\x00" + pad(), pump, b"\x28" + varint(1) + pad(),
            b"\x2a" + varint(1) + b"\x00" + struct.pack("<f", 0.5), b"\x2b" + varint(1) + b"\x00\x80",
            b"\x2c" + varint(1) + b"\x00" + struct.pack("<I", 9000), b"\x09", b"\x29" + varint(1), b"\x0b\x01", b"\x0c\x01",
            b"\x03" + signed(1000000), frame]
    put("replay", "pads.vlmreplay", replay(pads))
    # Notes: a file loaded, the screen, the quit.
    notes = [b"\x10" + struct.pack("<H", 7) + b"dot.png" + varint(100) + signed(123456789) + struct.pack("<I", 0),
             b"\x11" + varint(800) + varint(600) + struct.pack("<I", 22) + b"\x01", b"\x12" + signed(0), clock, idle]
    put("replay", "notes.vlmreplay", replay(notes))
    put("replay", "cut.vlmreplay", replay(loop * 4)[:-7])


if __name__ == "__main__":
    amf_seeds()
    image_seeds()
    list_seeds()
    ini_seeds()
    text_seeds()
    gui_seeds()
    fx_seeds()
    replay_seeds()
