// CGraphics: the drawing operations, on the sprite path and the vertex path.
#include <velmora/graphics/Graphics.h>

#include <cstdarg>

#include <velmora/core/Log.h>
#include <velmora/core/TextFormat.h>
#include <velmora/graphics/DeviceState.h>
#include <velmora/resource/FrameManager.h>
#include <velmora/resource/TextureManager.h>

namespace {

// The whole texture when no source rectangle is given.
RECT SourceOrWhole(const RECT* src, int width, int height) { return src ? *src : RECT{0, 0, width, height}; }

// Circles are drawn from a fixed buffer, one batch of points at a time.
constexpr int kCirclePoints = 5000;
// Far beyond any back buffer; larger radii would only spend time on invisible points.
constexpr int kMaxCircleRadius = 32767;

}  // namespace

IDirect3DTexture9* CGraphics::ResidentTexture(DWORD handle, int* width, int* height) {
    if (!m_pTextureManager) return nullptr;
    CTexture* texture = m_pTextureManager->GetTexture(handle);
    if (!texture || !texture->AutoLoad()) return nullptr;
    *width = texture->GetWidth();
    *height = texture->GetHeight();
    return texture->GetTexture();
}

void CGraphics::DrawSprite(IDirect3DTexture9* texture, const RECT* src, const D3DXVECTOR2* scaling, float x, float y,
                           DWORD color) {
    if (!m_pSprite || !texture) return;
    D3DXVECTOR2 translation(x, y);
    m_pSprite->Draw(texture, src, scaling, nullptr, 0.0f, &translation, color);
}

void CGraphics::DrawQuad(IDirect3DTexture9* texture, float left, float top, float right, float bottom, float u0,
                         float v0, float u1, float v1, DWORD color) {
    if (!m_pDevice) return;
    const EngineVertex quad[4] = {{left, top, 0, color, u0, v0},
                                  {right, top, 0, color, u1, v0},
                                  {left, bottom, 0, color, u0, v1},
                                  {right, bottom, 0, color, u1, v1}};
    m_pDevice->SetTexture(0, texture);
    m_pDevice->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(EngineVertex));
}

void CGraphics::RenderSprite(DWORD handle, int x, int y, const RECT* src, DWORD color) {
    int w = 0, h = 0;
    IDirect3DTexture9* texture = ResidentTexture(handle, &w, &h);
    DrawSprite(texture, src, nullptr, static_cast<float>(x), static_cast<float>(y), color);
}

void CGraphics::Render(DWORD handle, int x, int y, const RECT* src, DWORD color) {
    RenderSprite(handle, x, y, src, color);
}

void CGraphics::RenderSprite(DWORD handle, const RECT* dst, const RECT* src, DWORD color) {
    if (!dst) return;
    int w = 0, h = 0;
    IDirect3DTexture9* texture = ResidentTexture(handle, &w, &h);
    if (!texture) return;
    RECT s = SourceOrWhole(src, w, h);
    // An empty source has no scale to give.
    if (s.right == s.left || s.bottom == s.top) return;
    D3DXVECTOR2 scaling(static_cast<float>(dst->right - dst->left) / static_cast<float>(s.right - s.left),
                        static_cast<float>(dst->bottom - dst->top) / static_cast<float>(s.bottom - s.top));
    DrawSprite(texture, src, &scaling, static_cast<float>(dst->left), static_cast<float>(dst->top), color);
}

void CGraphics::RenderAnimation(DWORD frameSet, DWORD frameIndex, const RECT* dst, const RECT* src, DWORD color) {
    if (!dst || !m_pFrameManager) return;
    CTexture* frame = m_pFrameManager->GetTexture(frameSet, frameIndex);
    if (!frame || !frame->GetTexture()) return;
    RECT s = SourceOrWhole(src, frame->GetWidth(), frame->GetHeight());
    if (s.right == s.left || s.bottom == s.top) return;
    D3DXVECTOR2 scaling(static_cast<float>(dst->right - dst->left) / static_cast<float>(s.right - s.left),
                        static_cast<float>(dst->bottom - dst->top) / static_cast<float>(s.bottom - s.top));
    DrawSprite(frame->GetTexture(), src, &scaling, static_cast<float>(dst->left), static_cast<float>(dst->top), color);
}

void CGraphics::RenderAnimation(DWORD frameSet, DWORD frameIndex, int x, int y, float sx, float sy, const RECT* src,
                                DWORD color) {
    if (!m_pFrameManager) return;
    CTexture* frame = m_pFrameManager->GetTexture(frameSet, frameIndex);
    if (!frame || !frame->GetTexture()) return;
    // A mirrored picture covers the same place as an unmirrored one.
    if (sx < 0) x += static_cast<int>(-sx * frame->GetWidth());
    if (sy < 0) y += static_cast<int>(-sy * frame->GetHeight());
    D3DXVECTOR2 scaling(sx, sy);
    DrawSprite(frame->GetTexture(), src, &scaling, static_cast<float>(x), static_cast<float>(y), color);
}

void CGraphics::Render(DWORD handle, const RECT* dst, const RECT* src, DWORD color) {
    if (!dst) return;
    int w = 0, h = 0;
    IDirect3DTexture9* texture = ResidentTexture(handle, &w, &h);
    if (!texture || w <= 0 || h <= 0) return;
    RECT s = SourceOrWhole(src, w, h);
    const float W = static_cast<float>(w), H = static_cast<float>(h);
    DrawQuad(texture, static_cast<float>(dst->left), static_cast<float>(dst->top), static_cast<float>(dst->right),
             static_cast<float>(dst->bottom), s.left / W, s.top / H, s.right / W, s.bottom / H, color);
}

