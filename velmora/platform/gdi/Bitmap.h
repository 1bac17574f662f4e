// GDI stand-in: device-independent bitmaps. CreateDIBSection makes 32-bit uncompressed DIB
// sections whose pixels the caller reads and writes directly. Carried by plain memory.
#pragma once

#include <velmora/platform/win32/Types.h>

#define BI_RGB 0
#define DIB_RGB_COLORS 0
#define DIB_PAL_COLORS 1

struct RGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
};

struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;  // negative: rows run top-down; positive: bottom-up
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};

struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};

struct BITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    LPVOID bmBits;
};

// A zero-filled DIB section owned by the bitmap (freed by DeleteObject); `*bits` receives
// its pixels: rows of biWidth DWORDs, colour RGB(r, g, b) stored as 0x00RRGGBB. Only 32-bit
// BI_RGB bitmaps of at most 32767 pixels a side and 256 MiB are made; `section` must be
// null. Returns null (and a null `*bits`) on failure.
VLM_API HBITMAP CreateDIBSection(HDC hdc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                                 DWORD offset);
