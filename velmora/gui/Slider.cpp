// CSlider: the value, the thumb's place, the pointer and drawing.
#include <velmora/gui/Slider.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include <velmora/config/IniFile.h>
#include <velmora/core/Log.h>
#include <velmora/graphics/Graphics.h>
#include <velmora/gui/detail/GuiEngine.h>
#include <velmora/gui/detail/GuiGeometry.h>
#include <velmora/gui/detail/GuiPicture.h>
#include <velmora/input/Input.h>
#include <velmora/resource/TextureManager.h>

// Without a description the slider is what a description without keys makes: 0 to 100 at 50,
// horizontal.
CSlider::CSlider(CWindow* parent)
    : CWindow(parent),
      m_nValue(50),
      m_nMax(100),
      m_nMin(0),
      m_bDragging(0),
      m_nThumbX(0),
      m_nThumbY(0),
      m_hButton(0),
      m_nSliderType(0) {
    m_dwType = GUI_TYPE_SLIDER;
}

CSlider::~CSlider() { ReleasePicture(m_hButton); }

void CSlider::SetRange(int min, int max) {
    m_nMin = min;
    m_nMax = max;
    SetValueInternal(m_nValue, false);
}

void CSlider::SetValueInternal(int value, bool) {
    if (value < m_nMin) value = m_nMin;
    if (value > m_nMax) value = m_nMax;
    if (value != m_nValue) {
        m_nValue = value;
        PostEvent(GUI_EVENT_CHANGE, DWORD(value));
    }
    UpdateRect();
}

void CSlider::UpdateRect() {
    const int X = m_ptPos.x, Y = m_ptPos.y, w = m_rcSrc.Width(), h = m_rcSrc.Height();
    const int bw = m_rcButton.Width(), bh = m_rcButton.Height();
    const double range = double(m_nMax) - double(m_nMin);
    // A range of one value (or none), or a track with no room for the thumb to travel, has a
    // single place for it: the track's start.
    auto offset = [&](int travel) {
        if (range <= 0 || travel <= 0) return 0;
        return int(std::trunc(double(travel) / range * (double(m_nValue) - double(m_nMin))));
    };
    if (m_nSliderType) {
        m_nThumbY = Y + offset(h - bh);
        m_nThumbX = X + w / 2 - bw / 2;
    } else {
        m_nThumbX = X + offset(w - bw);
        m_nThumbY = Y + h / 2 - bh / 2;
    }
}

int CSlider::ValueFromMousePos() const {
    const POINT p = GetInputInfo().ptCursor;
    const double range = double(m_nMax) - double(m_nMin);
    const int travel = m_nSliderType ? m_rcSrc.Height() - m_rcButton.Height() : m_rcSrc.Width() - m_rcButton.Width();
    const int along = m_nSliderType ? p.y - m_ptPos.y : p.x - m_ptPos.x;
    // A thumb with no room to travel, or a range of one value, maps every place to the value
    // it has.
    if (range <= 0 || travel <= 0) return m_nValue;
    const double v = double(m_nMin) + std::trunc(double(along) / (double(travel) / range));
    // Clamped here already: far outside the track the quotient may not fit an int.
    return int(std::clamp(v, double(m_nMin), double(m_nMax)));
}

