// The device of the Direct3D stand-in.
#include <velmora/platform/d3d9/detail/Device9Impl.h>

#include <SDL.h>

#include <cmath>
#include <cstring>
#include <new>

#include <velmora/platform/d3d9/detail/DeviceConditions.h>
#include <velmora/platform/d3d9/detail/PixelFormats.h>
#include <velmora/platform/d3d9/detail/Surface9Impl.h>
#include <velmora/platform/d3d9/detail/Texture9Impl.h>
#include <velmora/platform/win32/Window.h>
#include <velmora/platform/win32/detail/WindowObject.h>

namespace vlm_platform {

namespace {

constexpr UINT kMaxPrimitives = 1u << 22;
constexpr size_t kFlushVertices = 1u << 16;

D3DMATRIX Identity() {
    D3DMATRIX m{};
    m._11 = m._22 = m._33 = m._44 = 1.0f;
    return m;
}

void Multiply(const D3DMATRIX& a, const D3DMATRIX& b, D3DMATRIX* out) {
    D3DMATRIX r{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] + a.m[i][3] * b.m[3][j];
    *out = r;
}

DWORD FloatBits(float f) {
    DWORD d;
    std::memcpy(&d, &f, sizeof d);
    return d;
}

float BitsFloat(DWORD d) {
    float f;
    std::memcpy(&f, &d, sizeof f);
    return f;
}

GLenum BlendFactor(DWORD blend) {
    switch (blend) {
        case D3DBLEND_ZERO: return GL_ZERO;
        case D3DBLEND_ONE: return GL_ONE;
        case D3DBLEND_SRCCOLOR: return GL_SRC_COLOR;
        case D3DBLEND_INVSRCCOLOR: return GL_ONE_MINUS_SRC_COLOR;
        case D3DBLEND_SRCALPHA: return GL_SRC_ALPHA;
        case D3DBLEND_INVSRCALPHA: return GL_ONE_MINUS_SRC_ALPHA;
        case D3DBLEND_DESTALPHA: return GL_DST_ALPHA;
        case D3DBLEND_INVDESTALPHA: return GL_ONE_MINUS_DST_ALPHA;
        case D3DBLEND_DESTCOLOR: return GL_DST_COLOR;
        case D3DBLEND_INVDESTCOLOR: return GL_ONE_MINUS_DST_COLOR;
        case D3DBLEND_SRCALPHASAT: return GL_SRC_ALPHA_SATURATE;
        case D3DBLEND_BLENDFACTOR: return GL_CONSTANT_COLOR;
        case D3DBLEND_INVBLENDFACTOR: return GL_ONE_MINUS_CONSTANT_COLOR;
        default: return GL_ONE;
    }
}

// BOTHSRCALPHA and BOTHINVSRCALPHA set both factors from the source one.
void BlendFactors(DWORD src, DWORD dst, GLenum* glSrc, GLenum* glDst) {
    if (src == D3DBLEND_BOTHSRCALPHA) {
        *glSrc = GL_SRC_ALPHA;
        *glDst = GL_ONE_MINUS_SRC_ALPHA;
    } else if (src == D3DBLEND_BOTHINVSRCALPHA) {
        *glSrc = GL_ONE_MINUS_SRC_ALPHA;
        *glDst = GL_SRC_ALPHA;
    } else {
        *glSrc = BlendFactor(src);
        *glDst = BlendFactor(dst);
    }
}

GLenum BlendEquation(DWORD op) {
    switch (op) {
        case D3DBLENDOP_SUBTRACT: return GL_FUNC_SUBTRACT;
        case D3DBLENDOP_REVSUBTRACT: return GL_FUNC_REVERSE_SUBTRACT;
        case D3DBLENDOP_MIN: return GL_MIN;
        case D3DBLENDOP_MAX: return GL_MAX;
        default: return GL_FUNC_ADD;
    }
}

GLenum CompareFunction(DWORD f) {
    switch (f) {
        case D3DCMP_NEVER: return GL_NEVER;
        case D3DCMP_LESS: return GL_LESS;
        case D3DCMP_EQUAL: return GL_EQUAL;
        case D3DCMP_LESSEQUAL: return GL_LEQUAL;
        case D3DCMP_GREATER: return GL_GREATER;
        case D3DCMP_NOTEQUAL: return GL_NOTEQUAL;
        case D3DCMP_GREATEREQUAL: return GL_GEQUAL;
        default: return GL_ALWAYS;
    }
}

GLint AddressMode(DWORD a) {
    switch (a) {
        case D3DTADDRESS_MIRROR:
        case D3DTADDRESS_MIRRORONCE: return GL_MIRRORED_REPEAT;
        case D3DTADDRESS_CLAMP: return GL_CLAMP_TO_EDGE;
        case D3DTADDRESS_BORDER: return GL_CLAMP_TO_BORDER;
        default: return GL_REPEAT;
    }
}

GLint MinFilter(DWORD min, DWORD mip, bool hasMips) {
    bool linear = min == D3DTEXF_LINEAR || min == D3DTEXF_ANISOTROPIC;
    if (!hasMips || mip == D3DTEXF_NONE) return linear ? GL_LINEAR : GL_NEAREST;
    if (mip == D3DTEXF_POINT) return linear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    return linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
}

// Where each element of a flexible-vertex-format vertex lies; size 0 means unsupported.
struct VertexLayout {
    bool pretransformed = false;
    int diffuse = -1;
    int texCoord = -1;
    UINT size = 0;
};

VertexLayout LayoutOf(DWORD fvf) {
    VertexLayout l;
    DWORD position = fvf & D3DFVF_POSITION_MASK;
    if (position == D3DFVF_XYZ)
        l.size = 12;
    else if (position == D3DFVF_XYZRHW)
        l.size = 16, l.pretransformed = true;
    else
        return VertexLayout{};
    if (fvf & D3DFVF_NORMAL) l.size += 12;
    if (fvf & D3DFVF_PSIZE) l.size += 4;
    if (fvf & D3DFVF_DIFFUSE) l.diffuse = static_cast<int>(l.size), l.size += 4;
    if (fvf & D3DFVF_SPECULAR) l.size += 4;
    DWORD texCount = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
    if (texCount > 0) l.texCoord = static_cast<int>(l.size);
    // Every coordinate set is taken as two floats (the default size).
    l.size += texCount * 8;
    return l;
}

RenderVertex Decode(const uint8_t* p, const VertexLayout& l) {
    RenderVertex v{};
    std::memcpy(&v.x, p, 12);
    if (l.pretransformed)
        std::memcpy(&v.w, p + 12, 4);
    else
        v.w = 1.0f;
    v.color = 0xFFFFFFFF;
    if (l.diffuse >= 0) std::memcpy(&v.color, p + l.diffuse, 4);
    if (l.texCoord >= 0) std::memcpy(&v.u, p + l.texCoord, 8);
    return v;
}

// Moves the end of a line a little more than half a pixel on along its major axis, so that
// the rasteriser lights the last pixel too (Direct3D draws it by default). Lengths are taken
// in the vertices' own units, which are pixels for pre-transformed vertices and under the
// engine's pixel projection.
void ExtendLineEnd(const RenderVertex& from, RenderVertex* to) {
    float dx = to->x - from.x, dy = to->y - from.y;
    float major = std::max(std::fabs(dx), std::fabs(dy));
    if (major == 0.0f) return;
    float k = 0.6f / major;
    to->x += dx * k;
    to->y += dy * k;
}

}  // namespace

DeviceConditions& Conditions() {
    static DeviceConditions conditions;
    return conditions;
}

Device9Impl::Device9Impl(IDirect3D9* d3d, HWND window) : m_d3d(d3d), m_window(window) {
    m_d3d->AddRef();
    m_renderer = std::make_unique<GLRenderer>();
}

Device9Impl::~Device9Impl() {
    for (IDirect3DBaseTexture9*& t : m_textures)
        if (t) t->Release(), t = nullptr;
    for (Texture9Impl* texture : m_liveTextures) texture->DetachDevice();
    m_liveTextures.clear();
    m_renderer.reset();
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

    bool ok = m_renderer->BackBuffer().width == 0 ? m_renderer->Create(window, bb) : m_renderer->ResizeBackBuffer(bb);
    if (!ok) return false;
    m_params = p;
    return true;
}

void Device9Impl::SetDefaultState() {
    m_pending.clear();
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
    m_pending.clear();
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
        m_pending.clear();
        return D3DERR_DEVICELOST;
    }
    Flush();
    m_renderer->Present(m_params.PresentationInterval != D3DPRESENT_INTERVAL_IMMEDIATE);
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
    const BackBufferDesc& bb = m_renderer->BackBuffer();
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
    if (stage == 0) StateChanging();
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

void Device9Impl::Submit(PrimitiveKind kind, bool pretransformed, const RenderVertex* vertices, size_t count) {
    if (!m_pending.empty() && (kind != m_pendingKind || pretransformed != m_pendingPretransformed)) Flush();
    m_pendingKind = kind;
    m_pendingPretransformed = pretransformed;
    m_pending.insert(m_pending.end(), vertices, vertices + count);
    if (m_pending.size() >= kFlushVertices) Flush();
}

HRESULT Device9Impl::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertexData,
                                     UINT vertexStride) {
    VertexLayout layout = LayoutOf(m_fvf);
    if (!vertexData || primitiveCount == 0 || primitiveCount > kMaxPrimitives || layout.size == 0 ||
        vertexStride < layout.size)
        return D3DERR_INVALIDCALL;
    UINT vertexCount = 0;
    switch (type) {
        case D3DPT_POINTLIST: vertexCount = primitiveCount; break;
        case D3DPT_LINELIST: vertexCount = primitiveCount * 2; break;
        case D3DPT_LINESTRIP: vertexCount = primitiveCount + 1; break;
        case D3DPT_TRIANGLELIST: vertexCount = primitiveCount * 3; break;
        case D3DPT_TRIANGLESTRIP:
        case D3DPT_TRIANGLEFAN: vertexCount = primitiveCount + 2; break;
        default: return D3DERR_INVALIDCALL;
    }
    const uint8_t* data = static_cast<const uint8_t*>(vertexData);
    auto vertex = [&](UINT i) { return Decode(data + static_cast<size_t>(i) * vertexStride, layout); };

    m_scratch.clear();
    PrimitiveKind kind = PrimitiveKind::Triangles;
    switch (type) {
        case D3DPT_POINTLIST:
            kind = PrimitiveKind::Points;
            for (UINT i = 0; i < vertexCount; ++i) m_scratch.push_back(vertex(i));
            break;
        case D3DPT_LINELIST:
        case D3DPT_LINESTRIP: {
            kind = PrimitiveKind::Lines;
            bool strip = type == D3DPT_LINESTRIP;
            bool lastPixel = m_renderStates[D3DRS_LASTPIXEL] != FALSE;
            for (UINT p = 0; p < primitiveCount; ++p) {
                RenderVertex a = vertex(strip ? p : 2 * p), b = vertex(strip ? p + 1 : 2 * p + 1);
                // In a strip only the final end is a last pixel; inner ones start the next line.
                if (lastPixel && (!strip || p + 1 == primitiveCount)) ExtendLineEnd(a, &b);
                m_scratch.push_back(a);
                m_scratch.push_back(b);
            }
            break;
        }
        case D3DPT_TRIANGLELIST:
            for (UINT i = 0; i < vertexCount; ++i) m_scratch.push_back(vertex(i));
            break;
        case D3DPT_TRIANGLESTRIP:
            for (UINT p = 0; p < primitiveCount; ++p) {
                // Odd triangles swap their first two vertices to keep the strip's winding.
                bool odd = (p & 1) != 0;
                m_scratch.push_back(vertex(odd ? p + 1 : p));
                m_scratch.push_back(vertex(odd ? p : p + 1));
                m_scratch.push_back(vertex(p + 2));
            }
            break;
        default:  // fan
            for (UINT p = 0; p < primitiveCount; ++p) {
                m_scratch.push_back(vertex(0));
                m_scratch.push_back(vertex(p + 1));
                m_scratch.push_back(vertex(p + 2));
            }
            break;
    }
    Submit(kind, layout.pretransformed, m_scratch.data(), m_scratch.size());
    return D3D_OK;
}

