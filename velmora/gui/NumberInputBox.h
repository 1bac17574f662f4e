// CNumberInputBox: a box in which the user types a number: digits from the main row or the
// keypad, one leading minus sign, one decimal point, at most 16 characters, and Backspace
// (auto-repeating). A press inside gives it the keyboard focus (the active bit), a press
// elsewhere takes it away. Enter reports the value as the bits of a float.
#pragma once

#include <velmora/gui/Window.h>

class VLM_API CNumberInputBox : public CWindow {
public:
    // The longest text.
    static constexpr int kMaxChars = 16;
    // Backspace held: the first repeat comes this long after the press, then one every
    // kRepeatInterval.
    static constexpr DWORD kRepeatDelay = 330;
    static constexpr DWORD kRepeatInterval = 50;
    // The cursor is shown and hidden for this long each.
    static constexpr DWORD kBlinkTime = 400;

    explicit CNumberInputBox(CWindow* parent = nullptr);
    ~CNumberInputBox() override;

    void Render() override;
    // Always 0: typing never counts as handling the frame's input.
    DWORD ProcessEvent() override;
    // Never fails; missing pictures leave their handles 0.
    bool LoadFromIni(const char* file, const char* section) override;

    // "%d"; and "%f" cut to its first 16 characters.
    void SetValue(int value);
    void SetValue(float value);
    // The text read as a number; 0 when it holds none.
    float GetValue() const;
    void SetEmptyValue();
    // Reports the value: GUI_EVENT_CHANGE with the float's bit pattern.
    void PostValue();
    // Navigation: the focused box takes the keyboard (its active bit); Up and Down change the
    // value by one and a pad's A reports it, as Enter does.
    bool CanFocus() const override { return IsLive() && m_hPicture != 0; }
    void SetFocus(bool focus) override;
    bool Navigate(int input) override;
    GRect GetFocusRect() const override;

    // The text being edited.
    const char* GetText() const { return m_szCaption; }
    bool IsCursorShown() const { return m_bCursorShown; }
    int GetCursorOffset() const { return m_nCursorOffset; }

protected:
    // Removes the last character.
    void BackSpace();
    // The cursor stands after the text.
    void UpdateCursor();
    // Appends one character when the key types one the text may take.
    void TypeKey(DWORD key);

    bool m_bCursorShown;
    DWORD m_dwBlinkTime;
    DWORD m_hCursor;
    int32_t m_nCursorOffset;
    int32_t m_nRepeatMode;
    DWORD m_dwRepeatTime;
};
