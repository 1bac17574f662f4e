// GDI stand-in: memory device contexts and their text state.
#include <velmora/platform/gdi/DeviceContext.h>

#include <velmora/platform/gdi/Objects.h>
#include <velmora/platform/gdi/detail/GdiState.h>

using vlm_platform::DcObject;
using vlm_platform::GdiObject;
using vlm_platform::GdiState;

namespace {

DcObject* FindDc(HDC hdc) {
    GdiState* state = GdiState::Get();
    return state ? state->Find<DcObject>(hdc) : nullptr;
}

}  // namespace

HDC CreateCompatibleDC(HDC hdc) {
    GdiState* state = GdiState::Get();
    if (!state || (hdc && !state->Find<DcObject>(hdc))) return nullptr;
    auto dc = std::make_unique<DcObject>();
    dc->font = state->StockFont();
    dc->bitmap = state->StockBitmap();
    for (HGDIOBJ selected : {static_cast<HGDIOBJ>(dc->font), static_cast<HGDIOBJ>(dc->bitmap)})
        if (GdiObject* object = state->Find(selected)) object->selections += 1;
    return static_cast<HDC>(state->Add(std::move(dc)));
}

BOOL DeleteDC(HDC hdc) {
    GdiState* state = GdiState::Get();
    DcObject* dc = state ? state->Find<DcObject>(hdc) : nullptr;
    if (!dc) return FALSE;
    for (HGDIOBJ selected : {static_cast<HGDIOBJ>(dc->font), static_cast<HGDIOBJ>(dc->bitmap)})
        if (GdiObject* object = state->Find(selected)) object->selections -= 1;
    state->Remove(hdc);
    return TRUE;
}

COLORREF SetTextColor(HDC hdc, COLORREF color) {
    DcObject* dc = FindDc(hdc);
    if (!dc) return CLR_INVALID;
    COLORREF previous = dc->textColor;
    dc->textColor = color;
    return previous;
}

COLORREF SetBkColor(HDC hdc, COLORREF color) {
    DcObject* dc = FindDc(hdc);
    if (!dc) return CLR_INVALID;
    COLORREF previous = dc->bkColor;
    dc->bkColor = color;
    return previous;
}

int SetBkMode(HDC hdc, int mode) {
    DcObject* dc = FindDc(hdc);
    if (!dc || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
    int previous = dc->bkMode;
    dc->bkMode = mode;
    return previous;
}

UINT SetTextAlign(HDC hdc, UINT align) {
    DcObject* dc = FindDc(hdc);
    if (!dc) return GDI_ERROR;
    UINT previous = dc->textAlign;
    dc->textAlign = align;
    return previous;
}

int SetMapMode(HDC hdc, int mode) {
    DcObject* dc = FindDc(hdc);
    if (!dc || mode != MM_TEXT) return 0;
    int previous = dc->mapMode;
    dc->mapMode = mode;
    return previous;
}

UINT SetBoundsRect(HDC hdc, const RECT* rect, UINT flags) {
    DcObject* dc = FindDc(hdc);
    if (!dc || (flags & ~UINT(DCB_SET | DCB_ENABLE | DCB_DISABLE)) != 0 ||
        (flags & (DCB_ENABLE | DCB_DISABLE)) == (DCB_ENABLE | DCB_DISABLE))
        return 0;
    const UINT previous = (dc->bounds.Empty() ? DCB_RESET : DCB_SET) | (dc->boundsEnabled ? DCB_ENABLE : DCB_DISABLE);
    if (flags & DCB_RESET) dc->bounds = vlm_platform::PixelBounds{};
    if ((flags & DCB_ACCUMULATE) && rect) dc->bounds.Add(rect->left, rect->top, rect->right, rect->bottom);
    if (flags & DCB_ENABLE) dc->boundsEnabled = true;
    if (flags & DCB_DISABLE) dc->boundsEnabled = false;
    return previous;
}

UINT GetBoundsRect(HDC hdc, RECT* rect, UINT flags) {
    DcObject* dc = FindDc(hdc);
    if (!dc || !rect) return 0;
    const bool empty = dc->bounds.Empty();
    *rect = empty ? RECT{0, 0, 0, 0}
                  : RECT{static_cast<LONG>(dc->bounds.left), static_cast<LONG>(dc->bounds.top),
                         static_cast<LONG>(dc->bounds.right), static_cast<LONG>(dc->bounds.bottom)};
    if (flags & DCB_RESET) dc->bounds = vlm_platform::PixelBounds{};
    return empty ? DCB_RESET : DCB_SET;
}
