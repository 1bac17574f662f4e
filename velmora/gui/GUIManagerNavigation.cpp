// GUIManager: navigation of the top window's controls by the keyboard and game pads.
#include <velmora/gui/GUIManager.h>

#include <algorithm>
#include <cstdlib>

#include <velmora/input/Input.h>
#include <velmora/message/MessageManager.h>
#include <velmora/platform/win32/Time.h>

namespace {

// A stick counts as pushed beyond this share of its travel.
constexpr float kStickPush = 0.5f;

// Whether `window` is `root` or lies in its subtree. Pointers are only compared, so a window
// the game deleted behind the manager's back is never touched.
bool Contains(const CWindow* root, const CWindow* window) {
    if (!root || !window) return false;
    if (root == window) return true;
    for (int i = 0; i < root->GetSubWindowsCount(); ++i)
        if (Contains(root->GetSubWindowAt(i), window)) return true;
    return false;
}

void CollectFocusable(CWindow* window, std::vector<CWindow*>& out) {
    for (int i = 0; i < window->GetSubWindowsCount(); ++i) {
        CWindow* child = window->GetSubWindowAt(i);
        if (!child->IsShow() || !child->IsEnable()) continue;
        if (child->GetTabIndex() >= 0 && child->CanFocus()) out.push_back(child);
        CollectFocusable(child, out);
    }
}

// The direction a left stick points to, or 0 in the middle.
int StickDirection(const stPadInfo& pad) {
    const float x = pad.fAxis[PAD_AXIS_LEFT_X], y = pad.fAxis[PAD_AXIS_LEFT_Y];
    if (std::max(std::abs(x), std::abs(y)) < kStickPush) return 0;
    if (std::abs(x) >= std::abs(y)) return x < 0 ? GUI_NAV_LEFT : GUI_NAV_RIGHT;
    return y < 0 ? GUI_NAV_UP : GUI_NAV_DOWN;
}

int DpadButton(int direction) {
    switch (direction) {
        case GUI_NAV_LEFT: return PAD_BUTTON_DPAD_LEFT;
        case GUI_NAV_RIGHT: return PAD_BUTTON_DPAD_RIGHT;
        case GUI_NAV_UP: return PAD_BUTTON_DPAD_UP;
        default: return PAD_BUTTON_DPAD_DOWN;
    }
}

int ArrowKey(int direction) {
    switch (direction) {
        case GUI_NAV_LEFT: return DIK_LEFT;
        case GUI_NAV_RIGHT: return DIK_RIGHT;
        case GUI_NAV_UP: return DIK_UP;
        default: return DIK_DOWN;
    }
}

GPoint Center(const GRect& r) { return GPoint(r.left + r.Width() / 2, r.top + r.Height() / 2); }

}  // namespace

void GUIManager::EnableNavigation(bool enable) {
    if (enable == m_bNavigation) return;
    m_bNavigation = enable;
    if (!enable) ForgetWindow(nullptr);  // the controls look as without navigation again
}

CWindow* GUIManager::NavigationWindow() const {
    for (auto it = m_WindowList.rbegin(); it != m_WindowList.rend(); ++it) {
        CWindow* window = *it;
        if (!window->IsShow() || !window->IsEnable()) continue;
        if (!FocusOrder(window).empty()) return window;
    }
    return nullptr;
}

std::vector<CWindow*> GUIManager::FocusOrder(CWindow* window) const {
    std::vector<CWindow*> controls;
    if (window) CollectFocusable(window, controls);
    // Positive indexes first, ascending; the rest (0) keep the order they were added in.
    std::stable_sort(controls.begin(), controls.end(), [](const CWindow* a, const CWindow* b) {
        const int ia = a->GetTabIndex(), ib = b->GetTabIndex();
        if ((ia > 0) != (ib > 0)) return ia > 0;
        return ia > 0 && ia < ib;
    });
    return controls;
}

bool GUIManager::IsFocusAlive() const {
    return m_pFocusWindow && FindContainer(m_pFocusWindow) && Contains(m_pFocusWindow, m_pFocus);
}

