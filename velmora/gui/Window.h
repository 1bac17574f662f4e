// CWindow: the base of every GUI element, top-level windows and the controls inside them.
// Geometry, attribute bits, skin pictures, an optional per-pixel hit mask, the owned child
// windows, loading from a GUI description section, drawing, hit testing and dragging.
#pragma once

#include <memory>
#include <vector>

#include <velmora/Export.h>
#include <velmora/core/GPoint.h>
#include <velmora/core/GRect.h>

// Attribute bits of a window ("Attrib").
enum GUI_ATTRIB : DWORD {
    GUI_ATTRIB_ACTIVE = 0x01,
    GUI_ATTRIB_SHOW = 0x02,
    GUI_ATTRIB_DRAGABLE = 0x04,
    GUI_ATTRIB_ENABLE = 0x08,
};

// Event codes of MSG_GUI_EVENT messages, carried in m_dwParam1.
enum GUI_EVENT_CODE : DWORD {
    GUI_EVENT_ENTER = 1,   // the pointer has entered the control
    GUI_EVENT_PRESS = 2,   // the left button was pressed on the control
    GUI_EVENT_CLICK = 3,   // the left button was released on the control
    GUI_EVENT_LEAVE = 4,   // the pointer has left the control
    GUI_EVENT_CHANGE = 5,  // the control's value or selection has changed
    GUI_EVENT_CANCEL = 6,  // Escape or a pad's B while navigating (GUIManager::EnableNavigation),
                           // from the top window
};

// What keyboard and pad navigation asks of the focused control (CWindow::Navigate).
enum GUI_NAVIGATION {
    GUI_NAV_PRESS = 1,    // Enter, Space or a pad's A went down
    GUI_NAV_RELEASE = 2,  // ... and came up again
    GUI_NAV_LEFT = 3,
    GUI_NAV_RIGHT = 4,
    GUI_NAV_UP = 5,
    GUI_NAV_DOWN = 6,
};

// Control types ("GUIType" of a description file); each class stores its own as its type.
enum GUI_TYPE_CODE : DWORD {
    GUI_TYPE_WINDOW = 1,
    GUI_TYPE_BUTTON = 2,
    GUI_TYPE_STATIC = 3,
    GUI_TYPE_CHECKBOX = 4,
    GUI_TYPE_RADIOGROUP = 5,
    GUI_TYPE_SLIDER = 6,
    GUI_TYPE_SCROLLBAR = 7,
    GUI_TYPE_LISTBOX = 8,
    GUI_TYPE_COOLBUTTON = 256,
    GUI_TYPE_COOLSCROLL = 257,
    GUI_TYPE_COOLLISTBOX = 258,
    GUI_TYPE_NUMBERINPUTBOX = 259,
    GUI_TYPE_MLSTATIC = 260,
};

class VLM_API CWindow {
public:
    // Stores the parent (may be null) without joining its child list: the creator adds it.
    explicit CWindow(CWindow* parent = nullptr);
    // Release, then the child list is emptied.
    virtual ~CWindow();
    // Owns its children, pictures and mask.
    CWindow(const CWindow&) = delete;
    CWindow& operator=(const CWindow&) = delete;

    // Releases the pictures, deletes the children and frees the hit mask. The handles are
    // cleared, so a second call releases nothing again.
    virtual void Release();
    virtual void Render();
    // The ID of the window that handled this frame's pointer input, or 0.
    virtual DWORD ProcessEvent();
    // Reads the common keys of a description section; positions are relative to the parent.
    virtual bool LoadFromIni(const char* file, const char* section);
    virtual void MoveTo(int x, int y);
    // Moves the window and its whole subtree.
    virtual void OffSet(int dx, int dy);
    virtual GPoint GetPosition() const { return m_ptPos; }
    virtual GRect GetRect() const { return GRect(m_ptPos.x, m_ptPos.y, m_ptPos.x + m_nWidth, m_ptPos.y + m_nHeight); }
    virtual void SetHeight(int height);
    virtual int GetHeight() const { return m_nHeight; }
    virtual void SetWidth(int width);
    virtual int GetWidth() const { return m_nWidth; }
    virtual bool IsShow() const { return (m_dwAttrib & GUI_ATTRIB_SHOW) != 0; }
    virtual bool IsEnable() const { return (m_dwAttrib & GUI_ATTRIB_ENABLE) != 0; }
    virtual bool IsDragable() const { return (m_dwAttrib & GUI_ATTRIB_DRAGABLE) != 0; }
    virtual bool IsActive() const { return (m_dwAttrib & GUI_ATTRIB_ACTIVE) != 0; }
    // Showing a hidden window raises the top-level window of its ID.
    virtual void Show(bool show);
    // Enable and Disable reach the whole subtree.
    virtual void Enable();
    virtual void Disable();
    virtual void SetDragable(bool dragable);
    virtual void SetActive(bool active);
    virtual DWORD GetColor() const { return m_dwColor; }
    virtual void SetColor(DWORD color) { m_dwColor = color; }
    virtual bool GetFastDraw() const { return m_bFastDraw; }
    virtual void SetFastDraw(bool fast) { m_bFastDraw = fast; }
    virtual CWindow* GetParent() const { return m_pParent; }
    // Stores the parent and, when there is one, joins its child list.
    virtual void SetParent(CWindow* parent);
    // Appends a child, which the list then owns; its parent field is left as it is. Null,
    // the window itself and a window already in the list are ignored.
    virtual void AddWindow(CWindow* child);
    // Unlink the first direct child with the ID / that is the window; delete it on request.
    virtual void RemoveWindow(DWORD id, bool destroy);
    virtual void RemoveWindow(CWindow* child, bool destroy);
    virtual int GetSubWindowsCount() const { return static_cast<int>(m_SubWindows.size()); }
    // The first direct child with the ID, or null.
    virtual CWindow* GetSubWindow(DWORD id) const;

