// CoolScroll: the skinned geometry and the highlight blend.
#include <velmora/gui/CoolScroll.h>

#include <cstdint>

#include <velmora/graphics/Graphics.h>
#include <velmora/gui/detail/GuiEngine.h>

namespace {

// The thumb is drawn this size whatever its picture's.
constexpr int kThumb = 32;

}  // namespace

CoolScroll::CoolScroll(CWindow* parent) : GScrollBar(parent) {
    m_dwType = GUI_TYPE_COOLSCROLL;
    m_nHitInset = kHitInset;
}

CoolScroll::~CoolScroll() = default;

void CoolScroll::UpdateRect() {
    const int X = m_ptPos.x, Y = m_ptPos.y, w = m_rcSrc.Width(), h = m_rcSrc.Height();
    if (m_dwVertical) {
        m_Button1.x = m_Button2.x = X;
        m_Button1.y = Y - 26;
        m_Button2.y = Y + h - 6;
    } else {
        m_Button1.x = X - 26;
        m_Button2.x = X + w - 6;
        m_Button1.y = m_Button2.y = Y;
    }
}

void CoolScroll::UpdateBtnRect() {
    const int64_t range = int64_t(m_nEnd) - m_nStart;
    if (m_nPageSize >= range || range <= 0) {
        m_bShowThumb = false;
        m_rcThumb.bottom = m_rcThumb.top;
        return;
    }
    const int X = m_ptPos.x, Y = m_ptPos.y, w = m_rcSrc.Width(), h = m_rcSrc.Height();
    const int64_t steps = range - m_nPageSize, at = int64_t(m_nTrackPos) - m_nStart;
    // The thumb picture has a 6-pixel margin; its travel is the track less 20.
    if (m_dwVertical) {
        m_rcThumb.left = X;
        m_rcThumb.right = X + kThumb;
        m_rcThumb.top = int32_t(Y + (int64_t(h) - 20) * at / steps - 6);
        m_rcThumb.bottom = m_rcThumb.top + kThumb;
    } else {
        m_rcThumb.top = Y;
        m_rcThumb.bottom = Y + kThumb;
        m_rcThumb.left = int32_t(X + (int64_t(w) - 20) * at / steps - 6);
        m_rcThumb.right = m_rcThumb.left + kThumb;
    }
    m_bShowThumb = true;
}

void CoolScroll::Render() {
    if (!IsShow()) return;
    CGraphics* g = vlm_engine::GuiGraphics();
    IDirect3DDevice9* device = g ? g->GetDevice() : nullptr;
    if (!g || !device) return;
    g->BeginSprite();
    for (const StepButton* b : {&m_Button1, &m_Button2}) {
        if (!b->hPicture) continue;
        const int state = b->nState & 3;
        const bool highlight = state == BTN_HOVER || state == BTN_PRESSED;
        g->RenderSprite(b->hPicture, b->x, b->y, &b->rcState[state == BTN_HOVER ? BTN_NORMAL : state], m_dwColor);
        if (!highlight) continue;
        // The hover image is added onto what lies below, then the usual blend comes back.
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_DESTALPHA);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
        g->RenderSprite(b->hPicture, b->x, b->y, &b->rcState[BTN_HOVER], m_dwColor);
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    }
    if (m_bShowThumb && m_hPin) g->RenderSprite(m_hPin, &m_rcThumb, &m_rcPin, m_dwColor);
    g->EndSprite();
    if (m_bFocus) RenderFocusRect(GetFocusRect());
}
