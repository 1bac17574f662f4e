// The device of the Direct3D stand-in: creation, reset, presentation and its state; its
// draws are in Device9Drawing.cpp.
#include <velmora/platform/d3d9/detail/Device9Impl.h>

#include <SDL.h>

#include <cstring>
#include <new>

#include <velmora/platform/d3d9/detail/DeviceConditions.h>
#include <velmora/platform/d3d9/detail/PixelFormats.h>
#include <velmora/platform/d3d9/detail/Surface9Impl.h>
#include <velmora/platform/d3d9/detail/Texture9Impl.h>
#include <velmora/platform/replay/detail/Session.h>
#include <velmora/platform/win32/Window.h>
#include <velmora/platform/win32/detail/WindowObject.h>

namespace vlm_platform {

namespace {

D3DMATRIX Identity() {
    D3DMATRIX m{};
    m._11 = m._22 = m._33 = m._44 = 1.0f;
    return m;
}

DWORD FloatBits(float f) {
    DWORD d;
    std::memcpy(&d, &f, sizeof d);
    return d;
}

// The shortcuts VELMORA_NO_RASTER_SHORTCUTS leaves on (see Device9Impl.h).
RasterShortcuts RasterShortcutsWanted() {
    RasterShortcuts on;
    const char* off = SDL_getenv("VELMORA_NO_RASTER_SHORTCUTS");
    if (!off || !*off || std::strcmp(off, "0") == 0) return on;
    const struct {
        const char* name;
        bool RasterShortcuts::*flag;
    } names[] = {{"flat", &RasterShortcuts::flat},     {"nearest", &RasterShortcuts::nearest},
                 {"snap", &RasterShortcuts::snap},     {"trim", &RasterShortcuts::trim},
                 {"opaque", &RasterShortcuts::opaque}, {"white", &RasterShortcuts::white},
                 {"pages", &RasterShortcuts::pages},   {"heap", &RasterShortcuts::heap}};
    RasterShortcuts named = on;
    for (const char* at = off; *at;) {
        const char* end = std::strchr(at, ',');
        const size_t length = end ? size_t(end - at) : std::strlen(at);
        bool known = false;
        for (const auto& n : names) {
            if (std::strlen(n.name) == length && std::strncmp(at, n.name, length) == 0) {
                named.*n.flag = false;
                known = true;
            }
        }
        // Any other value ("1", "yes") turns all of them off.
        if (!known) {
            RasterShortcuts none;
            for (const auto& n : names) none.*n.flag = false;
            return none;
        }
        at += end ? length + 1 : length;
    }
    return named;
}

}  // namespace

DeviceConditions& Conditions() {
    static DeviceConditions conditions;
    return conditions;
}

Device9Impl::Device9Impl(IDirect3D9* d3d, HWND window)
    : m_d3d(d3d), m_window(window), m_rasterShortcuts(RasterShortcutsWanted()) {
    m_d3d->AddRef();
    m_renderer = std::make_unique<GLRenderer>();
    m_pages = std::make_unique<TexturePages>(*m_renderer);
}

Device9Impl::~Device9Impl() {
    DiscardBatch();
    if (Session* s = CurrentSession()) s->DeviceGone(this);
    for (IDirect3DBaseTexture9*& t : m_textures)
        if (t) t->Release(), t = nullptr;
    for (Texture9Impl* texture : m_liveTextures) texture->DetachDevice();
    m_liveTextures.clear();
    m_pages.reset();
    m_renderer.reset();
    if (IsLiveWindow(m_window) && m_window->pictureOwner == this) {
        m_window->pictureOwner = nullptr;
        m_window->pictureWidth = m_window->pictureHeight = 0;
    }
    m_d3d->Release();
}

Device9Impl* Device9Impl::Create(IDirect3D9* d3d, HWND window, D3DPRESENT_PARAMETERS* params) {
    if (!params || !IsLiveWindow(window)) return nullptr;
    Device9Impl* device = new (std::nothrow) Device9Impl(d3d, window);
    if (!device) return nullptr;
    if (!device->ApplyParameters(*params)) {
        device->Release();
        return nullptr;
    }
    *params = device->m_params;  // Direct3D reports the sizes and format it chose
    device->SetDefaultState();
    return device;
}

bool Device9Impl::ApplyParameters(const D3DPRESENT_PARAMETERS& requested) {
    D3DPRESENT_PARAMETERS p = requested;
    SDL_Window* window = m_window->sdl;
    if (p.Windowed && (p.BackBufferWidth == 0 || p.BackBufferHeight == 0)) {
        RECT client{};
        GetClientRect(m_window, &client);
        if (p.BackBufferWidth == 0) p.BackBufferWidth = static_cast<UINT>(client.right);
        if (p.BackBufferHeight == 0) p.BackBufferHeight = static_cast<UINT>(client.bottom);
    }
    if (p.BackBufferFormat == D3DFMT_UNKNOWN) p.BackBufferFormat = D3DFMT_X8R8G8B8;
    if (p.BackBufferCount == 0) p.BackBufferCount = 1;
    if (TexelBytes(p.BackBufferFormat) == 0) return false;

    BackBufferDesc bb;
    bb.width = p.BackBufferWidth;
    bb.height = p.BackBufferHeight;
    bb.format = p.BackBufferFormat;
    bb.samples = p.MultiSampleType >= D3DMULTISAMPLE_2_SAMPLES ? static_cast<UINT>(p.MultiSampleType) : 0u;
    bb.depth = p.EnableAutoDepthStencil != FALSE;

    if (p.Windowed) {
        SDL_SetWindowFullscreen(window, 0);
    } else {
        // A display mode of the back buffer's size when there is one; otherwise the desktop,
        // with the picture scaled to it.
        SDL_DisplayMode want{0, static_cast<int>(bb.width), static_cast<int>(bb.height), 0, nullptr};
        SDL_DisplayMode found{};
        bool exact = SDL_GetClosestDisplayMode(0, &want, &found) && found.w == want.w && found.h == want.h;
        if (exact) SDL_SetWindowDisplayMode(window, &found);
        SDL_SetWindowFullscreen(window, exact ? SDL_WINDOW_FULLSCREEN : SDL_WINDOW_FULLSCREEN_DESKTOP);
    }

    bool ok = m_renderer->BackBufferSize().width == 0 ? m_renderer->Create(window, bb, m_rasterShortcuts)
                                                      : m_renderer->ResizeBackBuffer(bb);
    if (!ok) return false;
    m_params = p;
    if (Session* s = SessionHere()) s->ScreenSet(p);
    // The window shows this back buffer now; pointer positions map into it.
    m_window->pictureOwner = this;
    m_window->pictureWidth = bb.width;
    m_window->pictureHeight = bb.height;
    MeasureWindow();
    m_targetWidth = static_cast<float>(bb.width);
    m_targetHeight = static_cast<float>(bb.height);
    return true;
}

void Device9Impl::MeasureWindow() {
    int width = 0, height = 0;
    m_renderer->DrawableSize(&width, &height);
    m_window->drawableWidth = width;
    m_window->drawableHeight = height;
}

void Device9Impl::SetDefaultState() {
    DiscardBatch();
    ++m_stateVersion;
    m_worldViewProjCurrent = false;
    m_renderStates.fill(0);
    DWORD* rs = m_renderStates.data();
    rs[D3DRS_ZENABLE] = m_params.EnableAutoDepthStencil ? D3DZB_TRUE : D3DZB_FALSE;
    rs[D3DRS_FILLMODE] = D3DFILL_SOLID;
    rs[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
    rs[D3DRS_ZWRITEENABLE] = TRUE;
    rs[D3DRS_LASTPIXEL] = TRUE;
    rs[D3DRS_SRCBLEND] = D3DBLEND_ONE;
    rs[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
    rs[D3DRS_CULLMODE] = D3DCULL_NONE;  // a 2D engine: mirrored quads must show
    rs[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
    rs[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
    rs[D3DRS_DITHERENABLE] = FALSE;
    rs[D3DRS_LIGHTING] = TRUE;
    rs[D3DRS_COLORVERTEX] = TRUE;
    rs[D3DRS_TEXTUREFACTOR] = 0xFFFFFFFF;
    rs[D3DRS_POINTSIZE] = FloatBits(1.0f);
    rs[D3DRS_MULTISAMPLEANTIALIAS] = TRUE;
    rs[D3DRS_COLORWRITEENABLE] = 0xF;
    rs[D3DRS_BLENDOP] = D3DBLENDOP_ADD;
    rs[D3DRS_BLENDFACTOR] = 0xFFFFFFFF;
    rs[D3DRS_SRCBLENDALPHA] = D3DBLEND_ONE;
    rs[D3DRS_DESTBLENDALPHA] = D3DBLEND_ZERO;
    rs[D3DRS_BLENDOPALPHA] = D3DBLENDOP_ADD;
    for (size_t stage = 0; stage < kStages; ++stage) {
        auto& ts = m_stageStates[stage];
        ts.fill(0);
        ts[D3DTSS_COLOROP] = stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
        ts[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
        ts[D3DTSS_COLORARG2] = D3DTA_CURRENT;
        ts[D3DTSS_ALPHAOP] = stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
        ts[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
        ts[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
        ts[D3DTSS_TEXCOORDINDEX] = static_cast<DWORD>(stage);
        auto& ss = m_samplerStates[stage];
        ss.fill(0);
        ss[D3DSAMP_ADDRESSU] = ss[D3DSAMP_ADDRESSV] = ss[D3DSAMP_ADDRESSW] = D3DTADDRESS_WRAP;
        ss[D3DSAMP_MAGFILTER] = ss[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
        ss[D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
        ss[D3DSAMP_MAXANISOTROPY] = 1;
    }
    for (IDirect3DBaseTexture9*& t : m_textures)
        if (t) t->Release(), t = nullptr;
    m_world = m_view = m_projection = Identity();
    m_viewport = D3DVIEWPORT9{0, 0, m_params.BackBufferWidth, m_params.BackBufferHeight, 0.0f, 1.0f};
    m_scissor = RECT{0, 0, static_cast<LONG>(m_params.BackBufferWidth), static_cast<LONG>(m_params.BackBufferHeight)};
    m_fvf = 0;
}

void Device9Impl::StateChanging() { Flush(); }

HRESULT Device9Impl::TestCooperativeLevel() {
    const DeviceConditions& c = Conditions();
    if (!c.lost) return D3D_OK;
    return c.resettable ? D3DERR_DEVICENOTRESET : D3DERR_DEVICELOST;
}

HRESULT Device9Impl::GetDeviceCaps(D3DCAPS9* caps) { return m_d3d->GetDeviceCaps(0, D3DDEVTYPE_HAL, caps); }

HRESULT Device9Impl::GetDisplayMode(UINT, D3DDISPLAYMODE* mode) { return m_d3d->GetAdapterDisplayMode(0, mode); }

HRESULT Device9Impl::Reset(D3DPRESENT_PARAMETERS* params) {
    if (!params) return D3DERR_INVALIDCALL;
    DeviceConditions& c = Conditions();
    if (c.lost && !c.resettable) return D3DERR_DEVICELOST;
    DiscardBatch();
    if (!ApplyParameters(*params)) return D3DERR_INVALIDCALL;
    *params = m_params;
    SetDefaultState();
    m_inScene = false;
    c.lost = false;
    c.resettable = false;
    c.resets += 1;
    return D3D_OK;
}

HRESULT Device9Impl::Present(const RECT*, const RECT*, HWND, const void*) {
    if (Conditions().lost) {
        DiscardBatch();
        if (Session* s = SessionHere()) s->Presented(this);
        return D3DERR_DEVICELOST;
    }
    Flush();
    // A recording or a replay counts the frame, and takes some pictures' checksums.
    if (Session* s = SessionHere()) s->Presented(this);
    if (!IsLiveWindow(m_window)) return D3D_OK;  // nowhere to show it
    // Measured every time: the window system may have done anything with the window.
    MeasureWindow();
    m_renderer->Present(m_params.PresentationInterval != D3DPRESENT_INTERVAL_IMMEDIATE, m_window->drawableWidth,
                        m_window->drawableHeight, PictureArea(m_window));
    return D3D_OK;
}

HRESULT Device9Impl::GetBackBuffer(UINT swapChain, UINT index, D3DBACKBUFFER_TYPE, IDirect3DSurface9** backBuffer) {
    if (!backBuffer) return D3DERR_INVALIDCALL;
    *backBuffer = nullptr;
    if (swapChain != 0 || index != 0) return D3DERR_INVALIDCALL;
    *backBuffer = new (std::nothrow) BackBufferSurface(this);
    return *backBuffer ? D3D_OK : E_OUTOFMEMORY;
}

HRESULT Device9Impl::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                   IDirect3DTexture9** texture, HANDLE*) {
    if (!texture) return D3DERR_INVALIDCALL;
    *texture = Texture9Impl::Create(this, width, height, levels, format, pool, usage);
    return *texture ? D3D_OK : D3DERR_INVALIDCALL;
}

HRESULT Device9Impl::BeginScene() {
    if (m_inScene) return D3DERR_INVALIDCALL;
    m_inScene = true;
    return D3D_OK;
}

HRESULT Device9Impl::EndScene() {
    if (!m_inScene) return D3DERR_INVALIDCALL;
    m_inScene = false;
    return D3D_OK;
}

HRESULT Device9Impl::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD) {
    if (count && !rects) return D3DERR_INVALIDCALL;
    if ((flags & D3DCLEAR_ZBUFFER) && !m_params.EnableAutoDepthStencil) return D3DERR_INVALIDCALL;
    Flush();
    std::vector<RECT> r;
    for (DWORD i = 0; i < count; ++i) r.push_back(RECT{rects[i].x1, rects[i].y1, rects[i].x2, rects[i].y2});
    m_renderer->Clear(flags, color, z, r.empty() ? nullptr : r.data(), static_cast<DWORD>(r.size()), m_viewport);
    return D3D_OK;
}

HRESULT Device9Impl::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
    if (!matrix) return D3DERR_INVALIDCALL;
    D3DMATRIX* target = state == D3DTS_WORLD        ? &m_world
                        : state == D3DTS_VIEW       ? &m_view
                        : state == D3DTS_PROJECTION ? &m_projection
                                                    : nullptr;
    if (!target) return D3D_OK;  // texture and further world matrices are not used
    if (std::memcmp(target, matrix, sizeof(D3DMATRIX)) == 0) return D3D_OK;
    StateChanging();
    *target = *matrix;
    m_worldViewProjCurrent = false;
    return D3D_OK;
}

HRESULT Device9Impl::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) {
    if (!matrix) return D3DERR_INVALIDCALL;
    *matrix = state == D3DTS_WORLD        ? m_world
              : state == D3DTS_VIEW       ? m_view
              : state == D3DTS_PROJECTION ? m_projection
                                          : Identity();
    return D3D_OK;
}

HRESULT Device9Impl::SetViewport(const D3DVIEWPORT9* viewport) {
    if (!viewport) return D3DERR_INVALIDCALL;
    const BackBufferDesc& bb = m_renderer->BackBufferSize();
    if (viewport->Width == 0 || viewport->Height == 0 ||
        static_cast<uint64_t>(viewport->X) + viewport->Width > bb.width ||
        static_cast<uint64_t>(viewport->Y) + viewport->Height > bb.height)
        return D3DERR_INVALIDCALL;
    StateChanging();
    m_viewport = *viewport;
    return D3D_OK;
}

HRESULT Device9Impl::GetViewport(D3DVIEWPORT9* viewport) {
    if (!viewport) return D3DERR_INVALIDCALL;
    *viewport = m_viewport;
    return D3D_OK;
}

HRESULT Device9Impl::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    if (state >= kRenderStates) return D3DERR_INVALIDCALL;
    if (m_renderStates[state] == value) return D3D_OK;
    StateChanging();
    m_renderStates[state] = value;
    ++m_stateVersion;
    return D3D_OK;
}

HRESULT Device9Impl::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) {
    if (state >= kRenderStates || !value) return D3DERR_INVALIDCALL;
    *value = m_renderStates[state];
    return D3D_OK;
}

HRESULT Device9Impl::SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) {
    if (stage >= kStages) return D3DERR_INVALIDCALL;
    if (m_textures[stage] == texture) return D3D_OK;
    if (stage == 0) {
        // Another small texture's draws may follow in the same batch; anything else ends it.
        if (JoinsBatch(texture))
            EndRun();
        else
            StateChanging();
    }
    if (texture) texture->AddRef();
    if (m_textures[stage]) m_textures[stage]->Release();
    m_textures[stage] = texture;
    return D3D_OK;
}

HRESULT Device9Impl::GetTexture(DWORD stage, IDirect3DBaseTexture9** texture) {
    if (stage >= kStages || !texture) return D3DERR_INVALIDCALL;
    *texture = m_textures[stage];
    if (*texture) (*texture)->AddRef();
    return D3D_OK;
}

HRESULT Device9Impl::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
    if (stage >= kStages || type >= kStageStates) return D3DERR_INVALIDCALL;
    if (m_stageStates[stage][type] == value) return D3D_OK;
    if (stage == 0) StateChanging();
    m_stageStates[stage][type] = value;
    ++m_stateVersion;
    return D3D_OK;
}

HRESULT Device9Impl::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) {
    if (stage >= kStages || type >= kStageStates || !value) return D3DERR_INVALIDCALL;
    *value = m_stageStates[stage][type];
    return D3D_OK;
}

HRESULT Device9Impl::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) {
    if (sampler >= kStages || type >= kSamplerStates) return D3DERR_INVALIDCALL;
    if (m_samplerStates[sampler][type] == value) return D3D_OK;
    if (sampler == 0) StateChanging();
    m_samplerStates[sampler][type] = value;
    ++m_stateVersion;
    return D3D_OK;
}

HRESULT Device9Impl::GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) {
    if (sampler >= kStages || type >= kSamplerStates || !value) return D3DERR_INVALIDCALL;
    *value = m_samplerStates[sampler][type];
    return D3D_OK;
}

HRESULT Device9Impl::SetScissorRect(const RECT* rect) {
    if (!rect) return D3DERR_INVALIDCALL;
    if (std::memcmp(rect, &m_scissor, sizeof(RECT)) == 0) return D3D_OK;
    StateChanging();
    m_scissor = *rect;
    return D3D_OK;
}

HRESULT Device9Impl::SetFVF(DWORD fvf) {
    m_fvf = fvf;  // vertices are converted when drawn, so this alone needs no flush
    return D3D_OK;
}

HRESULT Device9Impl::GetFVF(DWORD* fvf) {
    if (!fvf) return D3DERR_INVALIDCALL;
    *fvf = m_fvf;
    return D3D_OK;
}

void Device9Impl::DetachTexture(Texture9Impl* texture) {
    for (auto it = m_liveTextures.begin(); it != m_liveTextures.end(); ++it) {
        if (*it == texture) {
            m_liveTextures.erase(it);
            return;
        }
    }
}
}  // namespace vlm_platform