void Device9Impl::BuildDrawState(DrawState* s) {
    const DWORD* rs = m_renderStates.data();
    const auto& ts = m_stageStates[0];
    const auto& ss = m_samplerStates[0];
    s->kind = m_pendingKind;
    s->pretransformed = m_pendingPretransformed;
    D3DMATRIX wv, wvp;
    Multiply(m_world, m_view, &wv);
    Multiply(wv, m_projection, &wvp);
    std::memcpy(s->worldViewProj, wvp.m, sizeof(s->worldViewProj));
    s->viewport = m_viewport;

    Texture9Impl* texture = static_cast<Texture9Impl*>(static_cast<IDirect3DTexture9*>(m_textures[0]));
    s->texture = texture ? texture->Prepare(*m_renderer) : 0;
    D3DSURFACE_DESC level0{};
    if (texture && SUCCEEDED(texture->GetLevelDesc(0, &level0))) {
        s->textureWidth = level0.Width;
        s->textureHeight = level0.Height;
    }
    s->colorOp = ts[D3DTSS_COLOROP];
    s->colorArg1 = ts[D3DTSS_COLORARG1];
    s->colorArg2 = ts[D3DTSS_COLORARG2];
    s->alphaOp = ts[D3DTSS_ALPHAOP];
    s->alphaArg1 = ts[D3DTSS_ALPHAARG1];
    s->alphaArg2 = ts[D3DTSS_ALPHAARG2];
    s->textureFactor = rs[D3DRS_TEXTUREFACTOR];

    s->blend = rs[D3DRS_ALPHABLENDENABLE] != FALSE;
    BlendFactors(rs[D3DRS_SRCBLEND], rs[D3DRS_DESTBLEND], &s->srcRGB, &s->dstRGB);
    s->equationRGB = BlendEquation(rs[D3DRS_BLENDOP]);
    if (rs[D3DRS_SEPARATEALPHABLENDENABLE]) {
        BlendFactors(rs[D3DRS_SRCBLENDALPHA], rs[D3DRS_DESTBLENDALPHA], &s->srcAlpha, &s->dstAlpha);
        s->equationAlpha = BlendEquation(rs[D3DRS_BLENDOPALPHA]);
    } else {
        s->srcAlpha = s->srcRGB;
        s->dstAlpha = s->dstRGB;
        s->equationAlpha = s->equationRGB;
    }
    s->blendFactor = rs[D3DRS_BLENDFACTOR];
    s->alphaTest = rs[D3DRS_ALPHATESTENABLE] != FALSE;
    s->alphaRef = rs[D3DRS_ALPHAREF];
    s->alphaFunc = rs[D3DRS_ALPHAFUNC];
    s->depthTest = rs[D3DRS_ZENABLE] != D3DZB_FALSE && m_params.EnableAutoDepthStencil;
    s->depthWrite = rs[D3DRS_ZWRITEENABLE] != FALSE;
    s->depthFunc = CompareFunction(rs[D3DRS_ZFUNC]);
    s->cullMode = rs[D3DRS_CULLMODE];
    s->fillMode = rs[D3DRS_FILLMODE];
    bool hasMips = texture && texture->GetLevelCount() > 1;
    s->minFilter = MinFilter(ss[D3DSAMP_MINFILTER], ss[D3DSAMP_MIPFILTER], hasMips);
    s->magFilter =
        (ss[D3DSAMP_MAGFILTER] == D3DTEXF_POINT || ss[D3DSAMP_MAGFILTER] == D3DTEXF_NONE) ? GL_NEAREST : GL_LINEAR;
    s->wrapS = AddressMode(ss[D3DSAMP_ADDRESSU]);
    s->wrapT = AddressMode(ss[D3DSAMP_ADDRESSV]);
    s->borderColor = ss[D3DSAMP_BORDERCOLOR];
    s->colorWrite = rs[D3DRS_COLORWRITEENABLE];
    s->scissor = rs[D3DRS_SCISSORTESTENABLE] != FALSE;
    s->scissorRect = m_scissor;
    float pointSize = BitsFloat(rs[D3DRS_POINTSIZE]);
    s->pointSize = std::isfinite(pointSize) && pointSize >= 1.0f ? std::min(pointSize, 64.0f) : 1.0f;
}

void Device9Impl::Flush() {
    if (m_pending.empty()) return;
    DrawState state;
    BuildDrawState(&state);
    m_renderer->Draw(state, m_pending.data(), m_pending.size());
    m_pending.clear();
}

void Device9Impl::DetachTexture(Texture9Impl* texture) {
    for (auto it = m_liveTextures.begin(); it != m_liveTextures.end(); ++it) {
        if (*it == texture) {
            m_liveTextures.erase(it);
            return;
        }
    }
}

void Device9Impl::FlushIfUsing(const Texture9Impl* texture) {
    if (!m_pending.empty() && m_textures[0] == static_cast<const IDirect3DBaseTexture9*>(texture)) Flush();
}

}  // namespace vlm_platform
