// GDI stand-in: memory device contexts and their text state (colours, background mode,
// alignment, mapping mode). A device context draws into the DIB section selected into it;
// there is no screen device context. Carried by plain memory.
#pragma once

#include <velmora/platform/win32/Types.h>

// Background modes.
#define TRANSPARENT 1
#define OPAQUE 2

// Mapping mode: one logical unit is one pixel, y grows downwards. The only mode supported.
#define MM_TEXT 1

// Text alignment: where the reference point of TextOutA lies on the text's cell.
#define TA_NOUPDATECP 0
#define TA_LEFT 0
#define TA_RIGHT 2
#define TA_CENTER 6
#define TA_TOP 0
#define TA_BOTTOM 8
#define TA_BASELINE 24

// Bounds accumulation (SetBoundsRect, GetBoundsRect).
#define DCB_RESET 0x0001
#define DCB_ACCUMULATE 0x0002
#define DCB_DIRTY DCB_ACCUMULATE
#define DCB_SET (DCB_RESET | DCB_ACCUMULATE)
#define DCB_ENABLE 0x0004
#define DCB_DISABLE 0x0008

// A memory device context; `hdc` must be null or a live device context. It starts with the
// stock font, a 1 x 1 monochrome bitmap, black text on an opaque white background,
// TA_LEFT | TA_TOP and MM_TEXT.
VLM_API HDC CreateCompatibleDC(HDC hdc);
// Frees the device context; the objects selected into it stay and become deletable.
VLM_API BOOL DeleteDC(HDC hdc);
// Each setter returns the previous value; CLR_INVALID, 0 or GDI_ERROR on failure.
VLM_API COLORREF SetTextColor(HDC hdc, COLORREF color);
VLM_API COLORREF SetBkColor(HDC hdc, COLORREF color);
VLM_API int SetBkMode(HDC hdc, int mode);
VLM_API UINT SetTextAlign(HDC hdc, UINT align);
// Only MM_TEXT is accepted; any other mode fails (0) and leaves the mode unchanged.
VLM_API int SetMapMode(HDC hdc, int mode);
// While enabled, the device context collects the bounding rectangle of the pixels its text
// output writes (clipped to the bitmap). DCB_RESET empties it, DCB_ACCUMULATE adds `rect`,
// DCB_ENABLE and DCB_DISABLE switch collection. Returns the previous state, DCB_SET when the
// rectangle was not empty (DCB_RESET otherwise), ORed with DCB_ENABLE or DCB_DISABLE; 0 on
// failure.
VLM_API UINT SetBoundsRect(HDC hdc, const RECT* rect, UINT flags);
// The rectangle collected so far (all zero when empty); DCB_RESET empties it afterwards.
// Returns DCB_SET when it is not empty, DCB_RESET when it is, 0 on failure.
VLM_API UINT GetBoundsRect(HDC hdc, RECT* rect, UINT flags);
