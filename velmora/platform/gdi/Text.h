// GDI stand-in: text output and measurement in the font selected into a device context.
// Text is `count` bytes in the active code page (GBK unless the program chose UTF-8, see
// win32/CodePage.h), read with vlm_CharLength: a byte that starts no character, and a GBK
// pair without a Unicode form, become '?'. A character is never split. Glyphs come from
// FreeType (see Font.h).
#pragma once

#include <velmora/platform/win32/Types.h>

// Draws the text with its reference point at (x, y) as the text alignment says, in the text
// colour, into the DIB section selected into the device context (clipped to it). In OPAQUE
// background mode the text's cell is first filled with the background colour. Underline
// and strike-out are drawn across the text. A count of 0 draws nothing and succeeds.
VLM_API BOOL TextOutA(HDC hdc, int x, int y, LPCSTR text, int count);
// The width of the text (sum of its advances) and the cell height of the font.
VLM_API BOOL GetTextExtentPoint32A(HDC hdc, LPCSTR text, int count, SIZE* size);
