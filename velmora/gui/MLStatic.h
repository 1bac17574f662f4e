// MLStatic: a long text broken into lines of a fixed number of bytes by its own
// texture-cached font, or between words when word wrap is on. Its hit area is empty, so it
// never reports a press.
#pragma once

#include <velmora/gui/Window.h>
#include <velmora/text/Font.h>

class VLM_API MLStatic : public CWindow {
public:
    explicit MLStatic(CWindow* parent = nullptr);
    ~MLStatic() override;

    void Render() override;
    // The press test of GStatic, on the empty source rectangle.
    DWORD ProcessEvent() override;
    // "Caption" is the text; "FontName" and "FontSize" make the font; "WordWrap" (default 0)
    // breaks lines between words instead of at the line length's byte.
    bool LoadFromIni(const char* file, const char* section) override;

    // Null and texts over 4095 characters are ignored.
    void SetCaption(const char* text) override;
    // Copies the text into a buffer of at least 4096 bytes.
    void GetCaption(char* buffer) const override;
    // Lines end at spaces and beside CJK characters (on), or at the line length in bytes
    // (off, the default): GFont::SetWordWrap of the control's font.
    void SetWordWrap(bool wrap) { m_Font.SetWordWrap(wrap); }
    bool GetWordWrap() const { return m_Font.GetWordWrap(); }
    // The font, whose line length and line height the game may change.
    GFont* GetFont() { return &m_Font; }
    // The extent of the text as the font breaks it into lines.
    GRect GetFontRect() const;

protected:
    GFont m_Font;
    char m_szText[4096];
};
