#include <velmora/core/Color.h>

DWORD MakeARGB(unsigned char a, unsigned char r, unsigned char g, unsigned char b) {
    return (static_cast<DWORD>(a) << 24) | (static_cast<DWORD>(r) << 16) | (static_cast<DWORD>(g) << 8) | b;
}

DWORD MakeARGB(unsigned char alpha, DWORD colorref) {
    return (static_cast<DWORD>(alpha) << 24) | ((colorref & 0xFF) << 16) | (colorref & 0xFF00) |
           ((colorref >> 16) & 0xFF);
}

DWORD TORGB(DWORD c) { return ((c >> 16) & 0xFF) | ((c & 0xFF) << 16) | (c & 0xFF00); }

DWORD InVertColor(DWORD c) { return ~c | 0xFF000000u; }

DWORD RGB32TORGB565(DWORD c) {
    DWORD r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
    return ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3);
}

DWORD RGB32TORGB555(DWORD c) {
    DWORD r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
    return ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
}

DWORD RGB565TORGB32(DWORD c) {
    DWORD r5 = (c >> 11) & 0x1F, b5 = c & 0x1F;
    return 0xFF000000u | ((r5 << 3) << 16) | (((c >> 3) & 0xF8) << 8) | (b5 << 3);
}

DWORD RGB555TORGB32(DWORD c) {
    DWORD r5 = (c >> 10) & 0x1F, g5 = (c >> 5) & 0x1F, b5 = c & 0x1F;
    return 0xFF000000u | ((r5 << 3) << 16) | ((g5 << 3) << 8) | (b5 << 3);
}
