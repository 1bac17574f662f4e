// GDI stand-in: logical fonts and text. Carried by fontconfig (which installed face a name
// stands for), FreeType (metrics and glyphs, rendered without anti-aliasing as GDI renders
// Song faces) and iconv (text arrives in the active code page, GBK or UTF-8: CodePage.h).
//
// Face names: "宋体" (SimSun), its usual aliases and an empty name give the installed Song
// face (AR PL UMing CN where present); another name gives that family when it is installed,
// else the Song face. Characters a face lacks are drawn from the Song face.
// Heights: positive = cell height (ascent + descent), negative = character (em) height,
// 0 = 12 pixels em. Width 0 keeps the face's aspect; another width is the average character
// width. A bold weight or italic that the face lacks is synthesised. Escapement and
// orientation are kept but text is always drawn horizontally.
// Quality: glyphs are black and white, except ANTIALIASED_QUALITY and the ClearType
// qualities above 16 pixels em, which get grey levels. (DEFAULT_QUALITY stays black and
// white at every size: text textures made from GDI output treat any lit pixel as opaque.)
#pragma once

#include <velmora/platform/win32/Types.h>

#define LF_FACESIZE 32

#define FW_DONTCARE 0
#define FW_THIN 100
#define FW_EXTRALIGHT 200
#define FW_LIGHT 300
#define FW_NORMAL 400
#define FW_REGULAR 400
#define FW_MEDIUM 500
#define FW_SEMIBOLD 600
#define FW_BOLD 700
#define FW_EXTRABOLD 800
#define FW_HEAVY 900

#define ANSI_CHARSET 0
#define DEFAULT_CHARSET 1
#define SYMBOL_CHARSET 2
#define GB2312_CHARSET 134
#define CHINESEBIG5_CHARSET 136
#define OEM_CHARSET 255

#define OUT_DEFAULT_PRECIS 0
#define OUT_STRING_PRECIS 1
#define OUT_CHARACTER_PRECIS 2
#define OUT_STROKE_PRECIS 3
#define OUT_TT_PRECIS 4
#define OUT_DEVICE_PRECIS 5
#define OUT_RASTER_PRECIS 6
#define OUT_TT_ONLY_PRECIS 7
#define OUT_OUTLINE_PRECIS 8

#define CLIP_DEFAULT_PRECIS 0
#define CLIP_CHARACTER_PRECIS 1
#define CLIP_STROKE_PRECIS 2

#define DEFAULT_QUALITY 0
#define DRAFT_QUALITY 1
#define PROOF_QUALITY 2
#define NONANTIALIASED_QUALITY 3
#define ANTIALIASED_QUALITY 4
#define CLEARTYPE_QUALITY 5
#define CLEARTYPE_NATURAL_QUALITY 6

#define DEFAULT_PITCH 0
#define FIXED_PITCH 1
#define VARIABLE_PITCH 2
#define FF_DONTCARE 0x00
#define FF_ROMAN 0x10
#define FF_SWISS 0x20
#define FF_MODERN 0x30
#define FF_SCRIPT 0x40
#define FF_DECORATIVE 0x50

// TEXTMETRICA::tmPitchAndFamily bits (TMPF_FIXED_PITCH set means variable pitch).
#define TMPF_FIXED_PITCH 0x01
#define TMPF_VECTOR 0x02
#define TMPF_TRUETYPE 0x04

struct LOGFONTA {
    LONG lfHeight;
    LONG lfWidth;
    LONG lfEscapement;
    LONG lfOrientation;
    LONG lfWeight;
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    CHAR lfFaceName[LF_FACESIZE];
};

struct TEXTMETRICA {
    LONG tmHeight;
    LONG tmAscent;
    LONG tmDescent;
    LONG tmInternalLeading;
    LONG tmExternalLeading;
    LONG tmAveCharWidth;
    LONG tmMaxCharWidth;
    LONG tmWeight;
    LONG tmOverhang;
    LONG tmDigitizedAspectX;
    LONG tmDigitizedAspectY;
    BYTE tmFirstChar;
    BYTE tmLastChar;
    BYTE tmDefaultChar;
    BYTE tmBreakChar;
    BYTE tmItalic;
    BYTE tmUnderlined;
    BYTE tmStruckOut;
    BYTE tmPitchAndFamily;
    BYTE tmCharSet;
};

// Null when no face can be found, or when the height or width asks for more than 2048
// pixels. The face name is read up to 31 bytes; a null name is the empty name. A name in
// valid UTF-8 is read as UTF-8, any other as GBK, whatever the active code page.
VLM_API HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                          DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                          DWORD quality, DWORD pitchAndFamily, LPCSTR faceName);
VLM_API HFONT CreateFontIndirectA(const LOGFONTA* logFont);

// Metrics of the font selected into the device context.
VLM_API BOOL GetTextMetricsA(HDC hdc, TEXTMETRICA* metrics);
// The family name of the face behind the selected font (in the active code page), cut to
// count - 1 bytes between characters.
// Returns the bytes copied without the terminating zero; with a null buffer, the size needed.
VLM_API int GetTextFaceA(HDC hdc, int count, LPSTR faceName);