    // The caption: the title in a window's header, the text on a button. Drawn from the next
    // frame. Null and texts over 255 bytes are refused (the latter with a warning), so a
    // caption is never cut inside a character.
    virtual void SetCaption(const char* text);
    // Copies the caption into a buffer of at least 256 bytes.
    virtual void GetCaption(char* buffer) const;

    DWORD GetID() const { return m_dwID; }
    void SetID(DWORD id) { m_dwID = id; }
    DWORD GetType() const { return m_dwType; }
    // Direct child i in the order they were added, or null.
    CWindow* GetSubWindowAt(int i) const;

    // --- Navigation without a pointer (GUIManager::EnableNavigation) ---------------------
    // Whether the control can take the focus now: shown and enabled buttons, check boxes,
    // radio groups, sliders, scroll bars, list boxes and number boxes. Plain windows and texts
    // never take it.
    virtual bool CanFocus() const { return false; }
    // The focus comes or goes; the focused control is drawn in its hover look, or with a
    // one-pixel focus rectangle when it has none.
    virtual void SetFocus(bool focus) { m_bFocus = focus; }
    bool HasFocus() const { return m_bFocus; }
    // A GUI_NAV_* input for the focused control. False when the control has no use for it:
    // an arrow then moves the focus to the nearest control in its direction.
    virtual bool Navigate(int input);
    // Where the control stands for navigation: arrows measure from it, and the focus
    // rectangle goes around it.
    virtual GRect GetFocusRect() const { return GetRect(); }
    // The order of the focus: positive indexes first, ascending, then 0 (the default) in the
    // order the controls were added; a negative index keeps the control out of it. The
    // "TabIndex" key of a description file sets it.
    int GetTabIndex() const { return m_nTabIndex; }
    void SetTabIndex(int index) { m_nTabIndex = index; }

protected:
    // Whether the point (the current pointer when null) hits: inside rect, and on an opaque
    // mask pixel when the mask is in use.
    virtual bool CheckInRGN(GRect rect, POINT* point) const;

    // Builds the hit mask from the alpha of the picture's source rectangle; an expanded
    // window keeps the picture's 32-pixel borders at its edges.
    void CreateRGN(GRect* src);
    // The centre of the mask's opaque pixels, relative to the window's top-left.
    POINT GetRGNCenter() const;
    // A frame from a strip of eight cell x cell pictures; nothing for a colour of alpha 0.
    void RenderNewStyle(DWORD picture, const RECT& rect, DWORD color, int cell);
    // The nine-cell skin, tiled (RenderExpand) or stretched (RenderExpandEx).
    void RenderExpand();
    void RenderExpandEx();

    // Helpers for the controls.
    // A MSG_GUI_EVENT from this window: source ID, event code, param2 and the window itself.
    void PostEvent(DWORD code, DWORD param2);
    // The press test of the text controls: a left press this frame inside (position,
    // position + size of the source rectangle) posts GUI_EVENT_PRESS and gives the ID.
    DWORD ProcessPress();
    // Moves by the parent's top-left, so a loaded position is relative to the parent.
    void OffsetByParent();
    // Drops the texture reference behind a handle (when the texture manager exists) and
    // clears the handle.
    static void ReleasePicture(DWORD& handle);
    // The size of a picture, or false when the handle names no texture.
    static bool PictureSize(DWORD handle, int* width, int* height);
    static bool IsZeroRect(const RECT& r) { return !r.left && !r.top && !r.right && !r.bottom; }
    // The one-pixel focus rectangle just outside `rect`, in the GUI manager's focus colour.
    static void RenderFocusRect(const GRect& rect);
    // Shown and enabled: what every control needs to take the focus.
    bool IsLive() const { return IsShow() && IsEnable(); }

    DWORD m_dwAttrib;
    DWORD m_dwType;
    DWORD m_dwColor;
    GPoint m_ptPos;
    GRect m_rcSrc;
    int32_t m_nWidth;
    int32_t m_nHeight;
    DWORD m_hPicture;
    DWORD m_hBackground;
    DWORD m_hHeader;
    DWORD m_dwID;
    char m_szCaption[256];
    bool m_bFastDraw;
    bool m_bExpand;
    std::unique_ptr<BYTE[]> m_pRgnMask;
    bool m_bUseRGN;
    CWindow* m_pParent;
    std::vector<CWindow*> m_SubWindows;
    DWORD m_bDragging;
    POINT m_ptDragAnchor;
    int32_t m_nFrameCell;
    int32_t m_nFrameInset;
    char m_szFile[256];
    // The mask's own size, which SetWidth/SetHeight do not change.
    int32_t m_nRgnWidth;
    int32_t m_nRgnHeight;
    bool m_bFocus;
    int32_t m_nTabIndex;
};
