// CNumberInputBox: focus, typing, Backspace's auto-repeat, the value message and the blinking
// cursor.
#include <velmora/gui/NumberInputBox.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <velmora/config/IniFile.h>
#include <velmora/core/Log.h>
#include <velmora/core/TextEncoding.h>
#include <velmora/graphics/Graphics.h>
#include <velmora/gui/detail/GuiEngine.h>
#include <velmora/gui/detail/GuiGeometry.h>
#include <velmora/gui/detail/GuiPicture.h>
#include <velmora/input/Input.h>
#include <velmora/platform/win32/Time.h>
#include <velmora/resource/TextureManager.h>
#include <velmora/text/Font.h>

namespace {

// A key released arrives as its code + 256.
constexpr DWORD kReleased = 256;

// The character a key types, or 0: the main-row digits and the keypad's.
char KeyCharacter(DWORD key) {
    switch (key) {
        case DIK_1:
        case DIK_NUMPAD1: return '1';
        case DIK_2:
        case DIK_NUMPAD2: return '2';
        case DIK_3:
        case DIK_NUMPAD3: return '3';
        case DIK_4:
        case DIK_NUMPAD4: return '4';
        case DIK_5:
        case DIK_NUMPAD5: return '5';
        case DIK_6:
        case DIK_NUMPAD6: return '6';
        case DIK_7:
        case DIK_NUMPAD7: return '7';
        case DIK_8:
        case DIK_NUMPAD8: return '8';
        case DIK_9:
        case DIK_NUMPAD9: return '9';
        case DIK_0:
        case DIK_NUMPAD0: return '0';
        case DIK_MINUS:
        case DIK_SUBTRACT: return '-';
        case DIK_PERIOD:
        case DIK_DECIMAL: return '.';
        default: return 0;
    }
}

}  // namespace

CNumberInputBox::CNumberInputBox(CWindow* parent)
    : CWindow(parent),
      m_bCursorShown(true),
      m_dwBlinkTime(0),
      m_hCursor(0),
      m_nCursorOffset(0),
      m_nRepeatMode(0),
      m_dwRepeatTime(0) {
    m_dwType = GUI_TYPE_NUMBERINPUTBOX;
    m_szCaption[0] = 0;
}

CNumberInputBox::~CNumberInputBox() { ReleasePicture(m_hCursor); }

void CNumberInputBox::UpdateCursor() {
    const RECT extent = GetFontRect(m_szCaption);
    m_nCursorOffset = extent.right - extent.left;
}

void CNumberInputBox::SetValue(int value) {
    std::snprintf(m_szCaption, sizeof(m_szCaption), "%d", value);
    UpdateCursor();
}

void CNumberInputBox::SetValue(float value) {
    // A large float takes dozens of digits in "%f"; the box keeps its first sixteen.
    std::snprintf(m_szCaption, kMaxChars + 1, "%f", double(value));
    UpdateCursor();
}

float CNumberInputBox::GetValue() const { return float(std::strtod(m_szCaption, nullptr)); }

void CNumberInputBox::SetEmptyValue() {
    m_szCaption[0] = 0;
    UpdateCursor();
}

void CNumberInputBox::PostValue() {
    const float value = GetValue();
    DWORD bits = 0;
    std::memcpy(&bits, &value, sizeof(bits));
    PostEvent(GUI_EVENT_CHANGE, bits);
}

void CNumberInputBox::BackSpace() {
    // Typing gives ASCII only, but a derived box may hold other text: the whole last
    // character goes.
    const size_t length = std::strlen(m_szCaption);
    size_t last = 0;
    for (size_t i = 0; i < length; i += TextCharLength(m_szCaption + i, length - i)) last = i;
    m_szCaption[last] = 0;
    UpdateCursor();
}

void CNumberInputBox::TypeKey(DWORD key) {
    const char c = KeyCharacter(key);
    const size_t length = std::strlen(m_szCaption);
    if (!c || length >= size_t(kMaxChars)) return;
    if (c == '-' && length > 0) return;
    if (c == '.' && std::strchr(m_szCaption, '.')) return;
    m_szCaption[length] = c;
    m_szCaption[length + 1] = 0;
    UpdateCursor();
}