void CGraphics::Render(DWORD handle, int x, int y, float sx, float sy, const RECT* src, DWORD color) {
    int w = 0, h = 0;
    IDirect3DTexture9* texture = ResidentTexture(handle, &w, &h);
    if (!texture || w <= 0 || h <= 0) return;
    RECT s = SourceOrWhole(src, w, h);
    const float W = static_cast<float>(w), H = static_cast<float>(h);
    if (sx < 0) x += static_cast<int>(-sx * W);
    if (sy < 0) y += static_cast<int>(-sy * H);
    const float left = static_cast<float>(x), top = static_cast<float>(y);
    DrawQuad(texture, left, top, left + W * sx, top + H * sy, s.left / W, s.top / H, s.right / W, s.bottom / H, color);
}

void CGraphics::Render(IDirect3DTexture9* texture, int x, int y, RECT rect, DWORD color) {
    if (!texture) return;
    const int w = rect.right - rect.left, h = rect.bottom - rect.top;
    if (w == 0 || h == 0) return;  // nothing to cover, and no texture coordinates to divide by
    const float W = static_cast<float>(w), H = static_cast<float>(h);
    const float left = static_cast<float>(x), top = static_cast<float>(y);
    DrawQuad(texture, left, top, left + W, top + H, rect.left / W, rect.top / H, rect.right / W, rect.bottom / H,
             color);
}

void CGraphics::Point(int x, int y, DWORD color) {
    if (!m_pDevice) return;
    const EngineVertex v = {static_cast<float>(x), static_cast<float>(y), 0, color, 0, 0};
    m_pDevice->SetTexture(0, nullptr);
    m_pDevice->DrawPrimitiveUP(D3DPT_POINTLIST, 1, &v, sizeof(EngineVertex));
}

void CGraphics::Line(int x1, int y1, int x2, int y2, DWORD color) {
    if (!m_pDevice) return;
    const EngineVertex v[2] = {{static_cast<float>(x1), static_cast<float>(y1), 0, color, 0, 0},
                               {static_cast<float>(x2), static_cast<float>(y2), 0, color, 0, 0}};
    m_pDevice->SetTexture(0, nullptr);
    m_pDevice->DrawPrimitiveUP(D3DPT_LINELIST, 1, v, sizeof(EngineVertex));
}

void CGraphics::Rectangle(RECT rect, DWORD color, bool fill) {
    if (!m_pDevice) return;
    const float l = static_cast<float>(rect.left), t = static_cast<float>(rect.top);
    const float r = static_cast<float>(rect.right), b = static_cast<float>(rect.bottom);
    m_pDevice->SetTexture(0, nullptr);
    if (fill) {
        m_pDevice->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
        const EngineVertex v[4] = {
            {l, t, 0, color, 0, 0}, {r, t, 0, color, 0, 0}, {l, b, 0, color, 0, 0}, {r, b, 0, color, 0, 0}};
        m_pDevice->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(EngineVertex));
    } else {
        const EngineVertex v[5] = {{l, t, 0, color, 0, 0},
                                   {r, t, 0, color, 0, 0},
                                   {r, b, 0, color, 0, 0},
                                   {l, b, 0, color, 0, 0},
                                   {l, t, 0, color, 0, 0}};
        m_pDevice->DrawPrimitiveUP(D3DPT_LINESTRIP, 4, v, sizeof(EngineVertex));
    }
}

void CGraphics::Circle(int cx, int cy, int radius, DWORD color) {
    if (!m_pDevice || radius < 0) return;
    if (radius > kMaxCircleRadius) {
        WriteLog(INFO_WARNING, "Circle radius %d is too large", radius);
        return;
    }
    static EngineVertex points[kCirclePoints];
    int count = 0;
    m_pDevice->SetTexture(0, nullptr);
    auto add = [&](int px, int py) {
        points[count++] = {static_cast<float>(px), static_cast<float>(py), 0, color, 0, 0};
        // A full buffer is drawn and refilled, so no radius overruns it.
        if (count == kCirclePoints) {
            m_pDevice->DrawPrimitiveUP(D3DPT_POINTLIST, static_cast<UINT>(count), points, sizeof(EngineVertex));
            count = 0;
        }
    };
    int d = 3 - 2 * radius, x = 0, y = radius;
    do {
        if (d >= 0) {
            d += 4 * (x - y) + 10;
            y -= 1;
        } else {
            d += 4 * x + 6;
        }
        add(cx + x, cy + y);
        add(cx - x, cy - y);
        add(cx + y, cy + x);
        add(cx - y, cy - x);
        add(cx - x, cy + y);
        add(cx + x, cy - y);
        add(cx - y, cy + x);
        add(cx + y, cy - x);
        x += 1;
    } while (x <= y);
    if (count) m_pDevice->DrawPrimitiveUP(D3DPT_POINTLIST, static_cast<UINT>(count), points, sizeof(EngineVertex));
}

void CGraphics::DrawCaption(int, int, DWORD, const char* format, ...) {
    char text[256];
    va_list args;
    va_start(args, format);
    FormatTextV(text, sizeof(text), sizeof(text) - 1, format, args);
    va_end(args);
}

void CGraphics::DrawTextA(int, int, DWORD, const char*) {}
