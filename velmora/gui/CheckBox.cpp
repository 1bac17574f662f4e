// CCheckBox: images, look rows, toggling and its messages.
#include <velmora/gui/CheckBox.h>

#include <velmora/config/IniFile.h>
#include <velmora/core/Log.h>
#include <velmora/graphics/Graphics.h>
#include <velmora/gui/detail/GuiEngine.h>
#include <velmora/gui/detail/GuiGeometry.h>
#include <velmora/gui/detail/GuiPicture.h>
#include <velmora/input/Input.h>
#include <velmora/resource/TextureManager.h>

CCheckBox::CCheckBox(CWindow* parent)
    : CWindow(parent), m_bSelect(false), m_nStateNum(4), m_nLook(LOOK_NORMAL), m_bDependent(false) {
    m_dwType = GUI_TYPE_CHECKBOX;
}

CCheckBox::~CCheckBox() = default;

bool CCheckBox::LoadFromIni(const char* file, const char* section) {
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
    ini.ReadString(section, "File", m_szFile, sizeof(m_szFile), "");
    const DWORD picture = ini.ReadDWORD(section, "Picture", 0);
    const bool hasPicture = ini.IsReadSucceed() != 0;
    m_nStateNum = ini.ReadInt(section, "StateNum", m_nStateNum);
    // The image height is the source height divided by the count: a count below 1 counts as 1.
    if (m_nStateNum < 1) m_nStateNum = 1;

    if (hasPicture) {
        ReleasePicture(m_hPicture);
        m_hPicture = vlm_engine::LoadGuiPicture(ini, section, "Picture", m_szFile, picture);
        int width = 0, height = 0;
        if (IsZeroRect(m_rcSrc) && PictureSize(m_hPicture, &width, &height)) m_rcSrc = GRect(0, 0, width, height);
    }
    // Six images, stacked from the picture's top-left whatever the place of the source
    // rectangle; with fewer than six in the picture the last ones lie below it.
    const int sw = m_rcSrc.Width(), ch = m_rcSrc.Height() / m_nStateNum;
    for (int i = 0; i < 6; ++i) m_rcImage[i] = GRect(0, i * ch, sw, i * ch + ch);
    m_nWidth = sw;
    m_nHeight = ch;
    m_bExpand = false;
    if (m_hPicture && m_bUseRGN) CreateRGN(&m_rcImage[0]);
    OffsetByParent();
    if (IsEnable())
        m_nLook = LOOK_NORMAL;
    else if (m_nStateNum > 5)
        m_nLook = LOOK_DISABLED;
    return true;
}

void CCheckBox::SetSelect(bool select) {
    if (select != m_bSelect && !m_bDependent) PostEvent(GUI_EVENT_CHANGE, select ? 1 : 0);
    m_bSelect = select;
}

void CCheckBox::Enable() {
    if (IsEnable()) return;
    m_nLook = LOOK_NORMAL;
    m_dwAttrib |= GUI_ATTRIB_ENABLE;
}

void CCheckBox::Disable() {
    m_dwAttrib &= ~DWORD(GUI_ATTRIB_ENABLE);
    if (m_nStateNum > 5) m_nLook = LOOK_DISABLED;
}

DWORD CCheckBox::ProcessEvent() {
    if (!IsShow() || !IsEnable() || !m_hPicture) return 0;
    const stInputInfo input = GetInputInfo();
    POINT cursor = input.ptCursor;
    if (CheckInRGN(GetRect(), &cursor)) {
        // Without a hover row (fewer than four images) there is no hover look to show.
        if (m_nLook != LOOK_HOVER && m_nStateNum >= 4) {
            PostEvent(GUI_EVENT_ENTER, m_bSelect ? 1 : 0);
            m_nLook = LOOK_HOVER;
        }
        if (input.dwMouse != MOUSE_LDOWN) return 0;
        Press();
        return m_dwID;
    }
    if (m_nLook != LOOK_NORMAL) {
        PostEvent(GUI_EVENT_LEAVE, m_bSelect ? 1 : 0);
        m_nLook = LOOK_NORMAL;
    }
    return 0;
}

void CCheckBox::Press() {
    if (!m_bDependent) {
        m_bSelect = !m_bSelect;
        PostEvent(GUI_EVENT_CHANGE, m_bSelect ? 1 : 0);
    } else if (!m_bSelect) {
        m_bSelect = true;
    }
}

bool CCheckBox::Navigate(int input) {
    if (input == GUI_NAV_PRESS) Press();
    return input == GUI_NAV_PRESS || input == GUI_NAV_RELEASE;
}

void CCheckBox::Render() {
    if (!IsShow() || !m_hPicture) return;
    CGraphics* g = vlm_engine::GuiGraphics();
    if (!g) return;
    // A focused box looks hovered; without a hover row it gets the focus rectangle.
    const bool hoverRow = m_nStateNum >= 4;
    const int look = m_bFocus && hoverRow && m_nLook == LOOK_NORMAL ? LOOK_HOVER : m_nLook & 3;
    const int image = look * 2 + (m_bSelect ? 1 : 0);
    g->RenderSprite(m_hPicture, m_ptPos.x, m_ptPos.y, &m_rcImage[image < 6 ? image : 0], m_dwColor);
    if (m_bFocus && !hoverRow) RenderFocusRect(GetRect());
}
