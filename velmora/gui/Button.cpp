// Button: state images, the pointer state machine and its messages.
#include <velmora/gui/Button.h>

#include <velmora/config/IniFile.h>
#include <velmora/core/Log.h>
#include <velmora/graphics/Graphics.h>
#include <velmora/gui/detail/GuiEngine.h>
#include <velmora/gui/detail/GuiGeometry.h>
#include <velmora/gui/detail/GuiPicture.h>
#include <velmora/input/Input.h>
#include <velmora/resource/TextureManager.h>
#include <velmora/text/Font.h>

Button::Button(CWindow* parent) : CWindow(parent), m_nState(STATE_NORMAL), m_bHover(0), m_nStateNum(4) {
    m_dwType = GUI_TYPE_BUTTON;
}

Button::~Button() = default;

bool Button::LoadFromIni(const char* file, const char* section) {
    if (!file || !section) {
        WriteLog(INFO_ERROR, "Invalidate parameter!");
        return false;
    }
    CIniFile ini(file);
    m_dwID = ini.ReadDWORD(section, "ID", 0);
    m_ptPos = vlm_engine::ReadGuiPoint(ini, section, "Position");
    m_rcSrc = vlm_engine::ReadGuiRect(ini, section, "SrcRect");
    m_dwColor = ini.ReadDWORD(section, "Color", 0xFFFFFFFF);
    m_dwAttrib = ini.ReadDWORD(section, "Attrib", 10);
    m_bUseRGN = ini.ReadBOOL(section, "UseRGN", m_bUseRGN);
    ini.ReadString(section, "Caption", m_szCaption, sizeof(m_szCaption), "");
    ini.ReadString(section, "File", m_szFile, sizeof(m_szFile), "");
    const DWORD picture = ini.ReadDWORD(section, "Picture", 0);
    const bool hasPicture = ini.IsReadSucceed() != 0;
    m_nStateNum = ini.ReadInt(section, "StateNum", m_nStateNum);
    // The state height is the source height divided by the count: a count below 1 counts as 1.
    if (m_nStateNum < 1) m_nStateNum = 1;

    if (hasPicture) {
        ReleasePicture(m_hPicture);
        m_hPicture = vlm_engine::LoadGuiPicture(ini, section, "Picture", m_szFile, picture);
        int width = 0, height = 0;
        if (IsZeroRect(m_rcSrc) && PictureSize(m_hPicture, &width, &height)) m_rcSrc = GRect(0, 0, width, height);
    }
    // The state images lie one under another from the picture's top-left corner; only the
    // size of the source rectangle matters.
    const int sw = m_rcSrc.Width(), ch = m_rcSrc.Height() / m_nStateNum;
    for (int i = 0; i < 4; ++i) m_rcState[i] = GRect(0, i * ch, sw, i * ch + ch);
    m_nWidth = sw;
    m_nHeight = ch;
    m_bExpand = false;
    if (m_hPicture && m_bUseRGN) CreateRGN(&m_rcState[0]);
    OffsetByParent();
    m_nState = IsEnable() ? STATE_NORMAL : STATE_DISABLED;
    return true;
}

DWORD Button::ProcessEvent() {
    if (!IsShow() || !IsEnable() || !m_hPicture) return 0;
    const stInputInfo input = GetInputInfo();
    POINT cursor = input.ptCursor;
    if (CheckInRGN(GetRect(), &cursor)) {
        if (!m_bHover) {
            PostEvent(GUI_EVENT_ENTER, m_dwType);
            m_bHover = 1;
            m_nState = STATE_HOVER;
        }
        if (input.dwMouse == MOUSE_LDOWN) {
            m_nState = STATE_PRESSED;
            PostEvent(GUI_EVENT_PRESS, m_dwType);
        } else if (input.dwMouse == MOUSE_LUP) {
            m_nState = STATE_HOVER;
            PostEvent(GUI_EVENT_CLICK, m_dwType);
        }
        if (!IsMouseDown(0)) m_nState = STATE_HOVER;
        return m_dwID;
    }
    if (m_bHover) {
        PostEvent(GUI_EVENT_LEAVE, m_dwType);
        m_bHover = 0;
        m_nState = STATE_NORMAL;
    }
    return 0;
}

int Button::DrawnState() const {
    return m_bFocus && m_nState == STATE_NORMAL && HasHoverLook() ? STATE_HOVER : m_nState & 3;
}

void Button::SetFocus(bool focus) {
    // A press the navigation began and never released ends with the focus.
    if (!focus && m_nState == STATE_PRESSED && !m_bHover) m_nState = STATE_NORMAL;
    CWindow::SetFocus(focus);
}

bool Button::Navigate(int input) {
    if (input == GUI_NAV_PRESS) {
        m_nState = STATE_PRESSED;
        PostEvent(GUI_EVENT_PRESS, m_dwType);
        return true;
    }
    if (input == GUI_NAV_RELEASE) {
        m_nState = m_bHover ? STATE_HOVER : STATE_NORMAL;
        PostEvent(GUI_EVENT_CLICK, m_dwType);
        return true;
    }
    return false;
}

void Button::Render() {
    if (!IsShow()) return;
    if (CGraphics* g = vlm_engine::GuiGraphics()) {
        if (m_hPicture) g->RenderSprite(m_hPicture, m_ptPos.x, m_ptPos.y, &m_rcState[DrawnState()], m_dwColor);
        if (m_bFocus && !HasHoverLook()) RenderFocusRect(GetRect());
    }
    if (m_szCaption[0])
        DrawSingleLine(m_ptPos.x + m_nWidth / 2, m_ptPos.y + m_nHeight / 2, 0xFFFFFFFF, true, "%s", m_szCaption);
}

void Button::Show(bool show) {
    CWindow::Show(show);
    m_bHover = 0;
    m_nState = IsEnable() ? STATE_NORMAL : STATE_DISABLED;
}

void Button::Enable() {
    if (IsEnable()) return;
    m_bHover = 0;
    m_nState = STATE_NORMAL;
    m_dwAttrib |= GUI_ATTRIB_ENABLE;
}

void Button::Disable() {
    if (!IsEnable()) return;
    m_bHover = 0;
    m_nState = STATE_DISABLED;
    m_dwAttrib &= ~DWORD(GUI_ATTRIB_ENABLE);
}
