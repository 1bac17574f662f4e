// CoolButton: the highlight blend and the button's own caption font.
#include <velmora/gui/CoolButton.h>

#include <velmora/graphics/Graphics.h>
#include <velmora/gui/detail/GuiEngine.h>

CoolButton::CoolButton(CWindow* parent) : Button(parent) {
    m_dwType = GUI_TYPE_COOLBUTTON;
    m_nState = STATE_NORMAL;
    m_bHover = 0;
    m_nStateNum = 4;
}

CoolButton::~CoolButton() = default;

bool CoolButton::LoadFromIni(const char* file, const char* section) {
    if (!Button::LoadFromIni(file, section)) return false;
    m_Font.CreateFontA(12, 0, 0, 0, 700, 0, 0, 0, 0, 0, 0, 0, vlm_engine::kGuiDefaultFace);
    return true;
}

void CoolButton::Render() {
    if (!IsShow()) return;
    CGraphics* g = vlm_engine::GuiGraphics();
    IDirect3DDevice9* device = g ? g->GetDevice() : nullptr;
    if (!g || !device) return;
    const int state = DrawnState();
    const int x = m_ptPos.x, y = m_ptPos.y;
    const bool highlight = state == STATE_HOVER || state == STATE_PRESSED;
    int captionX = x + m_nWidth / 2, captionY = y + m_nHeight / 3 + 2;
    DWORD captionColor = 0xFFFFFF00;
    if (state == STATE_DISABLED) captionColor = 0x7F9F9F9F;
    if (highlight) captionColor = 0xFFFFFFFF;
    if (state == STATE_PRESSED) captionX -= 1, captionY += 2;

    g->BeginSprite();
    g->RenderSprite(m_hPicture, x, y, &m_rcState[state == STATE_HOVER ? STATE_NORMAL : state], m_dwColor);
    if (highlight) {
        // The hover image is added onto what lies below.
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_DESTALPHA);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
        g->RenderSprite(m_hPicture, x, y, &m_rcState[STATE_HOVER], m_dwColor);
    }
    if (m_szCaption[0]) m_Font.DrawTextA(captionX, captionY, captionColor, true, "%s", m_szCaption);
    g->EndSprite();
    if (m_bFocus && !HasHoverLook()) RenderFocusRect(GetRect());
    if (highlight) {
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    }
}
