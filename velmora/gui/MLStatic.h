// MLStatic: a long text broken into lines of a fixed number of bytes by its own
// texture-cached font. Its hit area is empty, so it never reports a press.
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
    // "Caption" is the text; "FontName" and "FontSize" make the font.
    bool LoadFromIni(const char* file, const char* section) override;

    // Null and texts over 4095 characters are ignored.
    void SetCaption(const char* text);
    // Copies the text into a buffer of at least 4096 bytes.
    void GetCaption(char* buffer) const;
    // The font, whose line length and line height the game may change.
    GFont* GetFont() { return &m_Font; }
    // The extent of the text as the font breaks it into lines.
    GRect GetFontRect() const;

protected:
    GFont m_Font;
    char m_szText[4096];
};
