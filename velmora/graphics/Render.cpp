#include <velmora/graphics/Render.h>

#include <velmora/core/detail/EngineObjects.h>
#include <velmora/graphics/Graphics.h>

void Render(DWORD handle, int x, int y, const RECT* src, DWORD color) {
    if (CGraphics* graphics = vlm_engine::Engine().graphics) graphics->RenderSprite(handle, x, y, src, color);
}

void Render(DWORD handle, const RECT* dst, const RECT* src, DWORD color) {
    if (CGraphics* graphics = vlm_engine::Engine().graphics) graphics->RenderSprite(handle, dst, src, color);
}

void Render(DWORD handle, int x, int y, float sx, float sy, const RECT* src, DWORD color) {
    if (CGraphics* graphics = vlm_engine::Engine().graphics) graphics->Render(handle, x, y, sx, sy, src, color);
}

void RenderCenter(DWORD, int, int, float, float, const RECT*, DWORD) {}
