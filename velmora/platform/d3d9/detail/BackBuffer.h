// The device's back buffer in GL: the framebuffer as the device asked for it (its samples and
// depth) and a single-sample picture that holds the frame while it is "flat".
//
// A multisampled or depth-buffered back buffer is kept flat from a whole clear for as long as
// every draw leaves all samples of a pixel equal and cannot fail the depth test (DrawAnalysis
// judges each draw): the picture then lives in the single-sample texture, depth writes and a
// whole depth clear wait in a list, and the first draw that needs the real buffers copies the
// picture into every sample and replays the writes. The result is the same; the rasteriser
// does a fraction of the work.
#pragma once

#include <epoxy/gl.h>

#include <cstdint>
#include <vector>

#include <velmora/platform/d3d9/detail/DrawState.h>

namespace vlm_platform {

class BackBuffer {
public:
    // What the back buffer asks of the renderer that owns it.
    class Host {
    public:
        // Draws with the renderer's programs, state cache and vertex stream.
        virtual void DrawInto(GLuint framebuffer, const DrawState& state, const RenderVertex* vertices,
                              size_t count) = 0;
        // GL state was changed behind the renderer's cache.
        virtual void ForgetAppliedState() = 0;

    protected:
        ~Host() = default;
    };

    explicit BackBuffer(Host& host) : m_host(host) {}
    BackBuffer(const BackBuffer&) = delete;
    BackBuffer& operator=(const BackBuffer&) = delete;

    // All of these need the renderer's context current.
    // Builds what every size shares; `mayBeFlat` false keeps every draw in the real buffers.
    bool Init(bool mayBeFlat);
    // (Re)creates the buffers, cleared to opaque black; on failure none exist.
    bool Create(const BackBufferDesc& desc);
    void DestroyBuffers();
    // The buffers and what Init built.
    void Release();

    const BackBufferDesc& Desc() const { return m_desc; }
    bool Exists() const { return m_fbo != 0; }
    bool Multisampled() const { return m_desc.samples > 1; }
    bool HasDepth() const { return m_depthRb != 0; }
    // True while the picture lives in the single-sample texture.
    bool IsFlat() const { return m_flat; }
    // The framebuffer as asked for, which the GL state rests on between calls.
    GLuint Framebuffer() const { return m_fbo; }

    // Clears inside the viewport: the whole of it, or the given rectangles within it. A whole
    // clear of the picture makes the back buffer flat again.
    void Clear(DWORD flags, D3DCOLOR color, float z, const RECT* rects, DWORD rectCount, const D3DVIEWPORT9& viewport);
    // Draws into the picture. `staysFlat` is the analysis' verdict; without it a flat back
    // buffer first becomes the real one. While flat, the depth writes kept for later are
    // those of `depthVertices`, the draw as it was asked for, which may cover more than the
    // vertices drawn (see TrimToInk).
    void Draw(const DrawState& state, const RenderVertex* vertices, size_t count, bool staysFlat,
              const RenderVertex* depthVertices, size_t depthCount);
    // A single-sample framebuffer holding the picture: the flat one, or the real one resolved.
    GLuint Picture();

private:
    struct DepthWrites {
        DrawState state;  // depth only: no colour, no texture, the test always passing
        size_t first;
        size_t count;
    };

    bool CreateFramebuffers();
    bool MayBeFlat() const;
    void KeepDepthWrites(const DrawState& state, const RenderVertex* vertices, size_t count);
    // Brings the depth buffer up to date: the waiting clear, then the waiting writes.
    void ApplyDepthWrites();
    // Copies the flat picture into every sample and replays the depth writes.
    void LeaveFlat();

    Host& m_host;
    BackBufferDesc m_desc;
    bool m_mayBeFlat = true;
    GLuint m_copyProgram = 0;  // flat picture into every sample
    GLuint m_copyVao = 0;

    GLuint m_fbo = 0;           // the back buffer as asked for: samples and depth
    GLuint m_colorRb = 0;       // its colour when multisampled...
    GLuint m_colorTexture = 0;  // ...and when not
    GLuint m_depthRb = 0;
    GLuint m_flatFbo = 0;  // single-sample picture: the flat back buffer, or the resolved one
    GLuint m_flatTexture = 0;
    bool m_flat = false;
    bool m_depthClearWaiting = false;  // a whole depth clear made while flat, not yet done
    float m_depthClearValue = 1.0f;
    std::vector<DepthWrites> m_depthWrites;
    std::vector<RenderVertex> m_depthWriteVertices;
};

}  // namespace vlm_platform
