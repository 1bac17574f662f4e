// CCheckBox: a two-state control drawn from a picture of stacked images (normal, hover and
// disabled looks, each unselected and selected). A press toggles it and reports the new
// state; a dependent box (a radio button) is only ever selected by a press, silently.
#pragma once

#include <velmora/gui/Window.h>

class VLM_API CCheckBox : public CWindow {
public:
    // The look rows of the picture; an image is look row x 2 + selected.
    enum LOOK { LOOK_NORMAL = 0, LOOK_HOVER = 1, LOOK_DISABLED = 2 };

    explicit CCheckBox(CWindow* parent = nullptr);
    ~CCheckBox() override;

    void Render() override;
    // The box's ID for a press on it; hovering alone returns 0.
    DWORD ProcessEvent() override;
    // "StateNum" (default 4) images stacked from the picture's top-left; no caption.
    bool LoadFromIni(const char* file, const char* section) override;
    // Neither touches the children.
    void Enable() override;
    void Disable() override;
    // Navigation: a press toggles the box (selects a dependent one) as the pointer's does.
    bool CanFocus() const override { return IsLive() && m_hPicture != 0; }
    bool Navigate(int input) override;
    // Toggles an independent box and reports it; selects a dependent one silently. What a
    // left press on the box does.
    void Press();

    // An independent box reports a change of state; a dependent one changes silently.
    void SetSelect(bool select);
    bool GetSelect() const { return m_bSelect; }
    void SetDependent(bool dependent) { m_bDependent = dependent; }
    bool GetDependent() const { return m_bDependent; }
    int GetLook() const { return m_nLook; }
    int GetStateNum() const { return m_nStateNum; }
    const GRect& GetImageRect(int image) const { return m_rcImage[image >= 0 && image < 6 ? image : 0]; }

protected:
    GRect m_rcImage[6];
    bool m_bSelect;
    int32_t m_nStateNum;
    int32_t m_nLook;
    bool m_bDependent;
};
