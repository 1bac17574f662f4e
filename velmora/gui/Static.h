// GStatic: one line of text in its own single-string font, left-aligned at its position or
// centred on it; a left press on the text's extent is reported.
#pragma once

#include <velmora/gui/Window.h>
#include <velmora/text/SimFont.h>

class VLM_API GStatic : public CWindow {
public:
    explicit GStatic(CWindow* parent = nullptr);
    ~GStatic() override;

    void Render() override;
    // GUI_EVENT_PRESS for a left press inside (position, position + text extent).
    DWORD ProcessEvent() override;
    // "FontName" (default SimSun) and "FontSize" (default 16) make the font.
    bool LoadFromIni(const char* file, const char* section) override;

    // Null and texts over 255 characters are ignored; the text's extent follows.
    void SetCaption(const char* text) override;
    // Copies the caption into a buffer of at least 256 bytes.
    void GetCaption(char* buffer) const override;
    bool IsLeft() const { return m_bLeft; }
    void SetLeft(bool left) { m_bLeft = left; }
    // The text's extent, (0, 0, width, height): the hit area from the position.
    GRect GetFontRect() const { return m_rcSrc; }

protected:
    CSimFont m_Font;
    bool m_bLeft;
};
