// What a draw's vertices allow the renderer to save without changing the picture. Typical
// 2D frames are pixel-aligned quads, points and lines at depth 0, texels copied 1:1; on a
// software rasteriser the per-sample, per-depth and filtering work is most of a frame.
#pragma once

#include <cstddef>
#include <vector>

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

// True when a texel of alpha 0 leaves the colour of the back buffer as it is under this state:
// the fragment's alpha is the texel's times something, and the alpha test discards it or the
// blend keeps what the back buffer holds (`alphaWritten`: its alpha channel too). Whether the
// fragment still writes depth is the caller's to judge: TransparentTexelsWriteDepth.
bool TransparentTexelsKeepColour(const DrawState& state, bool alphaWritten);
bool TransparentTexelsWriteDepth(const DrawState& state);

// True when the blend gives the source colour for a fragment of alpha 1 (`alphaWritten`: the
// back buffer's alpha too), so that a draw whose fragments all have alpha 1 draws the same
// without blending, which spares the rasteriser reading the back buffer.
bool BlendOfOpaqueIsSource(const DrawState& state, bool alphaWritten);
// True when every fragment of the draw has alpha 1 (exactly so, or so near that it is 1 in the
// back buffer's 8 bits): the alpha its texture stage computes from the texture (see
// DrawState::textureOpaque), the vertices' colours and the texture factor.
bool FragmentsOpaque(const DrawState& state, const RenderVertex* vertices, size_t count);

// The draw's quads cut down to the texels that can change something: each six-vertex quad of
// one colour that copies texels one to one onto pixels (as AnalyseDraw's texelPerPixel proves
// for a whole draw) shrinks to the pixels of its texels inside `ink`, and one with none there
// is left out; other quads are copied as they are. Under a state for which
// TransparentTexelsKeepColour holds, the colour drawn is the same.
void TrimToInk(const DrawState& state, const RECT& ink, const RenderVertex* vertices, size_t count,
               std::vector<RenderVertex>* out);

}  // namespace vlm_platform
