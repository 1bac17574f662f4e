// CoolListBox: the skinned scroll bar's place and the framed look.
#include <velmora/gui/CoolListBox.h>

#include <velmora/graphics/Graphics.h>
#include <velmora/gui/CoolScroll.h>
#include <velmora/gui/detail/GuiEngine.h>

CoolListBox::CoolListBox(CWindow* parent) : GListBox(parent) {
    delete m_pScrollBar;
    m_pScrollBar = new CoolScroll(parent);
    m_dwType = GUI_TYPE_COOLLISTBOX;
    m_nBorder = 12;
    m_nFrameCell = 0;
}

CoolListBox::~CoolListBox() = default;

bool CoolListBox::LoadFromIni(const char* file, const char* section) {
    if (!GListBox::LoadFromIni(file, section)) return false;
    int width = 0, height = 0;
    if (PictureSize(m_hPicture, &width, &height)) {
        m_nFrameCell = height;
        if (height == 8) m_nFrameInset = 3;
        if (height == 16) m_nFrameInset = 5;
        if (height == 32) m_nFrameInset = 10;
    }
    m_pScrollBar->SetSize(m_pScrollBar->GetMinWidth(), m_rcSrc.Height() + 12);
    m_pScrollBar->MoveTo(m_ptPos.x + m_rcSrc.Width() - 6, m_ptPos.y + m_pScrollBar->GetMinHeight() - 6);
    return true;
}

void CoolListBox::Render() {
    if (!IsShow()) return;
    CGraphics* g = vlm_engine::GuiGraphics();
    const RECT list{m_ptPos.x, m_ptPos.y, m_ptPos.x + m_rcSrc.Width(), m_ptPos.y + m_rcSrc.Height()};
    const int inset = m_nFrameInset;
    const RECT inside{list.left + inset, list.top + inset, list.right - inset, list.bottom - inset};
    if (g && m_hBackPicture && inside.right > inside.left && inside.bottom > inside.top)
        g->RenderSprite(m_hBackPicture, &inside, nullptr, m_dwColor);
    RenderText();
    RenderNewStyle(m_hPicture, list, m_dwColor, m_nFrameCell);
    m_pScrollBar->Render();
    m_Font.Update();
    if (m_bFocus) RenderFocusRect(GetFocusRect());
}
