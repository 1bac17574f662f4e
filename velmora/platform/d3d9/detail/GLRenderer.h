// The OpenGL side of the Direct3D stand-in: one GL 3.3 core context per device, the back
// buffer (detail/BackBuffer.h), the programs that reproduce the fixed-function subset (built
// for each texture-stage set-up in use, detail/Shaders.h), a streaming vertex buffer, a cache
// of the GL state last applied, presentation and read-back.
//
// Seven shortcuts spare a software rasteriser work. The flat back buffer (see BackBuffer),
// nearest sampling for draws that copy texels one to one onto pixels, quads of such draws cut
// down to their texture's ink where texels of alpha 0 change nothing, and no blending where
// every fragment has alpha 1 and the blend would give its colour (see DrawAnalysis) leave the
// picture exactly as it is; so does reading opaque white for a stage without a texture rather
// than sampling a white texture (which border addressing blended with the border colour), and
// drawing the one-to-one draws of several small textures as one draw from a shared page (see
// TexturePages). Snapping triangle vertices to the rasteriser's 1/256-pixel grid (see the
// vertex shader) leaves the pixels covered as they are, but moves a corner by up to 1/512
// pixel, which can move an interpolated colour or filtered texel by a step or two, or pick the
// other texel where nearest sampling falls exactly on a texel edge. A renderer may be created
// without any of them (RasterShortcuts).
//
// The back buffer is stored with Direct3D's top row at GL row 0, and positions are mapped so
// that GL's pixel centres (i + 0.5) fall where Direct3D puts its own (i): a texture drawn 1:1
// through the engine's half-pixel projection lands texel for texel on the pixels.
#pragma once

#include <epoxy/gl.h>

#include <cstdint>
#include <vector>

#include <velmora/platform/d3d9/detail/BackBuffer.h>
#include <velmora/platform/d3d9/detail/DrawState.h>
#include <velmora/platform/d3d9/detail/GLFormats.h>
#include <velmora/platform/d3d9/detail/Shaders.h>

struct SDL_Window;

namespace vlm_platform {

// Which of the shortcuts a renderer takes; and whether the C library is asked to keep
// llvmpipe's freed memory (see RasteriserHeap.h).
struct RasterShortcuts {
    bool flat = true;
    bool nearest = true;
    bool snap = true;
    bool trim = true;
    bool opaque = true;
    bool white = true;  // a stage without a texture reads white without sampling one
    bool pages = true;  // small textures also kept in shared textures, to draw several as one (see TexturePages)
    bool heap = true;
};

// A part of a draw from a page (see TexturePages): vertices of one texture, every quad of them
// proven to copy texels one to one from inside it (DrawAnalysis's texelPerPixel).
struct PagedRun {
    size_t first = 0, count = 0;  // of the draw's vertices
    UINT width = 0, height = 0;   // the texture's level 0
    LONG x = 0, y = 0;            // where level 0 lies in the page
    bool trimToInk = false;       // as DrawState's, for this texture
    RECT ink{};
};

class GLRenderer final : private BackBuffer::Host {
public:
    GLRenderer() = default;
    ~GLRenderer();
    GLRenderer(const GLRenderer&) = delete;
    GLRenderer& operator=(const GLRenderer&) = delete;

    // The shortcuts hold for the renderer's life.
    bool Create(SDL_Window* window, const BackBufferDesc& backBuffer, const RasterShortcuts& shortcuts);
    const RasterShortcuts& Shortcuts() const { return m_shortcuts; }
    // Recreates the back buffer (its contents are lost, as after a Direct3D reset).
    bool ResizeBackBuffer(const BackBufferDesc& backBuffer);
    const BackBufferDesc& BackBufferSize() const { return m_backBuffer.Desc(); }
    void MakeCurrent();

