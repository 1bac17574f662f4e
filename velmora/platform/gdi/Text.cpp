// GDI stand-in: text output and extents with FreeType glyphs.
#include <velmora/platform/gdi/Text.h>

#include <algorithm>
#include <climits>
#include <vector>

#include <velmora/platform/gdi/DeviceContext.h>
#include <velmora/platform/gdi/detail/FontObject.h>
#include <velmora/platform/gdi/detail/GdiState.h>

using vlm_platform::BitmapObject;
using vlm_platform::DcObject;
using vlm_platform::FontObject;
using vlm_platform::GdiState;

namespace {

// The device context's font and the decoded text, or false for bad arguments.
bool Prepare(HDC hdc, LPCSTR text, int count, GdiState*& state, DcObject*& dc, FontObject*& font,
             std::vector<uint32_t>& chars) {
    state = GdiState::Get();
    dc = state ? state->Find<DcObject>(hdc) : nullptr;
    font = dc ? state->Find<FontObject>(dc->font) : nullptr;
    if (!font || count < 0 || (count > 0 && !text)) return false;
    chars = state->Codec().Decode(text, static_cast<size_t>(count));
    return true;
}

int64_t TextWidth(FontObject& font, const std::vector<uint32_t>& chars) {
    int64_t width = 0;
    for (uint32_t c : chars) width += font.Advance(c);
    return width;
}

// COLORREF 0x00BBGGRR as a DIB pixel 0x00RRGGBB.
uint32_t ToPixel(COLORREF color) { return ((color & 0xFF) << 16) | (color & 0xFF00) | ((color >> 16) & 0xFF); }

// A DIB section to draw on, clipping everything to its bounds.
class Canvas {
public:
    // `bounds`, when not null, grows to hold every pixel written.
    Canvas(BitmapObject& bitmap, vlm_platform::PixelBounds* bounds) : bitmap_(bitmap), bounds_(bounds) {}

    void Fill(int64_t left, int64_t top, int64_t width, int64_t height, uint32_t pixel) {
        const int64_t x0 = std::max<int64_t>(left, 0);
        const int64_t x1 = std::min<int64_t>(left + width, bitmap_.width);
        const int64_t y0 = std::max<int64_t>(top, 0);
        const int64_t y1 = std::min<int64_t>(top + height, bitmap_.height);
        if (bounds_) bounds_->Add(x0, y0, x1, y1);
        for (int64_t y = y0; y < y1; ++y) {
            uint32_t* row = bitmap_.Row(static_cast<LONG>(y));
            for (int64_t x = x0; x < x1; ++x) row[x] = pixel;
        }
    }

    // Lays the glyph's coverage in `pixel` over what is there.
    void Draw(const FontObject::Glyph& glyph, int64_t left, int64_t top, uint32_t pixel) {
        if (glyph.coverage.empty()) return;
        const int64_t r0 = std::max<int64_t>(0, -top);
        const int64_t r1 = std::min<int64_t>(glyph.rows, bitmap_.height - top);
        const int64_t c0 = std::max<int64_t>(0, -left);
        const int64_t c1 = std::min<int64_t>(glyph.width, bitmap_.width - left);
        if (bounds_) bounds_->Add(left + c0, top + r0, left + c1, top + r1);
        for (int64_t r = r0; r < r1; ++r) {
            uint32_t* row = bitmap_.Row(static_cast<LONG>(top + r));
            const uint8_t* coverage = &glyph.coverage[static_cast<size_t>(r * glyph.width)];
            for (int64_t c = c0; c < c1; ++c)
                if (coverage[c] != 0) row[left + c] = Blend(row[left + c], pixel, coverage[c]);
        }
    }

private:
    static uint32_t Blend(uint32_t under, uint32_t over, uint32_t alpha) {
        if (alpha == 255) return over;
        uint32_t out = 0;
        for (int shift = 0; shift < 24; shift += 8) {
            const uint32_t a = (under >> shift) & 0xFF;
            const uint32_t b = (over >> shift) & 0xFF;
            out |= ((b * alpha + a * (255 - alpha) + 127) / 255) << shift;
        }
        return out;
    }

    BitmapObject& bitmap_;
    vlm_platform::PixelBounds* bounds_;
};

}  // namespace

BOOL GetTextExtentPoint32A(HDC hdc, LPCSTR text, int count, SIZE* size) {
    GdiState* state = nullptr;
    DcObject* dc = nullptr;
    FontObject* font = nullptr;
    std::vector<uint32_t> chars;
    if (!size || !Prepare(hdc, text, count, state, dc, font, chars)) return FALSE;
    size->cx = static_cast<LONG>(std::min<int64_t>(TextWidth(*font, chars), INT32_MAX));
    size->cy = font->Height();
    return TRUE;
}

BOOL TextOutA(HDC hdc, int x, int y, LPCSTR text, int count) {
    GdiState* state = nullptr;
    DcObject* dc = nullptr;
    FontObject* font = nullptr;
    std::vector<uint32_t> chars;
    if (!Prepare(hdc, text, count, state, dc, font, chars)) return FALSE;
    BitmapObject* bitmap = state->Find<BitmapObject>(dc->bitmap);
    if (chars.empty() || !bitmap || !bitmap->pixels) return TRUE;  // nothing to draw on

    const int64_t width = TextWidth(*font, chars);
    const int64_t height = font->Height();
    int64_t left = x;
    if ((dc->textAlign & TA_CENTER) == TA_CENTER)
        left -= width / 2;
    else if (dc->textAlign & TA_RIGHT)
        left -= width;
    int64_t top = y;
    if ((dc->textAlign & TA_BASELINE) == TA_BASELINE)
        top -= font->Ascent();
    else if (dc->textAlign & TA_BOTTOM)
        top -= height;

    Canvas canvas(*bitmap, dc->boundsEnabled ? &dc->bounds : nullptr);
    const uint32_t ink = ToPixel(dc->textColor);
    if (dc->bkMode == OPAQUE) canvas.Fill(left, top, width, height, ToPixel(dc->bkColor));
    const int64_t baseline = top + font->Ascent();
    int64_t pen = left;
    for (uint32_t c : chars) {
        const FontObject::Glyph& glyph = font->Render(c);
        canvas.Draw(glyph, pen + glyph.left, baseline - glyph.top, ink);
        pen += font->Advance(c);
    }
    const LOGFONTA& style = font->LogFont();
    if (style.lfUnderline) {
        FontObject::Stroke s = font->Underline();
        canvas.Fill(left, baseline + s.offset, width, s.thickness, ink);
    }
    if (style.lfStrikeOut) {
        FontObject::Stroke s = font->StrikeOut();
        canvas.Fill(left, baseline + s.offset, width, s.thickness, ink);
    }
    return TRUE;
}
