// What a draw's vertices allow the renderer to save without changing the picture. Typical
// 2D frames are pixel-aligned quads, points and lines at depth 0, texels copied 1:1; on a
// software rasteriser the per-sample, per-depth and filtering work is most of a frame.
#pragma once

#include <cstddef>

#include <velmora/platform/d3d9/detail/DrawState.h>

namespace vlm_platform {

struct DrawTraits {
    // Every sample of each pixel gets the same colour (always so without multisampling),
    // and the depth test, if on, passes whatever the depth buffer holds. Depth writes, if
    // on, do not depend on the alpha test, so they can be replayed without the texture.
    bool flat = false;
    // Every triangle belongs to a pixel-aligned quad that puts texel centres on pixel
    // centres one to one, inside the texture: nearest sampling, clamped, gives exactly what
    // any filtering and addressing give.
    bool texelPerPixel = false;
};

// Judges only what is asked for; the rest stays false.
DrawTraits AnalyseDraw(const DrawState& state, const RenderVertex* vertices, size_t count, bool multisampled,
                       bool askFlat, bool askTexelPerPixel);

}  // namespace vlm_platform
