// GDI stand-in: object handles. Stock objects, selection into device contexts, deletion and
// description of the fonts and DIB sections of this folder. Carried by plain memory; the
// fonts behind the handles are FreeType faces (see Font.h).
#pragma once

#include <velmora/platform/win32/Types.h>

#define CLR_INVALID ((COLORREF)0xFFFFFFFF)
#define GDI_ERROR ((DWORD)0xFFFFFFFF)

// Stock objects. The fonts among them are one font: the default face at the default size.
// Brushes, pens and the palette are handles with nothing behind them; selecting one fails.
#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define DKGRAY_BRUSH 3
#define BLACK_BRUSH 4
#define NULL_BRUSH 5
#define HOLLOW_BRUSH NULL_BRUSH
#define WHITE_PEN 6
#define BLACK_PEN 7
#define NULL_PEN 8
#define OEM_FIXED_FONT 10
#define ANSI_FIXED_FONT 11
#define ANSI_VAR_FONT 12
#define SYSTEM_FONT 13
#define DEVICE_DEFAULT_FONT 14
#define DEFAULT_PALETTE 15
#define SYSTEM_FIXED_FONT 16
#define DEFAULT_GUI_FONT 17
#define DC_BRUSH 18
#define DC_PEN 19

VLM_API HGDIOBJ GetStockObject(int object);
// Selects a font or a bitmap into a device context and returns the one it replaces; null on
// failure. A bitmap can be selected into one device context at a time.
VLM_API HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object);
// Deletes a font or a bitmap. Fails (FALSE) while the object is selected into a device
// context; deleting a stock object does nothing and succeeds.
VLM_API BOOL DeleteObject(HGDIOBJ object);
// Describes a bitmap (BITMAP) or a font (LOGFONTA) into `buffer`; with a null buffer,
// returns the size needed. Returns the bytes written, 0 on failure.
VLM_API int GetObjectA(HGDIOBJ object, int size, LPVOID buffer);
