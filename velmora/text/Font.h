// GFont: a GDI font that draws text through a cache of up to 33 string textures, reused
// least recently used first and aged out after 2 s without use; it also breaks long texts
// into lines of a fixed number of bytes, never inside a character (core/TextEncoding.h).
// The engine's system font, behind the free DrawSingleLine and GetFontRect, is one of these.
#pragma once

#include <map>
#include <string>
#include <vector>

#include <velmora/Export.h>
#include <velmora/platform/gdi/Gdi.h>
#include <velmora/text/FontTexture.h>

class VLM_API GFont {
public:
    GFont();
    virtual ~GFont();
    GFont(const GFont&) = delete;
    GFont& operator=(const GFont&) = delete;

    // Any earlier font and its cache are released first. Sets the line length to 70 bytes
    // and the line height to 20 pixels.
    bool CreateFontA(const char* face, DWORD height, DWORD width, DWORD weight);
    // Deletes the GDI font and destroys every cached texture.
    void Release();
    // Rounded down to an even number and kept within 254, so a line can always end on a GBK
    // character boundary; a UTF-8 character longer than the line still takes a line of its
    // own. 0 (also the value before CreateFontA) breaks a text into no lines.
    void SetLineCount(DWORD count);
    void SetLineHeight(DWORD height) { m_dwLineHeight = height; }
    // Off (the default): lines are cut at the line length in bytes, inside words too. On: a
    // line ends at its last space (Latin text) or beside a CJK character, where one lies
    // within the line length; a word longer than a line is still cut.
    void SetWordWrap(bool wrap) { m_bWordWrap = wrap; }
    bool GetWordWrap() const { return m_bWordWrap; }
    DWORD GetLineCount() const { return m_dwLineCount; }
    DWORD GetLineHeight() const { return m_dwLineHeight; }

    // (0, 0, width, height) of the text in this font; empty without a font.
    RECT GetStringRect(const char* text) const;
    // The widest line, and the tallest line plus a line height for each further line.
    RECT GetStringRectMultiLine(const char* text) const;
    // One line, formatted into 256 bytes (cut at 255); centred on (x, y) when asked.
    void DrawSingleLine(int x, int y, DWORD color, bool center, const char* format, ...)
        __attribute__((format(printf, 6, 7)));
    // Formats into 4096 bytes (cut at 4095), breaks into lines and draws them a line height
    // apart; returns the line count.
    int DrawTextA(int x, int y, DWORD color, const char* format, ...) __attribute__((format(printf, 5, 6)));
    // Ages the cache: at most every 3000 ms, destroys the textures unused for over 2000 ms.
    void Update();

protected:
    static constexpr size_t kCacheSize = 33;

    // Draws one line from the cache, rendering it into a new or reused texture if needed.
    void TextOutA(int x, int y, DWORD color, const char* text);
    // The first empty entry in handle order, else the one unused for the longest time.
    DWORD GetIdleTexture() const;
    std::vector<std::string> BreakLines(const char* text) const;
    // Forgets the entry and has the texture manager delete its texture.
    void DestroyCached(DWORD handle);

private:
    // DrawSingleLine of text already formatted; the free DrawSingleLine formats only once.
    void DrawFormattedLine(int x, int y, DWORD color, bool center, const char* text);
    friend void DrawSingleLine(int x, int y, DWORD color, bool center, const char* format, ...);

protected:
    HFONT m_hFont;
    // Texture-manager handle -> texture. The manager owns the textures; each tells the
    // font when it is deleted, so no entry outlives its texture.
    std::map<DWORD, CFontTexture*> m_TextureCache;
    DWORD m_dwLastUpdate;
    char m_szFaceName[32];
    DWORD m_dwWidth;
    DWORD m_dwHeight;
    DWORD m_dwWeight;
    DWORD m_dwLineCount;
    DWORD m_dwLineHeight;
    bool m_bWordWrap;
};

// The system font draws one formatted line (cut at 255 bytes); the result is drawn as it is,
// so a per cent sign in it stays a per cent sign.
VLM_API void DrawSingleLine(int x, int y, DWORD color, bool center, const char* format, ...)
    __attribute__((format(printf, 5, 6)));
// The system font's GetStringRect.
VLM_API RECT GetFontRect(const char* text);
