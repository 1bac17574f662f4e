// The OpenGL side of the Direct3D stand-in: one GL 3.3 core context per device, the back
// buffer as an off-screen framebuffer, a shader that reproduces the fixed-function subset
// (built for each texture-stage set-up in use), a streaming vertex buffer, presentation and
// read-back.
//
// A multisampled or depth-buffered back buffer is kept "flat" from a whole clear for as long
// as every draw leaves all samples of a pixel equal and cannot fail the depth test: the
// picture then lives in a single-sample texture, depth writes wait in a list, and the first
// draw that needs the real buffers copies the picture into every sample and replays the
// writes. The result is the same; the rasteriser does a fraction of the work.
//
// The back buffer is stored with Direct3D's top row at GL row 0, and positions are mapped so
// that GL's pixel centres (i + 0.5) fall where Direct3D puts its own (i): a texture drawn 1:1
// through the engine's half-pixel projection lands texel for texel on the pixels.
#pragma once

#include <epoxy/gl.h>

#include <cstdint>
#include <vector>

#include <velmora/platform/d3d9/D3D9Types.h>

struct SDL_Window;

namespace vlm_platform {

// Every primitive is drawn as one of three kinds; strips and fans arrive as lists.
enum class PrimitiveKind { Points, Lines, Triangles };

struct RenderVertex {
    float x, y, z, w;  // model position (w = 1), or screen position and rhw when pre-transformed
    uint32_t color;    // D3DCOLOR, 0xAARRGGBB
    float u, v;
};

struct BackBufferDesc {
    UINT width = 0;
    UINT height = 0;
    D3DFORMAT format = D3DFMT_X8R8G8B8;
    UINT samples = 0;  // 0 or 1: no multisampling
    bool depth = false;
};

// The Direct3D state that a draw depends on, in GL terms where that is simpler.
struct DrawState {
    PrimitiveKind kind = PrimitiveKind::Triangles;
    bool pretransformed = false;
    float worldViewProj[16] = {};  // Direct3D row-vector matrix, row after row
    D3DVIEWPORT9 viewport{};
    GLuint texture = 0;                        // 0: the stage reads as opaque white
    UINT textureWidth = 0, textureHeight = 0;  // of level 0
    DWORD colorOp = 0, colorArg1 = 0, colorArg2 = 0;
    DWORD alphaOp = 0, alphaArg1 = 0, alphaArg2 = 0;
    DWORD textureFactor = 0xFFFFFFFF;
    bool blend = false;
    GLenum srcRGB = GL_ONE, dstRGB = GL_ZERO, srcAlpha = GL_ONE, dstAlpha = GL_ZERO;
    GLenum equationRGB = GL_FUNC_ADD, equationAlpha = GL_FUNC_ADD;
    DWORD blendFactor = 0xFFFFFFFF;
    bool alphaTest = false;
    DWORD alphaRef = 0;
    DWORD alphaFunc = 0;
    bool depthTest = false;
    bool depthWrite = true;
    GLenum depthFunc = GL_LEQUAL;
    DWORD cullMode = 1;  // D3DCULL_NONE
    DWORD fillMode = 3;  // D3DFILL_SOLID
    GLint minFilter = GL_NEAREST, magFilter = GL_NEAREST;
    GLint wrapS = GL_REPEAT, wrapT = GL_REPEAT;
    DWORD borderColor = 0;
    DWORD colorWrite = 0xF;
    bool scissor = false;
    RECT scissorRect{};
    float pointSize = 1.0f;
};

class GLRenderer {
public:
    GLRenderer() = default;
    ~GLRenderer();
    GLRenderer(const GLRenderer&) = delete;
    GLRenderer& operator=(const GLRenderer&) = delete;

    bool Create(SDL_Window* window, const BackBufferDesc& backBuffer);
    // Recreates the back buffer (its contents are lost, as after a Direct3D reset).
    bool ResizeBackBuffer(const BackBufferDesc& backBuffer);
    const BackBufferDesc& BackBuffer() const { return m_backBuffer; }
    void MakeCurrent();

