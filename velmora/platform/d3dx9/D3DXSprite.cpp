// D3DX 9 stand-in: the sprite object, on the device's own batching.
#include <velmora/platform/d3dx9/D3DXSprite.h>

#include <algorithm>
#include <cmath>
#include <new>

#include <velmora/platform/d3d9/detail/Device9Impl.h>
#include <velmora/platform/d3d9/detail/Texture9Impl.h>
#include <velmora/platform/win32/detail/ComObject.h>

namespace {

using vlm_platform::RenderVertex;

// The device state a sprite draw needs, and what it was before Begin.
struct StateSetting {
    enum Kind { Render, Stage, Sampler } kind;
    DWORD type;
    DWORD value;
};

const StateSetting kSpriteState[] = {
    {StateSetting::Render, D3DRS_ALPHABLENDENABLE, TRUE},
    {StateSetting::Render, D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
    {StateSetting::Render, D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA},
    {StateSetting::Render, D3DRS_CULLMODE, D3DCULL_NONE},
    {StateSetting::Render, D3DRS_FILLMODE, D3DFILL_SOLID},
    {StateSetting::Render, D3DRS_ALPHATESTENABLE, FALSE},
    {StateSetting::Stage, D3DTSS_COLOROP, D3DTOP_MODULATE},
    {StateSetting::Stage, D3DTSS_COLORARG1, D3DTA_TEXTURE},
    {StateSetting::Stage, D3DTSS_COLORARG2, D3DTA_DIFFUSE},
    {StateSetting::Stage, D3DTSS_ALPHAOP, D3DTOP_MODULATE},
    {StateSetting::Stage, D3DTSS_ALPHAARG1, D3DTA_TEXTURE},
    {StateSetting::Stage, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE},
    {StateSetting::Sampler, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR},
    {StateSetting::Sampler, D3DSAMP_MINFILTER, D3DTEXF_LINEAR},
    {StateSetting::Sampler, D3DSAMP_MIPFILTER, D3DTEXF_NONE},
};
constexpr size_t kSpriteStateCount = sizeof(kSpriteState) / sizeof(kSpriteState[0]);

class D3DXSpriteImpl final : public vlm_platform::ComObject<ID3DXSprite> {
public:
    explicit D3DXSpriteImpl(IDirect3DDevice9* device) : m_device(device) {
        m_device->AddRef();
        D3DXMatrixIdentity(&m_transform);
    }

    HRESULT GetDevice(IDirect3DDevice9** device) override {
        if (!device) return D3DERR_INVALIDCALL;
        m_device->AddRef();
        *device = m_device;
        return D3D_OK;
    }

    HRESULT Begin(DWORD flags) override {
        if (m_begun) return D3DERR_INVALIDCALL;
        m_begun = true;
        m_saveState = !(flags & D3DXSPRITE_DONOTSAVESTATE);
        // A sprite drawn on its own does this and End around every draw. Unless a state has
        // changed since a Begin found the device in the sprite state already (as the engine
        // keeps it), nothing needs reading; otherwise only what differs is set.
        if (Device()->StateVersion() == m_matchedVersion) return D3D_OK;
        bool matched = true;
        for (size_t i = 0; i < kSpriteStateCount; ++i) {
            m_saved[i] = Get(kSpriteState[i]);
            if (m_saved[i] != kSpriteState[i].value) {
                Set(kSpriteState[i], kSpriteState[i].value);
                matched = false;
            }
        }
        m_matchedVersion = matched ? Device()->StateVersion() : 0;
        return D3D_OK;
    }

    // The sprites stay in the device's batch: the device draws them, in order, as soon as
    // anything depends on them (a state change, a read of the back buffer, the present), so a
    // draw complete by itself does not cost a GL draw of its own.
    HRESULT End() override {
        if (!m_begun) return D3DERR_INVALIDCALL;
        // With the version unchanged, the state is still the one Begin saved.
        if (m_saveState && Device()->StateVersion() != m_matchedVersion)
            for (size_t i = 0; i < kSpriteStateCount; ++i)
                if (Get(kSpriteState[i]) != m_saved[i]) Set(kSpriteState[i], m_saved[i]);
        m_begun = false;
        return D3D_OK;
    }

    HRESULT Flush() override {
        if (!m_begun) return D3DERR_INVALIDCALL;
        Device()->Flush();
        return D3D_OK;
    }

    HRESULT Draw(IDirect3DTexture9* texture, const RECT* sourceRect, const D3DXVECTOR2* scaling,
                 const D3DXVECTOR2* rotationCenter, float rotation, const D3DXVECTOR2* translation,
                 D3DCOLOR color) override {
        if (rotation == 0.0f && Finite(scaling) && Finite(translation)) {
            // Scaling and translation alone: the elements the full composition gives, without
            // its products.
            return DrawQuad(texture, sourceRect, scaling ? scaling->x : 1.0f, 0.0f, 0.0f, scaling ? scaling->y : 1.0f,
                            translation ? translation->x : 0.0f, translation ? translation->y : 0.0f, color);
        }
        D3DXMATRIX m;
        D3DXMatrixTransformation2D(&m, nullptr, 0.0f, scaling, rotationCenter, rotation, translation);
        return DrawQuad(texture, sourceRect, m, color);
    }

    HRESULT Draw(IDirect3DTexture9* texture, const RECT* sourceRect, const D3DXVECTOR3* center,
                 const D3DXVECTOR3* position, D3DCOLOR color) override {
        D3DXVECTOR2 offset(position ? position->x : 0.0f, position ? position->y : 0.0f);
        if (center) offset.x -= center->x, offset.y -= center->y;
        D3DXMATRIX t, m;
        D3DXMatrixTranslation(&t, offset.x, offset.y, 0.0f);
        D3DXMatrixMultiply(&m, &t, &m_transform);
        return DrawQuad(texture, sourceRect, m, color);
    }

    HRESULT SetTransform(const D3DXMATRIX* transform) override {
        if (!transform) return D3DERR_INVALIDCALL;
        m_transform = *transform;
        return D3D_OK;
    }

    HRESULT GetTransform(D3DXMATRIX* transform) override {
        if (!transform) return D3DERR_INVALIDCALL;
        *transform = m_transform;
        return D3D_OK;
    }

    HRESULT OnLostDevice() override { return D3D_OK; }
    HRESULT OnResetDevice() override { return D3D_OK; }

private:
    ~D3DXSpriteImpl() override { m_device->Release(); }

    vlm_platform::Device9Impl* Device() { return static_cast<vlm_platform::Device9Impl*>(m_device); }

    static bool Finite(const D3DXVECTOR2* v) { return !v || (std::isfinite(v->x) && std::isfinite(v->y)); }

    DWORD Get(const StateSetting& s) {
        const vlm_platform::Device9Impl& device = *Device();
        if (s.kind == StateSetting::Render) return device.RenderStateValue(static_cast<D3DRENDERSTATETYPE>(s.type));
        if (s.kind == StateSetting::Stage) return device.StageStateValue(static_cast<D3DTEXTURESTAGESTATETYPE>(s.type));
        return device.SamplerStateValue(static_cast<D3DSAMPLERSTATETYPE>(s.type));
    }

    void Set(const StateSetting& s, DWORD value) {
        if (s.kind == StateSetting::Render) m_device->SetRenderState(static_cast<D3DRENDERSTATETYPE>(s.type), value);
        if (s.kind == StateSetting::Stage)
            m_device->SetTextureStageState(0, static_cast<D3DTEXTURESTAGESTATETYPE>(s.type), value);
        if (s.kind == StateSetting::Sampler)
            m_device->SetSamplerState(0, static_cast<D3DSAMPLERSTATETYPE>(s.type), value);
    }

    HRESULT DrawQuad(IDirect3DTexture9* texture, const RECT* sourceRect, const D3DXMATRIX& m, D3DCOLOR color) {
        return DrawQuad(texture, sourceRect, m._11, m._12, m._21, m._22, m._41, m._42, color);
    }

    // The source rectangle's quad under the 2D part of a matrix in Direct3D's row-vector form.
    HRESULT DrawQuad(IDirect3DTexture9* texture, const RECT* sourceRect, float m11, float m12, float m21, float m22,
                     float m41, float m42, D3DCOLOR color) {
        if (!texture) return D3DERR_INVALIDCALL;
        // Every texture is the device's own: its size is read directly.
        const vlm_platform::Texture9Impl& level0 = *static_cast<const vlm_platform::Texture9Impl*>(texture);
        const UINT width = level0.Width(), height = level0.Height();
        RECT src = sourceRect ? *sourceRect : RECT{0, 0, static_cast<LONG>(width), static_cast<LONG>(height)};
        float w = static_cast<float>(src.right - src.left), h = static_cast<float>(src.bottom - src.top);
        float u0 = src.left / static_cast<float>(width), u1 = src.right / static_cast<float>(width);
        float v0 = src.top / static_cast<float>(height), v1 = src.bottom / static_cast<float>(height);

        bool standalone = !m_begun;
        if (standalone) Begin(0);
        m_device->SetTexture(0, texture);
        // Screen positions are half a pixel up and left of pixel edges, so texels of an
        // unscaled sprite land exactly on pixels.
        // Corner by corner rather than from arrays of corner offsets: the compiler packs such
        // arrays with narrow stores and reads them back as vectors, which stalls every call.
        auto corner = [](float cx, float cy, float a, float b, float t) { return cx * a + cy * b + t - 0.5f; };
        const float xs[4] = {corner(0, 0, m11, m21, m41), corner(w, 0, m11, m21, m41), corner(0, h, m11, m21, m41),
                             corner(w, h, m11, m21, m41)};
        const float ys[4] = {corner(0, 0, m12, m22, m42), corner(w, 0, m12, m22, m42), corner(0, h, m12, m22, m42),
                             corner(w, h, m12, m22, m42)};
        vlm_platform::Device9Impl& device = *Device();
        // A sprite wholly outside the back buffer would change no pixel.
        if (!device.OutsideTarget(std::min(std::min(xs[0], xs[1]), std::min(xs[2], xs[3])),
                                  std::min(std::min(ys[0], ys[1]), std::min(ys[2], ys[3])),
                                  std::max(std::max(xs[0], xs[1]), std::max(xs[2], xs[3])),
                                  std::max(std::max(ys[0], ys[1]), std::max(ys[2], ys[3])))) {
            const RenderVertex quad[4] = {{xs[0], ys[0], 0.0f, 1.0f, color, u0, v0},
                                          {xs[1], ys[1], 0.0f, 1.0f, color, u1, v0},
                                          {xs[2], ys[2], 0.0f, 1.0f, color, u0, v1},
                                          {xs[3], ys[3], 0.0f, 1.0f, color, u1, v1}};
            RenderVertex* out = device.Append(vlm_platform::PrimitiveKind::Triangles, true, 6);
            out[0] = quad[0], out[1] = quad[1], out[2] = quad[2];
            out[3] = quad[2], out[4] = quad[1], out[5] = quad[3];
            device.Appended();
        }
        if (standalone) End();
        return D3D_OK;
    }

    IDirect3DDevice9* m_device;
    D3DXMATRIX m_transform;
    bool m_begun = false;
    bool m_saveState = true;
    // The device's state version at the last Begin that found the sprite state set; 0: none.
    uint64_t m_matchedVersion = 0;
    DWORD m_saved[kSpriteStateCount] = {};
};

}  // namespace

HRESULT D3DXCreateSprite(IDirect3DDevice9* device, ID3DXSprite** sprite) {
    if (!sprite) return D3DERR_INVALIDCALL;
    *sprite = nullptr;
    if (!device) return D3DERR_INVALIDCALL;
    *sprite = new (std::nothrow) D3DXSpriteImpl(device);
    return *sprite ? D3D_OK : E_OUTOFMEMORY;
}