bool CSlider::LoadFromIni(const char* file, const char* section) {
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
    m_nMax = ini.ReadInt(section, "Max", 100);
    m_nMin = ini.ReadInt(section, "Min", 0);
    const int value = ini.ReadInt(section, "Value", 50);
    m_nSliderType = ini.ReadInt(section, "Type", 0);
    ini.ReadString(section, "File", m_szFile, sizeof(m_szFile), "");

    int width = 0, height = 0;
    const DWORD picture = ini.ReadDWORD(section, "Picture", 0);
    if (ini.IsReadSucceed()) {
        ReleasePicture(m_hPicture);
        m_hPicture = vlm_engine::LoadGuiPicture(ini, section, "Picture", m_szFile, picture);
        if (PictureSize(m_hPicture, &width, &height)) {
            if (IsZeroRect(m_rcSrc)) m_rcSrc = GRect(0, 0, width, height);
            m_nFrameCell = height;
            if (height == 8) m_nFrameInset = 3;
            if (height == 16) m_nFrameInset = 5;
            if (height == 32) m_nFrameInset = 10;
        }
    }
    if (IsZeroRect(m_rcSrc)) {
        WriteLog(INFO_ERROR, "Can't Get m_rcSrc in file[%s] index[%s]", file, section);
        return false;
    }
    m_nWidth = m_rcSrc.Width();
    m_nHeight = m_rcSrc.Height();

    m_rcButton = vlm_engine::ReadGuiRect(ini, section, "BtnSrcRect");
    const DWORD button = ini.ReadDWORD(section, "BtnPicture", 0);
    if (ini.IsReadSucceed()) {
        ReleasePicture(m_hButton);
        m_hButton = vlm_engine::LoadGuiPicture(ini, section, "BtnPicture", m_szFile, button);
        if (IsZeroRect(m_rcButton) && PictureSize(m_hButton, &width, &height)) m_rcButton = GRect(0, 0, width, height);
    }
    if (IsZeroRect(m_rcButton)) {
        WriteLog(INFO_ERROR, "Can't Get m_rcButton in file[%s] index[%s]", file, section);
        return false;
    }
    OffsetByParent();
    SetValueInternal(value, false);
    return true;
}

void CSlider::OffSet(int dx, int dy) {
    CWindow::OffSet(dx, dy);
    UpdateRect();
}

DWORD CSlider::ProcessEvent() {
    if (!IsShow() || !IsEnable() || !m_hButton) return 0;
    const stInputInfo input = GetInputInfo();
    POINT cursor = input.ptCursor;
    const bool press = input.dwMouse == MOUSE_LDOWN;
    const GRect thumb(m_nThumbX, m_nThumbY, m_nThumbX + m_rcButton.Width(), m_nThumbY + m_rcButton.Height());
    const GRect track(m_ptPos.x, m_ptPos.y, m_ptPos.x + m_rcSrc.Width(), m_ptPos.y + m_rcSrc.Height());
    if (press && CheckInRGN(thumb, &cursor)) m_bDragging = 1;
    if (press && !m_bDragging && CheckInRGN(track, &cursor)) {
        SetValueInternal(ValueFromMousePos(), true);
        return m_dwID;
    }
    if (input.bMoved && m_bDragging) SetValueInternal(ValueFromMousePos(), true);
    if (input.dwMouse == MOUSE_LUP) {
        m_bDragging = 0;
        return 0;
    }
    return m_bDragging ? m_dwID : 0;
}

bool CSlider::Navigate(int input) {
    // The value grows rightwards along a horizontal track and downwards along a vertical one.
    int direction = 0;
    if (m_nSliderType == 0) direction = input == GUI_NAV_LEFT ? -1 : input == GUI_NAV_RIGHT ? 1 : 0;
    if (m_nSliderType != 0) direction = input == GUI_NAV_UP ? -1 : input == GUI_NAV_DOWN ? 1 : 0;
    if (!direction) return input == GUI_NAV_PRESS || input == GUI_NAV_RELEASE;
    const int64_t step = std::max<int64_t>(1, (int64_t(m_nMax) - m_nMin) / 20);
    SetValueInternal(int(std::clamp<int64_t>(m_nValue + direction * step, m_nMin, m_nMax)), true);
    return true;
}

GRect CSlider::GetFocusRect() const {
    return GRect(m_ptPos.x, m_ptPos.y, m_ptPos.x + m_rcSrc.Width(), m_ptPos.y + m_rcSrc.Height());
}

void CSlider::Render() {
    if (!IsShow()) return;
    CGraphics* g = vlm_engine::GuiGraphics();
    if (!g) return;
    RenderNewStyle(m_hPicture, GRect(m_ptPos.x, m_ptPos.y, m_ptPos.x + m_rcSrc.Width(), m_ptPos.y + m_rcSrc.Height()),
                   m_dwColor, m_nFrameCell);
    if (m_hButton) g->RenderSprite(m_hButton, m_nThumbX, m_nThumbY, &m_rcButton, m_dwColor);
    if (m_bFocus) RenderFocusRect(GetFocusRect());
}
