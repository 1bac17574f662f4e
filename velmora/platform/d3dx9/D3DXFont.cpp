// D3DX 9 stand-in: the font object.
#include <velmora/platform/d3dx9/D3DXFont.h>

#include <new>

#include <velmora/platform/win32/detail/ComObject.h>

namespace {

class D3DXFontImpl final : public vlm_platform::ComObject<ID3DXFont> {
public:
    explicit D3DXFontImpl(IDirect3DDevice9* device) : m_device(device) { m_device->AddRef(); }
    HRESULT GetDevice(IDirect3DDevice9** device) override {
        if (!device) return D3DERR_INVALIDCALL;
        m_device->AddRef();
        *device = m_device;
        return D3D_OK;
    }
    HRESULT OnLostDevice() override { return D3D_OK; }
    HRESULT OnResetDevice() override { return D3D_OK; }

private:
    ~D3DXFontImpl() override { m_device->Release(); }
    IDirect3DDevice9* m_device;
};

}  // namespace

HRESULT D3DXCreateFont(IDirect3DDevice9* device, HFONT, ID3DXFont** out) {
    if (!out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    if (!device) return D3DERR_INVALIDCALL;
    *out = new (std::nothrow) D3DXFontImpl(device);
    return *out ? D3D_OK : E_OUTOFMEMORY;
}