bool CNumberInputBox::LoadFromIni(const char* file, const char* section) {
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
    ini.ReadString(section, "File", m_szFile, sizeof(m_szFile), "");
    const DWORD picture = ini.ReadDWORD(section, "Picture", 0);
    if (ini.IsReadSucceed()) {
        ReleasePicture(m_hPicture);
        m_hPicture = vlm_engine::LoadGuiPicture(ini, section, "Picture", m_szFile, picture);
        int width = 0, height = 0;
        if (IsZeroRect(m_rcSrc) && PictureSize(m_hPicture, &width, &height)) m_rcSrc = GRect(0, 0, width, height);
    }
    const DWORD cursor = ini.ReadDWORD(section, "Cursor", 0);
    if (ini.IsReadSucceed()) {
        ReleasePicture(m_hCursor);
        m_hCursor = vlm_engine::LoadGuiPicture(ini, section, "Cursor", m_szFile, cursor);
    }
    m_nWidth = m_rcSrc.Width();
    m_nHeight = m_rcSrc.Height();
    OffsetByParent();
    return true;
}

DWORD CNumberInputBox::ProcessEvent() {
    if (!IsShow() || !IsEnable() || !m_hPicture) return 0;
    const stInputInfo input = GetInputInfo();
    POINT cursor = input.ptCursor;
    if (input.dwMouse == MOUSE_LDOWN) {
        const GRect box(m_ptPos.x, m_ptPos.y, m_ptPos.x + m_rcSrc.Width(), m_ptPos.y + m_rcSrc.Height());
        SetActive(CheckInRGN(box, &cursor));
    }
    if (!IsActive()) {
        // A Backspace held when the focus went has its release go unseen: no repeat may
        // wait for it.
        m_nRepeatMode = 0;
        return 0;
    }

    if (input.dwKey == DIK_BACK) {
        BackSpace();
        m_nRepeatMode = 1;
        m_dwRepeatTime = timeGetTime();
    } else if (input.dwKey == DIK_BACK + kReleased) {
        m_nRepeatMode = 0;
    }
    if (m_nRepeatMode != 0) {
        const DWORD now = timeGetTime();
        if (m_nRepeatMode == 1 && now - m_dwRepeatTime > kRepeatDelay) {
            BackSpace();
            m_nRepeatMode = 2;
            m_dwRepeatTime = now;
        } else if (m_nRepeatMode == 2 && now - m_dwRepeatTime > kRepeatInterval) {
            BackSpace();
            m_dwRepeatTime = now;
        }
    }
    if (input.dwKey == DIK_RETURN || input.dwKey == DIK_NUMPADENTER) PostValue();
    TypeKey(input.dwKey);
    return 0;
}

void CNumberInputBox::SetFocus(bool focus) {
    CWindow::SetFocus(focus);
    SetActive(focus);
}

bool CNumberInputBox::Navigate(int input) {
    if (input == GUI_NAV_PRESS) {
        // Enter is the box's own key: it has reported the value already.
        const DWORD key = GetInputInfo().dwKey;
        if (key != DIK_RETURN && key != DIK_NUMPADENTER) PostValue();
        return true;
    }
    if (input != GUI_NAV_UP && input != GUI_NAV_DOWN) return input == GUI_NAV_RELEASE;
    const double value = std::strtod(m_szCaption, nullptr) + (input == GUI_NAV_UP ? 1 : -1);
    if (std::strchr(m_szCaption, '.'))
        SetValue(float(value));
    else
        SetValue(int(std::clamp(value, -2147483648.0, 2147483647.0)));
    PostValue();
    return true;
}

GRect CNumberInputBox::GetFocusRect() const {
    return GRect(m_ptPos.x, m_ptPos.y, m_ptPos.x + m_rcSrc.Width(), m_ptPos.y + m_rcSrc.Height());
}

void CNumberInputBox::Render() {
    if (!IsShow()) return;
    CGraphics* g = vlm_engine::GuiGraphics();
    if (!g) return;
    if (m_hPicture) g->RenderSprite(m_hPicture, m_ptPos.x, m_ptPos.y, nullptr, m_dwColor);
    if (m_szCaption[0]) DrawSingleLine(m_ptPos.x + 4, m_ptPos.y + 4, 0xFFFFFFFF, false, "%s", m_szCaption);
    if (m_bFocus) RenderFocusRect(GetFocusRect());
    if (!IsActive()) return;
    const DWORD now = timeGetTime();
    if (now - m_dwBlinkTime >= kBlinkTime) {
        m_bCursorShown = !m_bCursorShown;
        m_dwBlinkTime = now;
    }
    if (m_bCursorShown && m_hCursor) {
        const RECT bar{m_ptPos.x + 4 + m_nCursorOffset, m_ptPos.y + 4, m_ptPos.x + 6 + m_nCursorOffset, m_ptPos.y + 16};
        g->RenderSprite(m_hCursor, &bar, nullptr, 0xFFFFFFFF);
    }
}
