// The objects behind GDI handles: the common base, DIB sections and device contexts. Fonts
// are in FontObject.h.
#pragma once

#include <cstdint>
#include <memory>

#include <velmora/platform/gdi/DeviceContext.h>
#include <velmora/platform/win32/Types.h>

namespace vlm_platform {

enum class GdiKind : uint8_t { Font, Bitmap, Dc };

struct GdiObject {
    explicit GdiObject(GdiKind k) : kind(k) {}
    virtual ~GdiObject() = default;
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;

    const GdiKind kind;
    bool stock = false;  // never deleted
    int selections = 0;  // device contexts it is selected into
};

struct BitmapObject : GdiObject {
    static constexpr GdiKind kKind = GdiKind::Bitmap;
    BitmapObject() : GdiObject(kKind) {}

    LONG width = 0;
    LONG height = 0;  // always positive; see topDown
    bool topDown = true;
    WORD bitCount = 32;
    std::unique_ptr<uint32_t[]> pixels;  // width * height; null for the monochrome stock bitmap

    // Pixels of image row y (0 = top), whichever way the rows are stored.
    uint32_t* Row(LONG y) { return pixels.get() + static_cast<size_t>(topDown ? y : height - 1 - y) * width; }
};

// A rectangle that grows to hold what is added to it; empty until then.
struct PixelBounds {
    int64_t left = 0, top = 0, right = 0, bottom = 0;

    bool Empty() const { return left >= right || top >= bottom; }
    void Add(int64_t l, int64_t t, int64_t r, int64_t b) {
        if (l >= r || t >= b) return;
        if (Empty()) {
            left = l, top = t, right = r, bottom = b;
            return;
        }
        left = l < left ? l : left, top = t < top ? t : top;
        right = r > right ? r : right, bottom = b > bottom ? b : bottom;
    }
};

struct DcObject : GdiObject {
    static constexpr GdiKind kKind = GdiKind::Dc;
    DcObject() : GdiObject(kKind) {}

    HFONT font = nullptr;
    HBITMAP bitmap = nullptr;
    COLORREF textColor = 0x000000;
    COLORREF bkColor = 0xFFFFFF;
    int bkMode = OPAQUE;
    UINT textAlign = TA_LEFT | TA_TOP;
    int mapMode = MM_TEXT;
    bool boundsEnabled = false;
    PixelBounds bounds;  // what text output wrote while enabled
};

}  // namespace vlm_platform
