// The Direct3D interface object: adapter modes from SDL's display modes, capabilities, the
// multisampling check and device creation.
#include <velmora/platform/d3d9/Direct3D9.h>

#include <SDL.h>

#include <algorithm>
#include <new>
#include <vector>

#include <velmora/platform/d3d9/detail/Device9Impl.h>
#include <velmora/platform/d3d9/detail/DeviceConditions.h>
#include <velmora/platform/win32/detail/ComObject.h>
#include <velmora/platform/win32/detail/SdlVideo.h>

namespace vlm_platform {

namespace {

// Sizes offered when the video driver lists no modes of its own (the off-screen driver).
const SDL_Point kCommonSizes[] = {{640, 480},  {800, 600},   {1024, 768}, {1152, 864}, {1280, 720},
                                  {1280, 800}, {1280, 1024}, {1366, 768}, {1600, 900}, {1920, 1080}};

class Direct3D9Impl final : public ComObject<IDirect3D9> {
public:
    Direct3D9Impl() { ListModes(); }

    UINT GetAdapterCount() override { return 1; }

    UINT GetAdapterModeCount(UINT adapter, D3DFORMAT format) override {
        if (adapter != 0) return 0;
        return static_cast<UINT>(
            std::count_if(m_modes.begin(), m_modes.end(), [&](const D3DDISPLAYMODE& m) { return m.Format == format; }));
    }

    HRESULT EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT index, D3DDISPLAYMODE* mode) override {
        if (adapter != 0 || !mode) return D3DERR_INVALIDCALL;
        for (const D3DDISPLAYMODE& m : m_modes) {
            if (m.Format != format) continue;
            if (index-- == 0) {
                *mode = m;
                return D3D_OK;
            }
        }
        return D3DERR_INVALIDCALL;
    }

    HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override {
        if (adapter != 0 || !mode) return D3DERR_INVALIDCALL;
        SDL_DisplayMode desktop{};
        if (SDL_GetDesktopDisplayMode(0, &desktop) != 0) return D3DERR_NOTAVAILABLE;
        *mode = D3DDISPLAYMODE{static_cast<UINT>(desktop.w), static_cast<UINT>(desktop.h),
                               static_cast<UINT>(desktop.refresh_rate), FormatOf(desktop.format)};
        return D3D_OK;
    }

    HRESULT CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE, D3DFORMAT, BOOL windowed, D3DMULTISAMPLE_TYPE type,
                                       DWORD* qualityLevels) override {
        if (qualityLevels) *qualityLevels = 0;
        if (adapter != 0) return D3DERR_INVALIDCALL;
        if (type == D3DMULTISAMPLE_NONE) return D3D_OK;
        // OpenGL 3.3 guarantees four samples for colour and depth renderbuffers.
        const DeviceConditions& c = Conditions();
        bool allowed = windowed ? c.multisampleWindowed : c.multisampleFullScreen;
        if (!allowed || (type != D3DMULTISAMPLE_2_SAMPLES && type != D3DMULTISAMPLE_4_SAMPLES))
            return D3DERR_NOTAVAILABLE;
        if (qualityLevels) *qualityLevels = 1;
        return D3D_OK;
    }

    HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE, D3DCAPS9* caps) override {
        if (adapter != 0 || !caps) return D3DERR_INVALIDCALL;
        *caps = D3DCAPS9{};
        caps->DeviceType = D3DDEVTYPE_HAL;
        caps->PresentationIntervals = D3DPRESENT_INTERVAL_IMMEDIATE | D3DPRESENT_INTERVAL_ONE;
        caps->DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT | D3DDEVCAPS_HWRASTERIZATION;
        caps->TextureCaps = D3DPTEXTURECAPS_ALPHA | D3DPTEXTURECAPS_MIPMAP;
        caps->MaxTextureWidth = caps->MaxTextureHeight = Conditions().maxTextureSize;
        caps->MaxTextureRepeat = 8192;
        caps->MaxTextureAspectRatio = 16384;
        caps->MaxAnisotropy = 1;
        caps->MaxTextureBlendStages = 1;
        caps->MaxSimultaneousTextures = 1;
        caps->MaxPointSize = 64.0f;
        caps->MaxPrimitiveCount = 1u << 22;
        caps->MaxVertexIndex = 0xFFFFFF;
        caps->MaxStreams = 1;
        caps->MaxStreamStride = 255;
        return D3D_OK;
    }

    HRESULT CreateDevice(UINT adapter, D3DDEVTYPE, HWND window, DWORD, D3DPRESENT_PARAMETERS* params,
                         IDirect3DDevice9** device) override {
        if (!device) return D3DERR_INVALIDCALL;
        *device = nullptr;
        if (adapter != 0 || !params) return D3DERR_INVALIDCALL;
        HWND target = params->hDeviceWindow ? params->hDeviceWindow : window;
        *device = Device9Impl::Create(this, target, params);
        return *device ? D3D_OK : D3DERR_NOTAVAILABLE;
    }

private:
    static D3DFORMAT FormatOf(Uint32 sdlFormat) {
        switch (SDL_BITSPERPIXEL(sdlFormat)) {
            case 16: return D3DFMT_R5G6B5;
            case 15: return D3DFMT_X1R5G5B5;
            default: return D3DFMT_X8R8G8B8;
        }
    }

    void ListModes() {
        int count = SDL_GetNumDisplayModes(0);
        for (int i = 0; i < count; ++i) {
            SDL_DisplayMode m{};
            if (SDL_GetDisplayMode(0, i, &m) == 0) Add(m.w, m.h, m.refresh_rate, FormatOf(m.format));
        }
        if (count <= 1) {
            SDL_DisplayMode desktop{};
            SDL_GetDesktopDisplayMode(0, &desktop);
            for (const SDL_Point& size : kCommonSizes) {
                if (size.x > desktop.w || size.y > desktop.h) continue;
                Add(size.x, size.y, 60, D3DFMT_X8R8G8B8);
                Add(size.x, size.y, 60, Conditions().sixteenBitFormat);
            }
        }
    }

    void Add(int w, int h, int refresh, D3DFORMAT format) {
        D3DDISPLAYMODE mode{static_cast<UINT>(w), static_cast<UINT>(h), static_cast<UINT>(refresh), format};
        for (const D3DDISPLAYMODE& m : m_modes)
            if (m.Width == mode.Width && m.Height == mode.Height && m.Format == mode.Format &&
                m.RefreshRate == mode.RefreshRate)
                return;
        m_modes.push_back(mode);
    }

    std::vector<D3DDISPLAYMODE> m_modes;
};

}  // namespace

}  // namespace vlm_platform

IDirect3D9* Direct3DCreate9(UINT sdkVersion) {
    if (sdkVersion != D3D_SDK_VERSION || !vlm_platform::EnsureVideo()) return nullptr;
    return new (std::nothrow) vlm_platform::Direct3D9Impl();
}
