// GUIManager: the root of the GUI. Owns the top-level windows in stacking order (first is
// the bottom), draws them bottom to top, offers each frame's pointer input top to bottom,
// and builds whole screens from GUI description files. On request it also lets the keyboard
// and game pads move a focus through the top window's controls and work them.
#pragma once

#include <map>
#include <string>
#include <vector>

#include <velmora/Export.h>
#include <velmora/gui/Window.h>
#include <velmora/input/Pad.h>

class VLM_API GUIManager {
public:
    // Creates the default container (a plain window, ID 0) as the bottom window.
    GUIManager();
    virtual ~GUIManager();
    GUIManager(const GUIManager&) = delete;
    GUIManager& operator=(const GUIManager&) = delete;

    // Builds the windows a description file lists. False at the first bad element or
    // duplicate ID; what was built before stays.
    bool LoadFromFile(const char* path);
    // Inserts a top-level window at the bottom / at the top; the manager owns it from then
    // on. Null and a window already in the list are ignored.
    void AddWindowFront(CWindow* window);
    void AddWindowBack(CWindow* window);
    // Raises the first top-level window with the ID to the top.
    void SetAsTopWindow(DWORD id);
    // Raises this top-level window to the top; nothing for a window that is not one.
    void SetAsTopWindow(CWindow* window);
    // A top-level window with the ID, or a direct child of one, bottom to top; or null.
    CWindow* GetElement(DWORD id) const;
    // Unlinks the window from the top-level list or from the top-level window whose child it
    // is, deleting it on request. Its ID stays registered until RemoveAll.
    void RemoveElement(CWindow* window, bool destroy);
    // Deletes every top-level window, the default container included, and forgets the IDs.
    void RemoveAll();
    // RemoveAll, then a new default container: the manager as newly made.
    void Reset();
    // True when some window handled this frame's input; windows below it get none. With
    // navigation on, also true when the frame's keys or pads worked the focus.
    bool ProcessEvent();
    void Render();

    // --- Navigation without a pointer, off until the game turns it on ---------------------
    // The top window (the highest shown and enabled top-level window with a control that can
    // take the focus) keeps a focus on one of its controls. Tab and Shift+Tab, and a pad's
    // right and left shoulders, move it in the focus order (CWindow::SetTabIndex, "TabIndex");
    // the arrow keys, the D-pad and the left stick move it to the nearest control that way,
    // or change the value of a slider, scroll bar, list box, radio group or number box. Enter,
    // Space and a pad's A press the focused control; Escape and B post GUI_EVENT_CANCEL from
    // the top window. A left press on a control moves the focus there.
    void EnableNavigation(bool enable);
    bool IsNavigationEnabled() const { return m_bNavigation; }
    // The focused control, or null.
    CWindow* GetFocus() const { return m_pFocus; }
    // Moves the focus to a control of the top window that can take it; false otherwise.
    bool SetFocus(CWindow* control);
    // The colour of the one-pixel rectangle around a focused control that has no hover look.
    static constexpr DWORD kDefaultFocusColor = 0xFFFFD040;
    void SetFocusColor(DWORD color) { m_dwFocusColor = color; }
    DWORD GetFocusColor() const { return m_dwFocusColor; }
    // A held arrow, D-pad or stick repeats after kNavRepeatDelay, then every kNavRepeatInterval.
    static constexpr DWORD kNavRepeatDelay = 400;
    static constexpr DWORD kNavRepeatInterval = 120;

    CWindow* GetDefaultContainer() const { return m_pDefaultContainer; }
    int GetWindowCount() const { return static_cast<int>(m_WindowList.size()); }

protected:
    // A new element of the class of a GUIType code, or null for an unknown code.
    CWindow* CreateControl(int type, CWindow* parent);
    bool FindContainer(CWindow* window) const;
    bool FindContainer(DWORD id) const;

    CWindow* m_pDefaultContainer;
    std::vector<CWindow*> m_WindowList;
    std::map<DWORD, CWindow*> m_IDMap;

private:
    // The ID is new to the map; otherwise logs the duplicate and, from `origin` ("section
    // [Ok] in file[menu.ini]"), where each of the two uses lies.
    bool RegisterID(DWORD id, CWindow* window, const char* path, const char* section, const std::string& origin);
    // Where each ID of m_IDMap was first used: "section [Ok] in file[menu.ini]".
    std::map<DWORD, std::string> m_IDOrigin;
    // The top-level windows as they stood when the frame's input walk began: a window
    // raised while handling the input must not disturb the walk.
    std::vector<CWindow*> m_EventOrder;

    // Navigation (GUIManagerNavigation.cpp).
    // The frame's keys and pads; true when they did something.
    bool Navigate();
    // The window whose controls take the focus, or null.
    CWindow* NavigationWindow() const;
    // The controls of `window` that can take the focus, in focus order.
    std::vector<CWindow*> FocusOrder(CWindow* window) const;
    // Keeps the focus on a control of the top window that can take it.
    void ValidateFocus();
    void MoveFocus(CWindow* control);
    // The focused control is still in the top window's tree (the game may have deleted it).
    bool IsFocusAlive() const;
    // Forgets focus pointers into `window` (or everything, for null), which is going away.
    void ForgetWindow(CWindow* window);
    void StepFocus(int step);
    // A GUI_NAV_LEFT ... GUI_NAV_DOWN for the focused control, or the focus's move that way.
    void Direct(int direction);
    // Whether a direction is still held by the keyboard, a D-pad or a left stick.
    bool IsDirectionHeld(int direction) const;

    bool m_bNavigation = false;
    DWORD m_dwFocusColor = kDefaultFocusColor;
    CWindow* m_pFocusWindow = nullptr;
    CWindow* m_pFocus = nullptr;
    CWindow* m_pPressed = nullptr;  // the control a navigation press went to
    // The focus each window had when it stopped being the top window.
    std::vector<std::pair<CWindow*, CWindow*>> m_LastFocus;
    int m_nRepeatDirection = 0;  // GUI_NAV_LEFT ... GUI_NAV_DOWN, or 0
    DWORD m_dwRepeatTime = 0;
    bool m_bRepeating = false;
    int m_nStickDirection[MAX_PADS] = {};  // where each pad's left stick points (0: the middle)
};
