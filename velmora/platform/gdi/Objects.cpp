// GDI stand-in: stock objects, selection, deletion and description of objects.
#include <velmora/platform/gdi/Objects.h>

#include <algorithm>
#include <cstring>

#include <velmora/platform/gdi/Bitmap.h>
#include <velmora/platform/gdi/detail/FontObject.h>
#include <velmora/platform/gdi/detail/GdiState.h>

using vlm_platform::BitmapObject;
using vlm_platform::DcObject;
using vlm_platform::FontObject;
using vlm_platform::GdiObject;
using vlm_platform::GdiState;

namespace {

// Puts `object` in the device context's slot and returns what was there.
template <class Handle>
HGDIOBJ Swap(GdiState& state, Handle& slot, HGDIOBJ object, GdiObject* chosen) {
    HGDIOBJ previous = slot;
    if (GdiObject* old = state.Find(previous)) old->selections -= 1;
    chosen->selections += 1;
    slot = static_cast<Handle>(object);
    return previous;
}

}  // namespace

HGDIOBJ GetStockObject(int object) {
    switch (object) {
        case OEM_FIXED_FONT:
        case ANSI_FIXED_FONT:
        case ANSI_VAR_FONT:
        case SYSTEM_FONT:
        case DEVICE_DEFAULT_FONT:
        case SYSTEM_FIXED_FONT:
        case DEFAULT_GUI_FONT: {
            GdiState* state = GdiState::Get();
            return state ? state->StockFont() : nullptr;
        }
        default:
            if (object < 0 || object >= vlm_platform::kStockObjectCount) return nullptr;
            return reinterpret_cast<HGDIOBJ>(vlm_platform::kStockTokenBase + static_cast<uintptr_t>(object));
    }
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object) {
    GdiState* state = GdiState::Get();
    if (!state) return nullptr;
    DcObject* dc = state->Find<DcObject>(hdc);
    GdiObject* chosen = state->Find(object);
    if (!dc || !chosen) return nullptr;
    if (chosen->kind == vlm_platform::GdiKind::Font) return Swap(*state, dc->font, object, chosen);
    if (chosen->kind != vlm_platform::GdiKind::Bitmap) return nullptr;
    // A bitmap lives in one device context at a time (the stock one in every fresh one).
    if (!chosen->stock && chosen->selections > 0 && dc->bitmap != object) return nullptr;
    return Swap(*state, dc->bitmap, object, chosen);
}

BOOL DeleteObject(HGDIOBJ object) {
    GdiState* state = GdiState::Get();
    if (!state) return FALSE;
    if (vlm_platform::IsStockToken(object)) return TRUE;
    GdiObject* found = state->Find(object);
    if (!found || found->kind == vlm_platform::GdiKind::Dc) return FALSE;  // DCs go through DeleteDC
    if (found->stock) return TRUE;
    // Drawing would reach freed memory through the device context, so refuse instead.
    if (found->selections > 0) return FALSE;
    state->Remove(object);
    return TRUE;
}

int GetObjectA(HGDIOBJ object, int size, LPVOID buffer) {
    GdiState* state = GdiState::Get();
    if (!state) return 0;
    if (BitmapObject* bitmap = state->Find<BitmapObject>(object)) {
        if (!buffer) return static_cast<int>(sizeof(BITMAP));
        if (size < static_cast<int>(sizeof(BITMAP))) return 0;
        BITMAP info{};
        info.bmWidth = bitmap->width;
        info.bmHeight = bitmap->height;
        info.bmWidthBytes = bitmap->bitCount == 32 ? bitmap->width * 4 : ((bitmap->width + 15) / 16) * 2;
        info.bmPlanes = 1;
        info.bmBitsPixel = bitmap->bitCount;
        info.bmBits = bitmap->pixels.get();
        std::memcpy(buffer, &info, sizeof(info));
        return static_cast<int>(sizeof(BITMAP));
    }
    if (FontObject* font = state->Find<FontObject>(object)) {
        if (!buffer) return static_cast<int>(sizeof(LOGFONTA));
        if (size <= 0) return 0;
        const int bytes = std::min(size, static_cast<int>(sizeof(LOGFONTA)));
        std::memcpy(buffer, &font->LogFont(), static_cast<size_t>(bytes));
        return bytes;
    }
    return 0;
}
