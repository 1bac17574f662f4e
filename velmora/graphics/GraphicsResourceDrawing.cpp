// Draws animation frames and textures for the resources through the engine graphics object.
#include <velmora/graphics/detail/GraphicsResourceDrawing.h>

#include <velmora/core/detail/EngineObjects.h>
#include <velmora/graphics/Graphics.h>

namespace {

class Drawing final : public vlm_engine::ResourceDrawing {
public:
    void RenderAnimation(DWORD frameSet, DWORD frameIndex, const RECT* dst, const RECT* src, DWORD color) override {
        if (CGraphics* graphics = vlm_engine::Engine().graphics)
            graphics->RenderAnimation(frameSet, frameIndex, dst, src, color);
    }
    void RenderAnimation(DWORD frameSet, DWORD frameIndex, int x, int y, float sx, float sy, const RECT* src,
                         DWORD color) override {
        if (CGraphics* graphics = vlm_engine::Engine().graphics)
            graphics->RenderAnimation(frameSet, frameIndex, x, y, sx, sy, src, color);
    }
    void Render(DWORD handle, int x, int y, float sx, float sy, const RECT* src, DWORD color) override {
        if (CGraphics* graphics = vlm_engine::Engine().graphics) graphics->Render(handle, x, y, sx, sy, src, color);
    }
};

}  // namespace

namespace vlm_engine {

ResourceDrawing& GraphicsResourceDrawing() {
    static Drawing drawing;
    return drawing;
}

}  // namespace vlm_engine
