// Surfaces of the Direct3D stand-in: a level of a texture, or the device's back buffer.
#pragma once

#include <vector>

#include <velmora/platform/d3d9/Direct3D9.h>
#include <velmora/platform/win32/detail/ComObject.h>

namespace vlm_platform {

class Device9Impl;
class Texture9Impl;

class TextureLevelSurface final : public ComObject<IDirect3DSurface9> {
public:
    TextureLevelSurface(Texture9Impl* texture, UINT level);
    HRESULT GetDevice(IDirect3DDevice9** device) override;
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_SURFACE; }
    HRESULT GetDesc(D3DSURFACE_DESC* desc) override;
    HRESULT LockRect(D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect() override;

private:
    ~TextureLevelSurface() override;
    Texture9Impl* m_texture;
    UINT m_level;
};

// Locking reads the frame drawn so far; writes through the lock are not shown.
class BackBufferSurface final : public ComObject<IDirect3DSurface9> {
public:
    explicit BackBufferSurface(Device9Impl* device);
    HRESULT GetDevice(IDirect3DDevice9** device) override;
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_SURFACE; }
    HRESULT GetDesc(D3DSURFACE_DESC* desc) override;
    HRESULT LockRect(D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect() override;

private:
    ~BackBufferSurface() override;
    Device9Impl* m_device;
    std::vector<uint8_t> m_pixels;
    INT m_pitch = 0;
    bool m_locked = false;
};

}  // namespace vlm_platform