void GUIManager::ForgetWindow(CWindow* window) {
    const bool all = window == nullptr;
    // The window is not looked into (the game may name one already gone); the focus's
    // parents are.
    bool inside = false;
    if (IsFocusAlive())
        for (const CWindow* w = m_pFocus; w && !inside; w = w->GetParent()) inside = w == window;
    // Called before the window goes: the focus inside it is still there to be told.
    if (all || window == m_pFocusWindow || inside) {
        if (IsFocusAlive()) m_pFocus->SetFocus(false);
        m_pFocus = nullptr;
        m_pPressed = nullptr;
        if (all || window == m_pFocusWindow) m_pFocusWindow = nullptr;
    }
    if (all) {
        m_LastFocus.clear();
        return;
    }
    m_LastFocus.erase(std::remove_if(m_LastFocus.begin(), m_LastFocus.end(),
                                     [window](const std::pair<CWindow*, CWindow*>& entry) {
                                         return entry.first == window || entry.second == window;
                                     }),
                      m_LastFocus.end());
}

void GUIManager::MoveFocus(CWindow* control) {
    if (control == m_pFocus) return;
    if (IsFocusAlive()) m_pFocus->SetFocus(false);
    m_pFocus = control;
    m_pPressed = nullptr;
    if (m_pFocus) m_pFocus->SetFocus(true);
}

void GUIManager::ValidateFocus() {
    CWindow* window = NavigationWindow();
    if (window != m_pFocusWindow) {
        // Leaving a window: its focus is kept for when it comes back on top.
        if (IsFocusAlive()) {
            m_LastFocus.erase(std::remove_if(m_LastFocus.begin(), m_LastFocus.end(),
                                             [this](const std::pair<CWindow*, CWindow*>& entry) {
                                                 return entry.first == m_pFocusWindow;
                                             }),
                              m_LastFocus.end());
            m_LastFocus.emplace_back(m_pFocusWindow, m_pFocus);
        }
        MoveFocus(nullptr);
        m_pFocusWindow = window;
    }
    if (!window) return;
    const std::vector<CWindow*> order = FocusOrder(window);
    if (std::find(order.begin(), order.end(), m_pFocus) != order.end()) return;
    CWindow* next = order.front();
    for (const auto& entry : m_LastFocus)
        if (entry.first == window && std::find(order.begin(), order.end(), entry.second) != order.end())
            next = entry.second;
    MoveFocus(next);
}

bool GUIManager::SetFocus(CWindow* control) {
    ValidateFocus();
    const std::vector<CWindow*> order = FocusOrder(m_pFocusWindow);
    if (!control || std::find(order.begin(), order.end(), control) == order.end()) return false;
    MoveFocus(control);
    return true;
}

void GUIManager::StepFocus(int step) {
    const std::vector<CWindow*> order = FocusOrder(m_pFocusWindow);
    if (order.empty()) return;
    const auto at = std::find(order.begin(), order.end(), m_pFocus);
    const int n = int(order.size());
    const int index = at == order.end() ? 0 : int(at - order.begin());
    MoveFocus(order[size_t(((index + step) % n + n) % n)]);
}

void GUIManager::Direct(int direction) {
    if (!m_pFocus || m_pFocus->Navigate(direction)) return;
    // The nearest control that way: distance along the direction, with distance across it
    // counting double; those within 45 degrees of the direction come first.
    const GPoint from = Center(m_pFocus->GetFocusRect());
    CWindow* best = nullptr;
    int64_t bestScore = 0;
    bool bestInCone = false;
    for (CWindow* control : FocusOrder(m_pFocusWindow)) {
        if (control == m_pFocus) continue;
        const GPoint to = Center(control->GetFocusRect());
        const int64_t dx = int64_t(to.x) - from.x, dy = int64_t(to.y) - from.y;
        int64_t along = 0, across = 0;
        switch (direction) {
            case GUI_NAV_LEFT: along = -dx, across = dy; break;
            case GUI_NAV_RIGHT: along = dx, across = dy; break;
            case GUI_NAV_UP: along = -dy, across = dx; break;
            default: along = dy, across = dx; break;
        }
        if (along <= 0) continue;
        if (across < 0) across = -across;
        const int64_t score = along + 2 * across;
        const bool inCone = across <= along;
        if (!best || (inCone && !bestInCone) || (inCone == bestInCone && score < bestScore))
            best = control, bestScore = score, bestInCone = inCone;
    }
    if (best) MoveFocus(best);
}

