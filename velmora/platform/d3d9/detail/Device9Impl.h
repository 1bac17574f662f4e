// The device of the Direct3D stand-in: Direct3D state, batching of draws, loss and reset.
//
// Consecutive draws that share texture and state are collected into one vertex list and
// drawn with one GL call when the state changes, the frame is presented or read back. Draws
// from another small texture (see TexturePages) join the batch as a run of their own, and
// those that copy texels one to one go to GL together from a shared page. The picture is the
// same as drawing each call at once.
//
// VELMORA_NO_RASTER_SHORTCUTS=1 in the environment, read when a device is created, makes that
// device draw without the renderer's shortcuts (the flat back buffer, nearest sampling for
// texels copied one to one, quads cut down to their texture's ink, opaque draws without
// blending, white without sampling for a stage without a texture, small textures drawn
// together from shared pages, the vertex grid snap; see
// detail/GLRenderer.h) and leaves the C library's heap settings alone, to chase a picture
// fault on one machine or to compare. A list of their names (flat, nearest, trim, opaque,
// white, pages, snap, heap: "trim,opaque") turns off those alone. The picture is the same either way but for
// the snap's small shifts on triangles whose corners lie off the 1/256-pixel grid (GLRenderer.h says which).
#pragma once

#include <array>
#include <memory>
#include <vector>

#include <velmora/platform/d3d9/Direct3D9.h>
#include <velmora/platform/d3d9/detail/GLRenderer.h>
#include <velmora/platform/d3d9/detail/TexturePages.h>
#include <velmora/platform/win32/detail/ComObject.h>

namespace vlm_platform {

class Texture9Impl;

class Device9Impl final : public ComObject<IDirect3DDevice9> {
public:
    // Null when the window or the parameters do not allow a device.
    static Device9Impl* Create(IDirect3D9* d3d, HWND window, D3DPRESENT_PARAMETERS* params);

    HRESULT TestCooperativeLevel() override;
    HRESULT GetDeviceCaps(D3DCAPS9* caps) override;
    HRESULT GetDisplayMode(UINT swapChain, D3DDISPLAYMODE* mode) override;
    HRESULT Reset(D3DPRESENT_PARAMETERS* params) override;
    HRESULT Present(const RECT* sourceRect, const RECT* destRect, HWND destWindow, const void* dirtyRegion) override;
    HRESULT GetBackBuffer(UINT swapChain, UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface9** backBuffer) override;
    HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                          IDirect3DTexture9** texture, HANDLE* sharedHandle) override;
    HRESULT BeginScene() override;
    HRESULT EndScene() override;
    HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil) override;
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
    HRESULT SetViewport(const D3DVIEWPORT9* viewport) override;
    HRESULT GetViewport(D3DVIEWPORT9* viewport) override;
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override;
    HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) override;
    HRESULT GetTexture(DWORD stage, IDirect3DBaseTexture9** texture) override;
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;
    HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) override;
    HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) override;
    HRESULT GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) override;
    HRESULT SetScissorRect(const RECT* rect) override;
    HRESULT SetFVF(DWORD fvf) override;
    HRESULT GetFVF(DWORD* fvf) override;
    HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertexData,
                            UINT vertexStride) override;

    // Draws collected so far go to GL now.
    void Flush();
    // Before a texture's pixels change, draws that still use the old pixels are flushed.
    void FlushIfUsing(const Texture9Impl* texture);
    TexturePages& Pages() { return *m_pages; }
    // Appends vertices already in the renderer's form (the sprite object's quads).
    void Submit(PrimitiveKind kind, bool pretransformed, const RenderVertex* vertices, size_t count);
    // Room for `count` vertices at the end of the batch, to be filled before anything else is
    // drawn; Appended then flushes a full batch.
    RenderVertex* Append(PrimitiveKind kind, bool pretransformed, size_t count);
    void Appended() {
        if (m_pending.size() >= kFlushVertices) Flush();
    }
    // True when solid triangles within these pre-transformed screen bounds cannot touch a
    // sample of the back buffer, so drawing them changes nothing.
    bool OutsideTarget(float left, float top, float right, float bottom) const {
        // GL's window x is the screen x + 0.5, and samples lie strictly inside (0, width) x
        // (0, height). The slack covers the rounding on the way to the rasteriser and the
        // vertex snap; NaN is never outside.
        return right + 0.5f < -Slack(right) || bottom + 0.5f < -Slack(bottom) ||
               left + 0.5f > m_targetWidth + Slack(left) || top + 0.5f > m_targetHeight + Slack(top);
    }
    // Changes whenever a render, stage or sampler state changes value, so that the sprite
    // object can tell that the state it saw is still the device's.
    uint64_t StateVersion() const { return m_stateVersion; }
    GLRenderer& Renderer() { return *m_renderer; }
    // Stage 0's state as set, read without the Get calls' checks, for the sprite object that
    // compares its state around every draw.
    DWORD RenderStateValue(D3DRENDERSTATETYPE state) const { return m_renderStates[state]; }
    DWORD StageStateValue(D3DTEXTURESTAGESTATETYPE type) const { return m_stageStates[0][type]; }
    DWORD SamplerStateValue(D3DSAMPLERSTATETYPE type) const { return m_samplerStates[0][type]; }
    void AttachTexture(Texture9Impl* texture) { m_liveTextures.push_back(texture); }
    void DetachTexture(Texture9Impl* texture);
    const D3DPRESENT_PARAMETERS& Parameters() const { return m_params; }

