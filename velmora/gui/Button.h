// Button: a push button drawn from a picture of state images stacked from its top-left
// corner (normal, hover, pressed, disabled); reports enter, press, click and leave.
#pragma once

#include <velmora/gui/Window.h>

class VLM_API Button : public CWindow {
public:
    // The visual states, and the rows of the picture that show them.
    enum STATE { STATE_NORMAL = 0, STATE_HOVER = 1, STATE_PRESSED = 2, STATE_DISABLED = 3 };

    explicit Button(CWindow* parent = nullptr);
    ~Button() override;

    void Render() override;
    DWORD ProcessEvent() override;
    bool LoadFromIni(const char* file, const char* section) override;
    // Each clears the hover flag and sets the state to normal or disabled; none touches the
    // children.
    void Show(bool show) override;
    void Enable() override;
    void Disable() override;
    // Navigation: a press and its release post GUI_EVENT_PRESS and GUI_EVENT_CLICK with the
    // pressed look between them, as the pointer's do.
    bool CanFocus() const override { return IsLive() && m_hPicture != 0; }
    void SetFocus(bool focus) override;
    bool Navigate(int input) override;

    int GetState() const { return m_nState; }
    int GetStateNum() const { return m_nStateNum; }
    const GRect& GetStateRect(int state) const { return m_rcState[state & 3]; }

protected:
    // The state to draw: a focused button looks hovered.
    int DrawnState() const;
    // A hover image lies in the picture.
    bool HasHoverLook() const { return m_nStateNum >= 2; }

    int32_t m_nState;
    GRect m_rcState[4];
    int32_t m_bHover;
    int32_t m_nStateNum;
};