bool GUIManager::IsDirectionHeld(int direction) const {
    if (IsKeyDown(ArrowKey(direction))) return true;
    for (int pad = 0; pad < MAX_PADS; ++pad) {
        const stPadInfo* info = GetPadInfo(pad);
        if (!info || !info->bConnected) continue;
        if ((info->dwButtons >> DpadButton(direction)) & 1) return true;
        if (StickDirection(*info) == direction) return true;
    }
    return false;
}

bool GUIManager::Navigate() {
    ValidateFocus();
    const stInputInfo input = GetInputInfo();
    bool acted = false;

    // A left press on a control of the top window takes the focus there.
    if (input.dwMouse == MOUSE_LDOWN && m_pFocusWindow) {
        POINT cursor = input.ptCursor;
        for (CWindow* control : FocusOrder(m_pFocusWindow))
            if (control->GetFocusRect().PtInRect(cursor)) MoveFocus(control);
    }

    bool press = false, release = false, cancel = false;
    int step = 0;
    std::vector<int> directions;
    const DWORD key = input.dwKey;
    if (key == DIK_TAB) step = IsKeyDown(DIK_LSHIFT) || IsKeyDown(DIK_RSHIFT) ? -1 : 1;
    if (key == DIK_RETURN || key == DIK_NUMPADENTER || key == DIK_SPACE) press = true;
    if (key == DIK_RETURN + 256 || key == DIK_NUMPADENTER + 256 || key == DIK_SPACE + 256) release = true;
    if (key == DIK_ESCAPE) cancel = true;
    for (int direction = GUI_NAV_LEFT; direction <= GUI_NAV_DOWN; ++direction)
        if (key == DWORD(ArrowKey(direction))) directions.push_back(direction);
    for (int pad = 0; pad < MAX_PADS; ++pad) {
        const stPadInfo* info = GetPadInfo(pad);
        const int stick = info && info->bConnected ? StickDirection(*info) : 0;
        if (stick && stick != m_nStickDirection[pad]) directions.push_back(stick);
        m_nStickDirection[pad] = stick;
        if (!info || !info->bConnected) continue;
        const DWORD pressed = info->dwPressed, released = info->dwReleased;
        if (pressed & (1u << PAD_BUTTON_A)) press = true;
        if (released & (1u << PAD_BUTTON_A)) release = true;
        if (pressed & (1u << PAD_BUTTON_B)) cancel = true;
        if (pressed & (1u << PAD_BUTTON_RIGHT_SHOULDER)) step += 1;
        if (pressed & (1u << PAD_BUTTON_LEFT_SHOULDER)) step -= 1;
        for (int direction = GUI_NAV_LEFT; direction <= GUI_NAV_DOWN; ++direction)
            if ((pressed >> DpadButton(direction)) & 1) directions.push_back(direction);
    }

    if (step) {
        StepFocus(step);
        acted = true;
    }
    const DWORD now = timeGetTime();
    for (int direction : directions) {
        Direct(direction);
        m_nRepeatDirection = direction;
        m_dwRepeatTime = now;
        m_bRepeating = false;
        acted = true;
    }
    // A direction held on repeats.
    if (directions.empty() && m_nRepeatDirection) {
        if (!IsDirectionHeld(m_nRepeatDirection)) {
            m_nRepeatDirection = 0;
        } else if (now - m_dwRepeatTime >= (m_bRepeating ? kNavRepeatInterval : kNavRepeatDelay)) {
            Direct(m_nRepeatDirection);
            m_dwRepeatTime = now;
            m_bRepeating = true;
            acted = true;
        }
    }
    if (press && m_pFocus) {
        m_pPressed = m_pFocus;
        m_pFocus->Navigate(GUI_NAV_PRESS);
        acted = true;
    }
    if (release && m_pPressed && m_pPressed == m_pFocus) {
        m_pPressed = nullptr;
        m_pFocus->Navigate(GUI_NAV_RELEASE);
        acted = true;
    }
    if (cancel) {
        // From the top window; without one, from the highest window shown.
        CWindow* window = m_pFocusWindow;
        for (auto it = m_WindowList.rbegin(); !window && it != m_WindowList.rend(); ++it)
            if ((*it)->IsShow() && (*it)->IsEnable()) window = *it;
        if (window) {
            CMessage message(MSG_GUI_EVENT, window->GetID(), 0);
            message.SetParameter(GUI_EVENT_CANCEL, 0, window);
            PostMessageA(message);
            acted = true;
        }
    }
    return acted;
}
