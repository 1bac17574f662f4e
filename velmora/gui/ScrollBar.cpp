// GScrollBar: clamping, geometry, the pointer (steps, auto-repeat, paging, dragging) and
// drawing.
#include <velmora/gui/ScrollBar.h>

#include <algorithm>
#include <cstdint>

#include <velmora/config/IniFile.h>
#include <velmora/core/Log.h>
#include <velmora/core/MathHelpers.h>
#include <velmora/graphics/Graphics.h>
#include <velmora/gui/detail/GuiEngine.h>
#include <velmora/gui/detail/GuiGeometry.h>
#include <velmora/gui/detail/GuiPicture.h>
#include <velmora/input/Input.h>
#include <velmora/platform/win32/Time.h>
#include <velmora/resource/TextureManager.h>

namespace {

// Where the pointer held the thumb when the drag began, along the track. One drag runs at a
// time, so one value serves every scroll bar.
int g_nGrabOffset = 0;

int ClampToInt(int64_t v) { return int(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

}  // namespace

GScrollBar::GScrollBar(CWindow* parent)
    : CWindow(parent),
      m_dwVertical(1),
      m_bShowThumb(true),
      m_nTrackPos(0),
      m_nPageSize(1),
      m_nStart(0),
      m_nEnd(1),
      m_Button1{},
      m_Button2{},
      m_bDragging(false),
      m_rcThumb{0, 0, 0, 0},
      m_hPin(0),
      m_ptPress{0, 0},
      m_nRepeatMode(REPEAT_NONE),
      m_dwRepeatTime(0),
      m_nHitInset(0) {
    m_dwType = GUI_TYPE_SCROLLBAR;
}

GScrollBar::~GScrollBar() {
    ReleasePicture(m_Button1.hPicture);
    ReleasePicture(m_Button2.hPicture);
    ReleasePicture(m_hPin);
}

GRect GScrollBar::GetButtonRect(int which) const {
    const StepButton& b = GetButton(which);
    return GRect(b.x, b.y, b.x + b.rcState[0].Width(), b.y + b.rcState[0].Height());
}

GRect GScrollBar::HitRect(const StepButton& b) const {
    return GRect(b.x + m_nHitInset, b.y + m_nHitInset, b.x + b.rcState[0].Width() - m_nHitInset,
                 b.y + b.rcState[0].Height() - m_nHitInset);
}

void GScrollBar::AdjustPosition() {
    const int64_t range = int64_t(m_nEnd) - m_nStart;
    if (m_nTrackPos < m_nStart)
        m_nTrackPos = m_nStart;
    else if (m_nPageSize >= range)
        m_nTrackPos = m_nStart;
    else if (int64_t(m_nTrackPos) + m_nPageSize > m_nEnd)
        m_nTrackPos = ClampToInt(int64_t(m_nEnd) - m_nPageSize);
}

void GScrollBar::SetTrackRange(int start, int end) {
    m_nStart = start;
    m_nEnd = end;
    AdjustPosition();
    UpdateBtnRect();
}

void GScrollBar::SetTrackPos(int pos) {
    m_nTrackPos = pos;
    AdjustPosition();
    UpdateBtnRect();
}

void GScrollBar::SetPageSize(int size) {
    m_nPageSize = size;
    AdjustPosition();
    UpdateBtnRect();
}

bool GScrollBar::Navigate(int input) {
    int delta = 0;
    if (IsHorizontal()) delta = input == GUI_NAV_LEFT ? -1 : input == GUI_NAV_RIGHT ? 1 : 0;
    if (!IsHorizontal()) delta = input == GUI_NAV_UP ? -1 : input == GUI_NAV_DOWN ? 1 : 0;
    if (!delta) return input == GUI_NAV_PRESS || input == GUI_NAV_RELEASE;
    const int before = m_nTrackPos;
    Scroll(delta);
    if (m_nTrackPos != before) PostEvent(GUI_EVENT_CHANGE, DWORD(m_nTrackPos));
    return true;
}

GRect GScrollBar::GetFocusRect() const {
    GRect all(m_ptPos.x, m_ptPos.y, m_ptPos.x + m_rcSrc.Width(), m_ptPos.y + m_rcSrc.Height());
    for (int which : {1, 2}) {
        const GRect b = GetButtonRect(which);
        all = GRect(std::min(all.left, b.left), std::min(all.top, b.top), std::max(all.right, b.right),
                    std::max(all.bottom, b.bottom));
    }
    return all;
}

void GScrollBar::Scroll(int delta) {
    m_nTrackPos = ClampToInt(int64_t(m_nTrackPos) + delta);
    AdjustPosition();
    UpdateBtnRect();
}

void GScrollBar::ShowItem(int item) {
    int64_t wanted = std::max(item, 0);
    if (wanted >= m_nEnd) wanted = int64_t(m_nEnd) - 1;
    if (wanted < m_nTrackPos)
        m_nTrackPos = ClampToInt(wanted);
    else if (wanted >= int64_t(m_nTrackPos) + m_nPageSize)
        m_nTrackPos = ClampToInt(wanted - m_nPageSize + 1);
    // An item outside the range cannot come into view: the position stays in the range.
    AdjustPosition();
    UpdateBtnRect();
}

void GScrollBar::SetSize(int width, int height) {
    if (m_dwVertical) {
        m_rcSrc.right = m_rcSrc.left + width;
        m_rcSrc.bottom = m_rcSrc.top + height - m_Button1.rcState[0].Height() - m_Button2.rcState[0].Height();
    } else {
        m_rcSrc.right = m_rcSrc.left + width - m_Button1.rcState[0].Width() - m_Button2.rcState[0].Width();
        m_rcSrc.bottom = m_rcSrc.top + height;
    }
    UpdateRect();
    UpdateBtnRect();
}

void GScrollBar::SetHorizontal(bool horizontal) {
    m_dwVertical = horizontal ? 0 : 1;
    UpdateRect();
    UpdateBtnRect();
}

void GScrollBar::OffSet(int dx, int dy) {
    CWindow::OffSet(dx, dy);
    UpdateRect();
    UpdateBtnRect();
}

void GScrollBar::ResetButtonStates() {
    const int state = IsEnable() ? BTN_NORMAL : BTN_DISABLED;
    m_Button1.nState = m_Button2.nState = state;
}

void GScrollBar::Show(bool show) {
    CWindow::Show(show);
    ResetButtonStates();
}

void GScrollBar::Enable() {
    if (IsEnable()) return;
    m_dwAttrib |= GUI_ATTRIB_ENABLE;
    ResetButtonStates();
}

void GScrollBar::Disable() {
    if (!IsEnable()) return;
    m_dwAttrib &= ~DWORD(GUI_ATTRIB_ENABLE);
    ResetButtonStates();
}

void GScrollBar::UpdateRect() {
    const int X = m_ptPos.x, Y = m_ptPos.y, w = m_rcSrc.Width(), h = m_rcSrc.Height();
    const int bw = GetMinWidth(), bh = GetMinHeight();
    if (m_dwVertical) {
        m_Button1.x = m_Button2.x = X + w / 2 - bw / 2;
        m_Button1.y = Y - bh;
        m_Button2.y = Y + h;
    } else {
        m_Button1.x = X - bw;
        m_Button2.x = X + w;
        m_Button1.y = m_Button2.y = Y + h / 2 - bh / 2;
    }
}

int GScrollBar::ThumbLength(int trackLength) const {
    // Called with a positive range; 64 bits hold the product of any two ints.
    const int64_t range = int64_t(m_nEnd) - m_nStart;
    const int64_t len = int64_t(trackLength) * m_nPageSize / range;
    return len <= 8 ? 8 : ClampToInt(len);
}

void GScrollBar::UpdateBtnRect() {
    const int64_t range = int64_t(m_nEnd) - m_nStart;
    // A range of nothing (or less) fits in any page as well.
    if (m_nPageSize >= range || range <= 0) {
        m_bShowThumb = false;
        m_rcThumb.bottom = m_rcThumb.top;
        return;
    }
    const int X = m_ptPos.x, Y = m_ptPos.y, w = m_rcSrc.Width(), h = m_rcSrc.Height();
    const int pw = m_rcPin.Width(), ph = m_rcPin.Height();
    const int64_t steps = range - m_nPageSize, at = int64_t(m_nTrackPos) - m_nStart;
    if (m_dwVertical) {
        const int len = ThumbLength(h);
        m_rcThumb.left = X + w / 2 - pw / 2;
        m_rcThumb.right = X + w / 2 + pw / 2;
        m_rcThumb.top = ClampToInt(Y + (int64_t(h) - len) * at / steps);
        m_rcThumb.bottom = ClampToInt(int64_t(m_rcThumb.top) + len);
    } else {
        const int len = ThumbLength(w);
        m_rcThumb.top = Y + h / 2 - ph / 2;
        m_rcThumb.bottom = Y + h / 2 + ph / 2;
        m_rcThumb.left = ClampToInt(X + (int64_t(w) - len) * at / steps);
        m_rcThumb.right = ClampToInt(int64_t(m_rcThumb.left) + len);
    }
    m_bShowThumb = true;
}

bool GScrollBar::LoadButton(CIniFile& ini, const char* section, const char* key, StepButton* button) {
    const DWORD index = ini.ReadDWORD(section, key, 0);
    if (ini.IsReadSucceed()) {
        ReleasePicture(button->hPicture);
        button->hPicture = vlm_engine::LoadGuiPicture(ini, section, key, m_szFile, index);
    }
    int width = 0, height = 0;
    if (!PictureSize(button->hPicture, &width, &height)) return false;
    const int h = height / 4;
    for (int i = 0; i < 4; ++i) button->rcState[i] = GRect(0, i * h, width, i * h + h);
    return true;
}

bool GScrollBar::LoadFromIni(const char* file, const char* section) {
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
    m_nTrackPos = ini.ReadInt(section, "Pos", 0);
    m_nPageSize = ini.ReadInt(section, "PageSize", 1);
    m_nStart = ini.ReadInt(section, "Start", 0);
    m_nEnd = ini.ReadInt(section, "End", 1);
    ini.ReadString(section, "File", m_szFile, sizeof(m_szFile), "");
    m_dwVertical = ini.ReadInt(section, "Horizontal", m_dwVertical ? 0 : 1) ? 0 : 1;
    m_nWidth = m_rcSrc.Width();
    m_nHeight = m_rcSrc.Height();

    if (!LoadButton(ini, section, "Btn1Picture", &m_Button1)) {
        WriteLog(INFO_ERROR, "Can't Get Min Button in file[%s] index[%s]", file, section);
        return false;
    }
    if (!LoadButton(ini, section, "Btn2Picture", &m_Button2)) {
        WriteLog(INFO_ERROR, "Can't Get Max Button in file[%s] index[%s]", file, section);
        return false;
    }
    const DWORD pin = ini.ReadDWORD(section, "PinPicture", 0);
    if (ini.IsReadSucceed()) {
        ReleasePicture(m_hPin);
        m_hPin = vlm_engine::LoadGuiPicture(ini, section, "PinPicture", m_szFile, pin);
    }
    int width = 0, height = 0;
    if (!PictureSize(m_hPin, &width, &height)) {
        WriteLog(INFO_ERROR, "Can't Get Slider Button in file[%s] index[%s]", file, section);
        return false;
    }
    m_rcPin = GRect(0, 0, width, height);

    OffsetByParent();
    // A "Pos" outside the range would put the thumb off the track.
    AdjustPosition();
    UpdateRect();
    UpdateBtnRect();
    ResetButtonStates();
    return true;
}

DWORD GScrollBar::ProcessEvent() {
    if (!IsShow() || !IsEnable()) return 0;
    const stInputInfo input = GetInputInfo();
    POINT cursor = input.ptCursor;
    const bool press = input.dwMouse == MOUSE_LDOWN;
    const int entry = m_nTrackPos;
    bool handled = false;

    // The step buttons.
    for (int which = 1; which <= 2; ++which) {
        StepButton& button = which == 1 ? m_Button1 : m_Button2;
        if (!CheckInRGN(HitRect(button), &cursor)) {
            button.nState = BTN_NORMAL;
            continue;
        }
        if (press) {
            button.nState = BTN_PRESSED;
            if (which == 1 && m_nTrackPos > m_nStart) {
                --m_nTrackPos;
                UpdateBtnRect();
            } else if (which == 2 && int64_t(m_nTrackPos) + m_nPageSize < m_nEnd) {
                m_nTrackPos = ClampToInt(int64_t(m_nTrackPos) + 1);
                UpdateBtnRect();
            }
            m_ptPress = cursor;
            m_nRepeatMode = which == 1 ? REPEAT_WAIT1 : REPEAT_WAIT2;
            m_dwRepeatTime = timeGetTime();
        }
        if (!IsMouseDown(0)) button.nState = BTN_HOVER;
        handled = true;
    }

    // The thumb.
    if (press && CheckInRGN(m_rcThumb, &cursor)) {
        m_bDragging = true;
        g_nGrabOffset = m_dwVertical ? cursor.y - m_rcThumb.top : cursor.x - m_rcThumb.left;
        handled = true;
    }

    // The track: a page less one item, so one item of the old page stays in view.
    const int X = m_ptPos.x, Y = m_ptPos.y, w = m_rcSrc.Width(), h = m_rcSrc.Height();
    if (CheckInRGN(GRect(X, Y, X + w, Y + h), &cursor)) {
        handled = true;
        if (press && !m_bDragging) {
            const int p = m_dwVertical ? cursor.y : cursor.x;
            const int low = m_dwVertical ? Y : X, high = m_dwVertical ? Y + h : X + w;
            const int lead = m_dwVertical ? m_rcThumb.top : m_rcThumb.left;
            const int trail = m_dwVertical ? m_rcThumb.bottom : m_rcThumb.right;
            if (low <= p && p < lead)
                Scroll(ClampToInt(1 - int64_t(m_nPageSize)));
            else if (trail <= p && p < high)
                Scroll(ClampToInt(int64_t(m_nPageSize) - 1));
        }
    }

    // The drag: the thumb follows the pointer and the position follows the thumb.
    if (input.bMoved && m_bDragging) {
        const int64_t steps = int64_t(m_nEnd) - m_nPageSize - m_nStart;
        int64_t room, lead;
        if (m_dwVertical) {
            const int len = m_rcThumb.bottom - m_rcThumb.top;
            m_rcThumb.top = cursor.y - g_nGrabOffset;
            m_rcThumb.bottom = m_rcThumb.top + len;
            room = int64_t(h) - m_rcPin.Height();
            lead = int64_t(m_rcThumb.top) - Y;
        } else {
            const int len = m_rcThumb.right - m_rcThumb.left;
            m_rcThumb.left = cursor.x - g_nGrabOffset;
            m_rcThumb.right = m_rcThumb.left + len;
            room = int64_t(w) - m_rcPin.Width();
            lead = int64_t(m_rcThumb.left) - X;
        }
        // Without room for the thumb to travel, or without positions to travel over, the
        // pointer maps to nothing: the position stays.
        if (room > 0 && steps > 0) {
            double v = double(lead) / (double(room) / double(steps));
            // Kept where the float to int rounding is defined.
            v = std::clamp(v, -1.0, std::min(double(steps) + 1.0, double(1 << 30)));
            m_nTrackPos = ClampToInt(int64_t(FloatToIntAver(float(v))) + m_nStart);
            AdjustPosition();
        }
        UpdateBtnRect();
        handled = true;
    }

    if (input.dwMouse == MOUSE_LUP) {
        m_bDragging = false;
        m_nRepeatMode = REPEAT_NONE;
    }

    // Auto-repeat follows the press point, so it goes on while the pointer wanders off.
    if (m_nRepeatMode != REPEAT_NONE) {
        const DWORD now = timeGetTime();
        const DWORD since = now - m_dwRepeatTime;
        int direction = 0;
        if (CheckInRGN(HitRect(m_Button1), &m_ptPress))
            direction = -1;
        else if (CheckInRGN(HitRect(m_Button2), &m_ptPress))
            direction = 1;
        const int waiting = direction < 0 ? REPEAT_WAIT1 : REPEAT_WAIT2;
        const int stepping = direction < 0 ? REPEAT_STEP1 : REPEAT_STEP2;
        if (direction != 0 && m_nRepeatMode == waiting && since > kRepeatDelay) {
            Scroll(direction);
            m_nRepeatMode = stepping;
            m_dwRepeatTime = now;
        } else if (direction != 0 && m_nRepeatMode == stepping && since > kRepeatInterval) {
            Scroll(direction);
            m_dwRepeatTime = now;
        }
    }

    if (m_nTrackPos != entry) PostEvent(GUI_EVENT_CHANGE, DWORD(m_nTrackPos));
    return handled ? m_dwID : 0;
}

void GScrollBar::Render() {
    if (!IsShow()) return;
    CGraphics* g = vlm_engine::GuiGraphics();
    if (!g) return;
    for (const StepButton* b : {&m_Button1, &m_Button2})
        if (b->hPicture) g->RenderSprite(b->hPicture, b->x, b->y, &b->rcState[b->nState & 3], m_dwColor);
    if (m_bShowThumb && m_hPin) g->RenderSprite(m_hPin, &m_rcThumb, &m_rcPin, m_dwColor);
    if (m_bFocus) RenderFocusRect(GetFocusRect());
}
