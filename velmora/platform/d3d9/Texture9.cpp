// Textures of the Direct3D stand-in.
#include <velmora/platform/d3d9/detail/Texture9Impl.h>

#include <algorithm>
#include <new>

#include <velmora/platform/d3d9/detail/Device9Impl.h>
#include <velmora/platform/d3d9/detail/DeviceConditions.h>
#include <velmora/platform/d3d9/detail/GLFormats.h>
#include <velmora/platform/d3d9/detail/PixelFormats.h>
#include <velmora/platform/d3d9/detail/Surface9Impl.h>

namespace vlm_platform {

namespace {

bool Empty(const RECT& r) { return r.left >= r.right || r.top >= r.bottom; }

RECT Union(const RECT& a, const RECT& b) {
    return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

}  // namespace

Texture9Impl::Texture9Impl(Device9Impl* device, D3DFORMAT format, D3DPOOL pool, DWORD usage)
    : m_device(device), m_format(format), m_pool(pool), m_usage(usage) {
    // The device does not keep textures alive, nor textures the device: a texture bound to
    // the device would otherwise keep both forever. The device detaches its textures instead.
    m_device->AttachTexture(this);
}

Texture9Impl::~Texture9Impl() {
    if (m_device) {
        if (!m_levels.empty()) m_device->Pages().Free(&m_slot, Width(), Height());
        m_device->Renderer().DeleteTexture(m_glTexture);
        m_device->DetachTexture(this);
    }
}

void Texture9Impl::DetachDevice() {
    if (m_device) m_device->Renderer().DeleteTexture(m_glTexture);
    m_glTexture = 0;
    m_slot = PageSlot{};  // the pages go with the device
    m_device = nullptr;
}

Texture9Impl* Texture9Impl::Create(Device9Impl* device, UINT width, UINT height, UINT levels, D3DFORMAT format,
                                   D3DPOOL pool, DWORD usage) {
    UINT bpp = TexelBytes(format);
    const UINT maxSize = Conditions().maxTextureSize;  // what the caps report
    if (!bpp || width == 0 || height == 0 || width > maxSize || height > maxSize) return nullptr;
    UINT fullChain = 1;
    for (UINT w = width, h = height; w > 1 || h > 1; w = w > 1 ? w / 2 : 1, h = h > 1 ? h / 2 : 1) ++fullChain;
    if (levels == 0 || levels > fullChain) levels = fullChain;

    Texture9Impl* texture = new (std::nothrow) Texture9Impl(device, format, pool, usage);
    if (!texture) return nullptr;
    try {
        texture->m_levels.resize(levels);
        UINT w = width, h = height;
        for (Level& level : texture->m_levels) {
            level.width = w;
            level.height = h;
            level.pitch = static_cast<INT>(w * bpp);
            level.bytes.assign(static_cast<size_t>(level.pitch) * h, 0);
            w = w > 1 ? w / 2 : 1;
            h = h > 1 ? h / 2 : 1;
        }
    } catch (const std::bad_alloc&) {
        texture->Release();
        return nullptr;
    }
    texture->m_suitsPages = TexturePages::Suits(format, levels, width, height);
    texture->m_pageStale = RECT{0, 0, LONG(width), LONG(height)};
    return texture;
}

HRESULT Texture9Impl::GetDevice(IDirect3DDevice9** device) {
    if (!device || !m_device) return D3DERR_INVALIDCALL;
    m_device->AddRef();
    *device = m_device;
    return D3D_OK;
}

HRESULT Texture9Impl::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
    if (!desc || level >= m_levels.size()) return D3DERR_INVALIDCALL;
    *desc = D3DSURFACE_DESC{m_format,
                            D3DRTYPE_SURFACE,
                            m_usage,
                            m_pool,
                            D3DMULTISAMPLE_NONE,
                            0,
                            m_levels[level].width,
                            m_levels[level].height};
    return D3D_OK;
}

HRESULT Texture9Impl::GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) {
    if (!surface || level >= m_levels.size()) return D3DERR_INVALIDCALL;
    *surface = new (std::nothrow) TextureLevelSurface(this, level);
    return *surface ? D3D_OK : E_OUTOFMEMORY;
}

HRESULT Texture9Impl::LockRect(UINT level, D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) {
    if (!lockedRect || level >= m_levels.size()) return D3DERR_INVALIDCALL;
    Level& l = m_levels[level];
    if (l.locked) return D3DERR_INVALIDCALL;
    size_t offset = 0;
    if (rect) {
        if (rect->left < 0 || rect->top < 0 || rect->right > static_cast<LONG>(l.width) ||
            rect->bottom > static_cast<LONG>(l.height) || rect->left >= rect->right || rect->top >= rect->bottom)
            return D3DERR_INVALIDCALL;
        offset = static_cast<size_t>(rect->top) * l.pitch + static_cast<size_t>(rect->left) * TexelBytes(m_format);
    }
    l.locked = true;
    l.lockedReadOnly = (flags & D3DLOCK_READONLY) != 0;
    l.lockedRect = rect ? *rect : RECT{0, 0, static_cast<LONG>(l.width), static_cast<LONG>(l.height)};
    if (!l.lockedReadOnly && m_device) {
        m_device->FlushIfUsing(this);
        const uint64_t frame = m_device->Renderer().Frame();
        if (level == 0 && m_lastDrawnInFrame == frame) m_rewrittenInFrame = frame;
    }
    lockedRect->Pitch = l.pitch;
    lockedRect->pBits = l.bytes.data() + offset;
    return D3D_OK;
}

