// GScrollBar: selects which part of a longer list is in view. A track, a thumb whose length
// shows the visible share, and two step buttons outside the track's ends. The value is the
// first visible item, kept between the range start and range end - page size. Steps (with
// auto-repeat), track paging and thumb dragging made by the user are reported; changes made
// through the programming interface are silent. Vertical unless made horizontal ("Horizontal"
// key or SetHorizontal).
#pragma once

#include <velmora/gui/Window.h>

class CIniFile;

class VLM_API GScrollBar : public CWindow {
public:
    enum BUTTON_STATE { BTN_NORMAL = 0, BTN_HOVER = 1, BTN_PRESSED = 2, BTN_DISABLED = 3 };
    // Auto-repeat of a held step button: waiting after the press, then repeating.
    enum REPEAT_MODE { REPEAT_NONE = 0, REPEAT_WAIT1 = 1, REPEAT_WAIT2 = 2, REPEAT_STEP1 = 3, REPEAT_STEP2 = 4 };
    // The first repeat comes this long after the press, then one every kRepeatInterval.
    static constexpr DWORD kRepeatDelay = 330;
    static constexpr DWORD kRepeatInterval = 50;

    // A step button: its four state images, stacked in its picture, and where it stands.
    struct StepButton {
        GRect rcState[4];
        int32_t nState;
        int32_t x, y;
        DWORD hPicture;
    };

    explicit GScrollBar(CWindow* parent = nullptr);
    ~GScrollBar() override;

    void Render() override;
    // The ID when the pointer is on a step button or the track, or a thumb drag went on.
    DWORD ProcessEvent() override;
    // Fails, with a line naming the missing picture, without any of the three pictures.
    bool LoadFromIni(const char* file, const char* section) override;
    // Moves the track and puts the buttons and the thumb back around it.
    void OffSet(int dx, int dy) override;
    // Each sets both step buttons to normal (enabled) or disabled; no children are visited.
    void Show(bool show) override;
    void Enable() override;
    void Disable() override;

    int GetTrackPos() const { return m_nTrackPos; }
    int GetPageSize() const { return m_nPageSize; }
    void GetTrackRange(int& start, int& end) const { start = m_nStart, end = m_nEnd; }
    // The size of a step button (button 1's normal image).
    int GetMinWidth() const { return m_Button1.rcState[0].Width(); }
    int GetMinHeight() const { return m_Button1.rcState[0].Height(); }
    // The setters clamp the position into the range and place the thumb; none posts.
    void SetTrackRange(int start, int end);
    void SetTrackPos(int pos);
    void SetPageSize(int size);
    void Scroll(int delta);
    // Scrolls the least amount that brings the item into view.
    void ShowItem(int item);
    // The overall size, step buttons included; the track gets what they leave.
    void SetSize(int width, int height);
    // Navigation: the arrows along the bar step it as its step buttons do, and report it.
    bool CanFocus() const override { return IsLive() && m_Button1.hPicture != 0; }
    bool Navigate(int input) override;
    // The track and both step buttons.
    GRect GetFocusRect() const override;

    // Buttons left and right of the track instead of above and below it.
    void SetHorizontal(bool horizontal);
    bool IsHorizontal() const { return m_dwVertical == 0; }

    // Where things stand, for games that draw around the bar.
    bool IsThumbShown() const { return m_bShowThumb; }
    const RECT& GetThumbRect() const { return m_rcThumb; }
    // Button 1 (towards the start) or 2 (towards the end).
    const StepButton& GetButton(int which) const { return which == 2 ? m_Button2 : m_Button1; }
    // The rectangle a step button's picture covers on screen.
    GRect GetButtonRect(int which) const;

protected:
    // Places the step buttons around the track.
    virtual void UpdateRect();
    // Places the thumb for the position, or hides it when the range fits in one page.
    virtual void UpdateBtnRect();
    // Clamps the position into the range.
    void AdjustPosition();
    // A button's picture rectangle shrunk by the hit inset.
    GRect HitRect(const StepButton& button) const;
    // Loads one step button's picture and cuts it into its four states.
    bool LoadButton(CIniFile& ini, const char* section, const char* key, StepButton* button);
    // Both buttons normal when enabled, disabled otherwise.
    void ResetButtonStates();
    // The thumb's length along the track for the range and page.
    int ThumbLength(int trackLength) const;

    DWORD m_dwVertical;
    bool m_bShowThumb;
    int32_t m_nTrackPos;
    int32_t m_nPageSize;
    int32_t m_nStart;
    int32_t m_nEnd;
    StepButton m_Button1;
    StepButton m_Button2;
    bool m_bDragging;
    GRect m_rcPin;
    RECT m_rcThumb;
    DWORD m_hPin;
    POINT m_ptPress;
    int32_t m_nRepeatMode;
    DWORD m_dwRepeatTime;
    int32_t m_nHitInset;
};
