// CSimFont: a GDI font with exactly one string texture, rendered again only when asked to
// draw another text than the one it holds: the text drawer of fixed captions.
#pragma once

#include <velmora/Export.h>
#include <velmora/platform/gdi/Gdi.h>
#include <velmora/text/FontTexture.h>

class VLM_API CSimFont {
public:
    CSimFont();
    // Deletes the font and releases the texture, if the texture manager still holds it.
    virtual ~CSimFont();
    CSimFont(const CSimFont&) = delete;
    CSimFont& operator=(const CSimFont&) = delete;

    // GDI's CreateFontA with these values and DEFAULT_CHARSET; replaces an earlier font and
    // its texture. False when the font cannot be made or there is no texture manager.
    bool CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic, DWORD underline,
                     DWORD strikeOut, DWORD outPrecision, DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily,
                     const char* face);
    // Upright, plain, FF_SWISS, default precision and quality.
    bool CreateFontA(const char* face, DWORD height, DWORD width, DWORD weight);

    // (0, 0, width, height) of the text in this font; empty without a font.
    RECT GetStringRect(const char* text) const;
    // One line, formatted into 256 bytes (cut at 255); centred on (x, y) when asked.
    void DrawTextA(int x, int y, DWORD color, bool center, const char* format, ...)
        __attribute__((format(printf, 6, 7)));

protected:
    void TextOutA(int x, int y, DWORD color, const char* text);
    // Drops the font and the texture of an earlier creation.
    void ReleaseFont();
    // Takes a newly made GDI font and gives it a texture.
    bool Adopt(HFONT font, const char* face);

    HFONT m_hFont;
    CFontTexture* m_pTexture;  // owned by the texture manager, under m_hTexture
    DWORD m_hTexture;
};
