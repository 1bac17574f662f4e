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
