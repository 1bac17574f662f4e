// Surfaces of the Direct3D stand-in: texture levels and the back buffer.
#include <velmora/platform/d3d9/detail/Surface9Impl.h>

#include <velmora/platform/d3d9/detail/Device9Impl.h>
#include <velmora/platform/d3d9/detail/Texture9Impl.h>

namespace vlm_platform {

TextureLevelSurface::TextureLevelSurface(Texture9Impl* texture, UINT level) : m_texture(texture), m_level(level) {
    m_texture->AddRef();
}

TextureLevelSurface::~TextureLevelSurface() { m_texture->Release(); }

HRESULT TextureLevelSurface::GetDevice(IDirect3DDevice9** device) { return m_texture->GetDevice(device); }

HRESULT TextureLevelSurface::GetDesc(D3DSURFACE_DESC* desc) { return m_texture->GetLevelDesc(m_level, desc); }

HRESULT TextureLevelSurface::LockRect(D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) {
    return m_texture->LockRect(m_level, lockedRect, rect, flags);
}

HRESULT TextureLevelSurface::UnlockRect() { return m_texture->UnlockRect(m_level); }

BackBufferSurface::BackBufferSurface(Device9Impl* device) : m_device(device) { m_device->AddRef(); }

BackBufferSurface::~BackBufferSurface() { m_device->Release(); }

HRESULT BackBufferSurface::GetDevice(IDirect3DDevice9** device) {
    if (!device) return D3DERR_INVALIDCALL;
    m_device->AddRef();
    *device = m_device;
    return D3D_OK;
}

HRESULT BackBufferSurface::GetDesc(D3DSURFACE_DESC* desc) {
    if (!desc) return D3DERR_INVALIDCALL;
    const BackBufferDesc& bb = m_device->Renderer().BackBufferSize();
    *desc = D3DSURFACE_DESC{bb.format,
                            D3DRTYPE_SURFACE,
                            D3DUSAGE_RENDERTARGET,
                            D3DPOOL_DEFAULT,
                            static_cast<D3DMULTISAMPLE_TYPE>(bb.samples),
                            0,
                            bb.width,
                            bb.height};
    return D3D_OK;
}

HRESULT BackBufferSurface::LockRect(D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD) {
    if (!lockedRect || m_locked) return D3DERR_INVALIDCALL;
    m_device->Flush();
    if (!m_device->Renderer().ReadBackBuffer(&m_pixels, &m_pitch)) return D3DERR_INVALIDCALL;
    const BackBufferDesc& bb = m_device->Renderer().BackBufferSize();
    size_t offset = 0;
    if (rect) {
        if (rect->left < 0 || rect->top < 0 || rect->right > static_cast<LONG>(bb.width) ||
            rect->bottom > static_cast<LONG>(bb.height) || rect->left >= rect->right || rect->top >= rect->bottom)
            return D3DERR_INVALIDCALL;
        offset = static_cast<size_t>(rect->top) * m_pitch + static_cast<size_t>(rect->left) * (m_pitch / bb.width);
    }
    m_locked = true;
    lockedRect->Pitch = m_pitch;
    lockedRect->pBits = m_pixels.data() + offset;
    return D3D_OK;
}

HRESULT BackBufferSurface::UnlockRect() {
    if (!m_locked) return D3DERR_INVALIDCALL;
    m_locked = false;
    return D3D_OK;
}

}  // namespace vlm_platform
