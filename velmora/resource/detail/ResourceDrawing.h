// What drawable resources (animations, 2D frames) need from the graphics subsystem above
// them. The graphics object registers the implementation (EngineObjects::resourceDrawing).
#pragma once

#include <velmora/platform/win32/Types.h>

namespace vlm_engine {

class ResourceDrawing {
public:
    // Frame `frameIndex` of a frame set, stretched onto `dst`.
    virtual void RenderAnimation(DWORD frameSet, DWORD frameIndex, const RECT* dst, const RECT* src, DWORD color) = 0;
    // Frame `frameIndex` of a frame set at (x, y), scaled; negative scales mirror it in place.
    virtual void RenderAnimation(DWORD frameSet, DWORD frameIndex, int x, int y, float sx, float sy, const RECT* src,
                                 DWORD color) = 0;
    // A texture-manager handle at (x, y), scaled, on the vertex path.
    virtual void Render(DWORD handle, int x, int y, float sx, float sy, const RECT* src, DWORD color) = 0;

protected:
    ~ResourceDrawing() = default;
};

}  // namespace vlm_engine