private:
    static constexpr size_t kRenderStates = 256;
    static constexpr size_t kStages = 8;
    static constexpr size_t kStageStates = 33;
    static constexpr size_t kSamplerStates = 14;

    Device9Impl(IDirect3D9* d3d, HWND window);
    ~Device9Impl() override;

    // Every texture is one of this device's.
    static Texture9Impl* AsTexture(IDirect3DBaseTexture9* texture);

    bool ApplyParameters(const D3DPRESENT_PARAMETERS& params);
    // Asks the window system for the window's drawable size, which Present fits the picture into.
    void MeasureWindow();
    void SetDefaultState();
    void StateChanging();
    // The draw state but for the texture's part, which DescribeTexture fills for a texture
    // (null: none) that GL holds as `glTexture`.
    void BuildCommonState(DrawState* state);
    void DescribeTexture(DrawState* state, Texture9Impl* texture, GLuint glTexture);
    // True when draws from `next` may follow the batch's as a run of their own.
    bool JoinsBatch(IDirect3DBaseTexture9* next) const;
    // The current texture's draws since the last run become a run.
    void EndRun();
    // Draws a batch with runs: those that copy texels one to one from a page, others from
    // their own textures, in order.
    void FlushRuns();
    // Forgets the batch.
    void DiscardBatch();
    // Solid triangles whose vertices, in the draw's own layout, all lie beyond one edge of
    // the back buffer under the current transforms.
    bool TrianglesOutsideTarget(const uint8_t* data, UINT count, UINT stride, bool pretransformed);

    static float Slack(float v) { return 0.5f + (v < 0 ? -v : v) * (1.0f / 4096); }

    static constexpr size_t kFlushVertices = 1u << 16;

    IDirect3D9* m_d3d;
    HWND m_window;
    const RasterShortcuts m_rasterShortcuts;
    D3DPRESENT_PARAMETERS m_params{};
    std::unique_ptr<GLRenderer> m_renderer;
    bool m_inScene = false;

    std::array<DWORD, kRenderStates> m_renderStates{};
    std::array<std::array<DWORD, kStageStates>, kStages> m_stageStates{};
    std::array<std::array<DWORD, kSamplerStates>, kStages> m_samplerStates{};
    std::array<IDirect3DBaseTexture9*, kStages> m_textures{};
    D3DMATRIX m_world{}, m_view{}, m_projection{};
    D3DVIEWPORT9 m_viewport{};
    RECT m_scissor{};
    DWORD m_fvf = 0;
    uint64_t m_stateVersion = 1;
    float m_targetWidth = 0, m_targetHeight = 0;  // the back buffer's size
    D3DMATRIX m_worldViewProj{};                  // world x view x projection, when current
    bool m_worldViewProjCurrent = false;

    // The batch being collected.
    std::vector<RenderVertex> m_pending;
    PrimitiveKind m_pendingKind = PrimitiveKind::Triangles;
    bool m_pendingPretransformed = false;
    // Draws of other textures earlier in the batch, each run ending where the next begins
    // and holding a reference to its texture; the current texture's draws follow the last.
    struct BatchRun {
        Texture9Impl* texture;
        size_t end;
    };
    std::vector<BatchRun> m_runs;
    uint64_t m_batchMark = 1;  // marks the textures of the runs; changes when they are drawn
    std::vector<PagedRun> m_pagedRuns;
    std::unique_ptr<TexturePages> m_pages;
    std::vector<Texture9Impl*> m_liveTextures;
};

}  // namespace vlm_platform
