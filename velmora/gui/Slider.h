// CSlider: picks an integer between a minimum and a maximum by the place of a thumb on a
// framed track, horizontal or vertical. A press on the track jumps the thumb's leading edge
// under the pointer; a press on the thumb drags it. Every change of the value, by the user or
// by the game, is reported.
#pragma once

#include <velmora/gui/Window.h>

class VLM_API CSlider : public CWindow {
public:
    explicit CSlider(CWindow* parent = nullptr);
    ~CSlider() override;

    void Render() override;
    // The ID for a jump on the track and while a drag goes on.
    DWORD ProcessEvent() override;
    // Fails, with a line, when the track ("SrcRect" or "Picture") or the thumb ("BtnSrcRect"
    // or "BtnPicture") has no size.
    bool LoadFromIni(const char* file, const char* section) override;
    // Moves the track and the thumb with it.
    void OffSet(int dx, int dy) override;
    // Navigation: the arrows along the track step the value by a twentieth of the range (at
    // least 1), reported as the pointer's changes are.
    bool CanFocus() const override { return IsLive() && m_hButton != 0; }
    bool Navigate(int input) override;
    GRect GetFocusRect() const override;

    int GetValue() const { return m_nValue; }
    void GetRange(int& min, int& max) const { min = m_nMin, max = m_nMax; }
    // Both clamp the value into the range and report a change.
    void SetValue(int value) { SetValueInternal(value, false); }
    void SetRange(int min, int max);
    // 0: horizontal track; otherwise vertical.
    int GetSliderType() const { return m_nSliderType; }
    // The thumb's top-left on screen.
    POINT GetThumbPos() const { return POINT{m_nThumbX, m_nThumbY}; }

protected:
    // Clamps the value, reports a change, and places the thumb. `user` tells a change made
    // by the pointer; it changes nothing.
    void SetValueInternal(int value, bool user);
    // The value whose thumb would have its leading edge under the pointer.
    int ValueFromMousePos() const;
    // Places the thumb for the value.
    void UpdateRect();

    int32_t m_nValue;
    int32_t m_nMax;
    int32_t m_nMin;
    DWORD m_bDragging;
    GRect m_rcButton;
    int32_t m_nThumbX;
    int32_t m_nThumbY;
    DWORD m_hButton;
    int32_t m_nSliderType;
};