    // Clears inside the viewport: the whole of it, or the given rectangles within it.
    void Clear(DWORD flags, D3DCOLOR color, float z, const RECT* rects, DWORD rectCount, const D3DVIEWPORT9& viewport);
    void Draw(const DrawState& state, const RenderVertex* vertices, size_t count);
    // Shows the back buffer in the window, scaled with its aspect kept when sizes differ.
    void Present(bool vsync);
    // The back buffer's pixels, top row first, in the back buffer's Direct3D format.
    bool ReadBackBuffer(std::vector<uint8_t>* bytes, INT* pitch);

    // True while the picture lives in the single-sample texture (see above).
    bool IsFlat() const { return m_flat; }

    GLuint CreateTexture();
    void DeleteTexture(GLuint texture);
    // Uploads one level of a texture from Direct3D-format bytes.
    void UploadTextureLevel(GLuint texture, D3DFORMAT format, UINT levelCount, UINT level, UINT width, UINT height,
                            INT pitch, const void* bytes);

private:
    // The fragment shader is built for one combination of texture-stage operations and alpha
    // test at a time, with them as constants: the per-pixel work then has no branches on
    // state, which matters on software rasterisers. One program per combination in use.
    struct ProgramKey {
        DWORD colorOp, colorArg1, colorArg2, alphaOp, alphaArg1, alphaArg2;
        bool alphaTest;
        DWORD alphaFunc;  // 0 without the alpha test
        explicit ProgramKey(const DrawState& s);
        bool operator==(const ProgramKey& other) const;
    };
    struct Uniforms {
        GLint wvp, viewport, target, pixelOffset, snap, pretransformed, textureFactor, alphaRef, pointSize;
    };
    struct Program {
        ProgramKey key;
        GLuint id;
        Uniforms u;
    };
    static constexpr size_t kNoProgram = ~size_t{0};

    // Depth writes of flat draws, replayed into the depth buffer when it is next needed.
    struct DepthWrites {
        DrawState state;  // depth only: no colour, no texture, the test always passing
        size_t first;
        size_t count;
    };

    // The program for the state, built on first use; kNoProgram when it does not build.
    size_t ProgramFor(const DrawState& state);
    bool CreateCopyProgram();
    bool CreateFramebuffers();
    void DestroyFramebuffers();
    GLuint ResolvedFramebuffer();
    // False when the state's program cannot be built.
    bool ApplyState(const DrawState& state);
    void DrawInto(GLuint framebuffer, const DrawState& state, const RenderVertex* vertices, size_t count);
    void KeepDepthWrites(const DrawState& state, const RenderVertex* vertices, size_t count);
    // Brings the depth buffer up to date: the waiting clear, then the waiting writes.
    void ApplyDepthWrites();
    // Copies the flat picture into every sample and replays the depth writes.
    void LeaveFlat();

    SDL_Window* m_window = nullptr;
    void* m_context = nullptr;
    int m_swapInterval = -1;  // not set yet
    BackBufferDesc m_backBuffer;

    std::vector<Program> m_programs;
    GLuint m_vao = 0;
    GLuint m_vbo = 0;
    size_t m_vboSize = 0;
    size_t m_vboOffset = 0;
    GLuint m_sampler = 0;
    GLuint m_whiteTexture = 0;

    GLuint m_fbo = 0;  // the back buffer as asked for: samples and depth
    GLuint m_colorRb = 0;
    GLuint m_depthRb = 0;
    GLuint m_flatFbo = 0;  // single-sample picture: the flat back buffer, or the resolved one
    GLuint m_flatTexture = 0;
    GLuint m_copyProgram = 0;  // flat picture into every sample
    GLuint m_copyVao = 0;
    bool m_flat = false;
    bool m_depthClearWaiting = false;  // a whole depth clear made while flat, not yet done
    float m_depthClearValue = 1.0f;
    std::vector<DepthWrites> m_depthWrites;
    std::vector<RenderVertex> m_depthWriteVertices;

    // The GL state last applied, to skip calls that would change nothing.
    bool m_haveApplied = false;
    DrawState m_applied;
    size_t m_appliedProgram = kNoProgram;
};

}  // namespace vlm_platform