HRESULT Texture9Impl::UnlockRect(UINT level) {
    if (level >= m_levels.size() || !m_levels[level].locked) return D3DERR_INVALIDCALL;
    Level& l = m_levels[level];
    l.locked = false;
    if (l.lockedReadOnly) return D3D_OK;
    const RECT& r = l.lockedRect;
    if (level == 0) {
        m_inkChanged = Empty(m_inkChanged) ? r : Union(m_inkChanged, r);
        m_opacityChanged = Empty(m_opacityChanged) ? r : Union(m_opacityChanged, r);
        m_pageStale = Empty(m_pageStale) ? r : Union(m_pageStale, r);
    }
    l.dirtyRect = l.dirty ? Union(l.dirtyRect, r) : r;
    l.dirty = true;
    return D3D_OK;
}

RECT Texture9Impl::InkBounds() {
    const Level& l = m_levels.front();
    const RECT whole{0, 0, LONG(l.width), LONG(l.height)};
    if (l.locked || !HasAlpha(m_format)) return whole;
    if (Empty(m_inkChanged)) return m_ink;
    // Texels outside the changed part keep their alpha: when it covers the old bounds, the
    // new ones are what it holds; otherwise they hold at least the old ones.
    const RECT& c = m_inkChanged;
    const bool covered = Empty(m_ink) || (c.left <= m_ink.left && c.top <= m_ink.top && c.right >= m_ink.right &&
                                          c.bottom >= m_ink.bottom);
    RECT found{};
    for (LONG y = c.top; y < c.bottom; ++y) {
        UINT begin = 0, end = 0;
        RowInk(m_format, l.bytes.data() + size_t(y) * size_t(l.pitch) + size_t(c.left) * TexelBytes(m_format),
               UINT(c.right - c.left), &begin, &end);
        if (begin == end) continue;
        const RECT row{c.left + LONG(begin), y, c.left + LONG(end), y + 1};
        found = Empty(found) ? row : Union(found, row);
    }
    if (covered)
        m_ink = found;
    else if (!Empty(found))
        m_ink = Union(m_ink, found);
    m_inkChanged = RECT{};
    return m_ink;
}

bool Texture9Impl::Opaque() {
    const Level& l = m_levels.front();
    if (!HasAlpha(m_format)) return true;
    if (l.locked) return false;
    if (!Empty(m_opacityChanged)) {
        // Opaque before: the changed part decides. Otherwise the whole level does.
        const RECT c = m_opacity == Opacity::Opaque ? m_opacityChanged : RECT{0, 0, LONG(l.width), LONG(l.height)};
        bool opaque = true;
        for (LONG y = c.top; y < c.bottom && opaque; ++y)
            opaque = RowOpaque(m_format,
                               l.bytes.data() + size_t(y) * size_t(l.pitch) + size_t(c.left) * TexelBytes(m_format),
                               UINT(c.right - c.left));
        m_opacity = opaque ? Opacity::Opaque : Opacity::NotOpaque;
        m_opacityChanged = RECT{};
    }
    return m_opacity == Opacity::Opaque;
}

GLuint Texture9Impl::Prepare(GLRenderer& renderer) {
    bool changed = false;
    for (const Level& l : m_levels) changed = changed || l.dirty;
    if (changed && m_glTexture && m_drawnInFrame == renderer.Frame()) {
        // Drawn earlier in this frame: new pixels go into a new GL texture, so that the
        // rasteriser need not finish the draws that read the old ones before the upload.
        renderer.DeleteTexture(m_glTexture);
        m_glTexture = 0;
    }
    if (!m_glTexture) {
        m_glTexture = renderer.CreateTexture();
        for (Level& l : m_levels) l.uploaded = false, l.dirty = true;
    }
    m_drawnInFrame = m_lastDrawnInFrame = renderer.Frame();
    for (UINT i = 0; i < m_levels.size(); ++i) {
        Level& l = m_levels[i];
        if (!l.dirty) continue;
        const RECT& r = l.dirtyRect;
        if (l.uploaded && r.left < r.right && r.top < r.bottom) {
            // Only what the locks since the last upload changed (a new string's pixels).
            const size_t offset =
                static_cast<size_t>(r.top) * l.pitch + static_cast<size_t>(r.left) * TexelBytes(m_format);
            renderer.UploadTextureRegion(m_glTexture, m_format, i, r, l.pitch, l.bytes.data() + offset);
        } else {
            renderer.UploadTextureLevel(m_glTexture, m_format, static_cast<UINT>(m_levels.size()), i, l.width, l.height,
                                        l.pitch, l.bytes.data());
            l.uploaded = true;
        }
        l.dirty = false;
    }
    return m_glTexture;
}

bool Texture9Impl::PrepareInPage(TexturePages& pages, PageSlot* slot) {
    if (!m_suitsPages) return false;
    const Level& l = m_levels.front();
    if (m_slot.page < 0) {
        if (!pages.Place(l.width, l.height, &m_slot)) return false;
        m_pageStale = RECT{0, 0, LONG(l.width), LONG(l.height)};
    }
    if (!Empty(m_pageStale)) {
        // Changed, or placed, where a draw of this frame has read the page already: drawn from
        // its own texture until the frame's end.
        if (!pages.Writable(m_slot.page)) return false;
        const RECT& r = m_pageStale;
        pages.Upload(m_slot, m_format, r, l.pitch,
                     l.bytes.data() + size_t(r.top) * size_t(l.pitch) + size_t(r.left) * TexelBytes(m_format));
        m_pageStale = RECT{};
    }
    *slot = m_slot;
    m_lastDrawnInFrame = pages.Frame();
    return true;
}

}  // namespace vlm_platform
