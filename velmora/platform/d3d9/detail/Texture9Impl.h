// A texture of the Direct3D stand-in: system-memory levels uploaded to GL when drawn.
#pragma once

#include <vector>

#include <velmora/platform/d3d9/Direct3D9.h>
#include <velmora/platform/d3d9/detail/GLRenderer.h>
#include <velmora/platform/d3d9/detail/TexturePages.h>
#include <velmora/platform/win32/detail/ComObject.h>

namespace vlm_platform {

class Device9Impl;

class Texture9Impl final : public ComObject<IDirect3DTexture9> {
public:
    struct Level {
        UINT width = 0;
        UINT height = 0;
        INT pitch = 0;
        std::vector<uint8_t> bytes;
        bool dirty = true;
        // What changed since the last upload; the whole level until GL holds it.
        RECT dirtyRect{};
        bool uploaded = false;  // GL holds the level at its size
        bool locked = false;
        bool lockedReadOnly = false;
        RECT lockedRect{};
    };

    // Null when the size, format or memory does not allow the texture.
    static Texture9Impl* Create(Device9Impl* device, UINT width, UINT height, UINT levels, D3DFORMAT format,
                                D3DPOOL pool, DWORD usage);

    HRESULT GetDevice(IDirect3DDevice9** device) override;
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_TEXTURE; }
    DWORD GetLevelCount() override { return static_cast<DWORD>(m_levels.size()); }
    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
    HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) override;
    HRESULT LockRect(UINT level, D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect(UINT level) override;

    // The GL texture with every changed level uploaded; created on first use.
    GLuint Prepare(GLRenderer& renderer);
    // Whether draws of it may share a batch with other textures' through the pages in the
    // renderer's frame `frame`: it suits them (TexturePages::Suits), and its texels have not been
    // changed after a draw of this frame or the one before. A texture rewritten between its draws
    // within frames (a font's cache reusing its strings' textures) would find its page drawn from
    // each time, so it is drawn on its own, as without the pages.
    bool JoinsPages(uint64_t frame) const {
        return m_suitsPages && (m_rewrittenInFrame == 0 || m_rewrittenInFrame + 1 < frame);
    }
    // Level 0 in a page, uploaded as far as it changed since; false when the texture does not
    // suit one or no page can take its texels now without waiting for the rasteriser (it is
    // then drawn from its own GL texture).
    bool PrepareInPage(TexturePages& pages, PageSlot* slot);
    // The device's mark while the texture has draws in its batch besides the current texture's.
    uint64_t BatchMark() const { return m_batchMark; }
    void SetBatchMark(uint64_t mark) { m_batchMark = mark; }
    D3DFORMAT Format() const { return m_format; }
    // Level 0's size, for the per-draw paths that would otherwise ask GetLevelDesc.
    UINT Width() const { return m_levels.front().width; }
    UINT Height() const { return m_levels.front().height; }
    // The device is going away: its GL texture goes with it and the pixels stay readable.
    void DetachDevice();
    // The smallest rectangle of level 0 outside which every texel has alpha 0 (empty when all
    // have); the whole level for formats without alpha and while the level is locked. Found
    // again, as far as locks changed it, when asked after a lock.
    RECT InkBounds();
    // True when every texel of level 0 has full alpha (formats without alpha: always); false
    // while the level is locked.
    bool Opaque();

private:
    Texture9Impl(Device9Impl* device, D3DFORMAT format, D3DPOOL pool, DWORD usage);
    ~Texture9Impl() override;

    Device9Impl* m_device;
    D3DFORMAT m_format;
    D3DPOOL m_pool;
    DWORD m_usage;
    std::vector<Level> m_levels;
    GLuint m_glTexture = 0;
    uint64_t m_drawnInFrame = 0;  // the renderer's frame of the last Prepare
    RECT m_ink{};                 // InkBounds as of the last unlock it has seen
    RECT m_inkChanged{};          // what was unlocked for writing since
    enum class Opacity { Opaque, NotOpaque };
    Opacity m_opacity = Opacity::NotOpaque;  // of level 0 (a new texture is transparent)
    RECT m_opacityChanged{};                 // unlocked for writing since m_opacity was known
    bool m_suitsPages = false;
    uint64_t m_lastDrawnInFrame = 0;  // the renderer's frame of its last draw, from a page or its own texture
    uint64_t m_rewrittenInFrame = 0;  // the last frame in which level 0 was written after a draw; 0: none
    PageSlot m_slot;
    RECT m_pageStale{};  // of level 0, written since the page got it
    uint64_t m_batchMark = 0;
};

}  // namespace vlm_platform
