// 32-bit colour packing and conversions. ARGB is 0xAARRGGBB; a COLORREF is 0x00BBGGRR;
// RGB565 and RGB555 sit in the low 16 bits.
#pragma once

#include <velmora/Export.h>
#include <velmora/platform/win32/Types.h>

extern "C" VLM_API DWORD MakeARGB(unsigned char a, unsigned char r, unsigned char g, unsigned char b);
// A COLORREF with an alpha byte becomes ARGB.
VLM_API DWORD MakeARGB(unsigned char alpha, DWORD colorref);
// Swaps the red and blue bytes and clears the top byte: ARGB to COLORREF and back.
VLM_API DWORD TORGB(DWORD color);
// Colour channels inverted, alpha forced to 0xFF.
VLM_API DWORD InVertColor(DWORD color);
VLM_API DWORD RGB32TORGB565(DWORD color);
VLM_API DWORD RGB32TORGB555(DWORD color);
// The low three bits of each channel come out 0 (565 green keeps its upper five bits).
VLM_API DWORD RGB565TORGB32(DWORD color);
VLM_API DWORD RGB555TORGB32(DWORD color);