    // Clears inside the viewport: the whole of it, or the given rectangles within it.
    void Clear(DWORD flags, D3DCOLOR color, float z, const RECT* rects, DWORD rectCount, const D3DVIEWPORT9& viewport);
    void Draw(const DrawState& state, const RenderVertex* vertices, size_t count);
    // Draws runs of several textures from the page `state` names (its texture and size; its
    // textureOpaque true only when every run's texture is opaque) as one draw, each run's
    // texture coordinates moved to its place in the page.
    void DrawPaged(const DrawState& state, const RenderVertex* vertices, size_t count, const PagedRun* runs,
                   size_t runCount);
    // Batches handed to GL so far (Draw and DrawPaged calls that drew).
    uint64_t DrawCount() const { return m_drawCount; }
    // The size in pixels of the window's drawable as the window system has it, which is not
    // always what SDL believes: a full screen that no window manager granted leaves an X
    // window as it was, and the off-screen driver's surface keeps its first size.
    void DrawableSize(int* width, int* height);
    // Shows the back buffer in `area` (pixels of the window, top row first) of a drawable of
    // the given size, scaled when the sizes differ; the rest is black.
    void Present(bool vsync, int drawableWidth, int drawableHeight, const RECT& area);
    // The back buffer's pixels, top row first, in the back buffer's Direct3D format.
    bool ReadBackBuffer(std::vector<uint8_t>* bytes, INT* pitch);

    // True while the picture lives in the back buffer's single-sample texture.
    bool IsFlat() const { return m_backBuffer.IsFlat(); }

    // Counts presents and read-backs: a texture drawn since the last of them may still be read
    // by draws the rasteriser has not finished.
    uint64_t Frame() const { return m_frame; }

    GLuint CreateTexture();
    // A texture stored as B8G8R8A8 with undefined texels, as a page.
    GLuint CreatePageTexture(UINT width, UINT height);
    void DeleteTexture(GLuint texture);
    // Uploads one level of a texture from Direct3D-format bytes.
    void UploadTextureLevel(GLuint texture, D3DFORMAT format, UINT levelCount, UINT level, UINT width, UINT height,
                            INT pitch, const void* bytes);
    // Uploads a rectangle of a level already uploaded whole; `bytes` point at its first texel.
    void UploadTextureRegion(GLuint texture, D3DFORMAT format, UINT level, const RECT& rect, INT pitch,
                             const void* bytes);

private:
    struct Program {
        ProgramKey key;
        GLuint id;
        ProgramUniforms u;
    };
    static constexpr size_t kNoProgram = ~size_t{0};

    // The program for the state, built on first use; kNoProgram when it does not build.
    size_t ProgramFor(const DrawState& state);
    // False when the state's program cannot be built.
    bool ApplyState(const DrawState& state);
    void DrawInto(GLuint framebuffer, const DrawState& state, const RenderVertex* vertices, size_t count) override;
    void ForgetAppliedState() override { m_haveApplied = false; }
    // Points `bytes`, `upload` and `pitch` at 32-bit BGRA texels for formats Mesa would
    // convert texel by texel on its slowest path (A4R4G4B4: the text textures), expanded here.
    void PrepareUpload(D3DFORMAT format, UINT width, UINT height, const void*& bytes, UploadFormat& upload, INT& pitch);

    SDL_Window* m_window = nullptr;
    void* m_context = nullptr;
    int m_swapInterval = -1;  // not set yet
    RasterShortcuts m_shortcuts;
    BackBuffer m_backBuffer{*this};

    std::vector<Program> m_programs;
    GLuint m_vao = 0;
    GLuint m_vbo = 0;
    size_t m_vboSize = 0;
    size_t m_vboOffset = 0;
    GLuint m_sampler = 0;
    GLuint m_whiteTexture = 0;
    std::vector<uint32_t> m_expanded;     // texels of an upload expanded to 32 bits
    std::vector<RenderVertex> m_trimmed;  // a draw's quads cut down to their ink
    std::vector<RenderVertex> m_paged;    // a paged draw's vertices, in the page's coordinates
    uint64_t m_drawCount = 0;

    // The GL state last applied, to skip calls that would change nothing.
    bool m_haveApplied = false;
    DrawState m_applied;
    size_t m_appliedProgram = kNoProgram;
    uint64_t m_frame = 1;
};

}  // namespace vlm_platform
