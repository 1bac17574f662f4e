// The free drawing functions on the engine graphics object (GetGraphics); each draws
// nothing when there is none.
#pragma once

#include <velmora/Export.h>
#include <velmora/platform/win32/Types.h>

// Sprite path: the texture at (x, y) at its own size (or the source part of it).
VLM_API void Render(DWORD handle, int x, int y, const RECT* src, DWORD color);
// Sprite path: the source part stretched onto `dst`.
VLM_API void Render(DWORD handle, const RECT* dst, const RECT* src, DWORD color);
// Vertex path: the texture scaled at (x, y), mirrored in place for negative factors.
VLM_API void Render(DWORD handle, int x, int y, float sx, float sy, const RECT* src, DWORD color);
// Draws nothing.
VLM_API void RenderCenter(DWORD handle, int x, int y, float sx, float sy, const RECT* src, DWORD color);
