// CFontTexture: one string rasterised by GDI into an A4R4G4B4 texture, opaque white wherever
// the text lit a pixel and transparent elsewhere, drawn tinted with the text colour.
// Depends on the GDI stand-in (DIB section and memory device context) and CTexture.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include <velmora/Export.h>
#include <velmora/platform/gdi/Gdi.h>
#include <velmora/resource/Texture.h>

class VLM_API CFontTexture : public CTexture {
public:
    // 512 x 32 until CreateFontTexture gives the size.
    CFontTexture();
    ~CFontTexture() override;
    CFontTexture(const CFontTexture&) = delete;
    CFontTexture& operator=(const CFontTexture&) = delete;

    // A blank texture that holds no string; the next WriteString draws into a bitmap of
    // the new size.
    bool CreateFontTexture(int width, int height);
    // The smallest of the four string-texture sizes, 512 or 1024 wide by 32 or 64 high, that
    // holds a text of this extent (wider or taller text is clipped).
    bool CreateFontTexture(const RECT& extent);
    // (0, 0, width, height) of the text as GDI measures it in the font; empty without one.
    static RECT MeasureString(HFONT font, const char* text);
    // Renders the text at the top-left corner; what does not fit is clipped.
    void WriteString(const char* text, HFONT font);
    bool Compare(const char* text) const;
    // The same, for a text whose length is known: a cache scan then rejects most entries by
    // their length alone.
    bool Compare(std::string_view text) const { return !m_bEmpty && m_strText == text; }
    bool IsEmpty() const { return m_bEmpty; }
    // Forgets the string; the bitmap stays for the next one.
    void Clear();
    // Frees the bitmap and its device context and forgets the string; the Direct3D texture
    // stays. (The reference count of CTexture is released through a CTexture pointer.)
    void Release();
    // The texture manager owns the texture and may delete it at any time (DestroyTexture,
    // its own destruction): the font that keeps a pointer to it is told so here.
    void SetDeleteNotice(std::function<void()> notice) { m_DeleteNotice = std::move(notice); }

protected:
    std::string m_strText;
    bool m_bEmpty;
    bool m_bBitmapReady;
    HBITMAP m_hBitmap;
    DWORD* m_pBits;  // null when the bitmap could not be made
    HDC m_hDC;
    // The size the bitmap was made at, which a later CreateTexture may have changed.
    int32_t m_nBitmapWidth;
    int32_t m_nBitmapHeight;
    // Where the last string drew, in the bitmap and in the texture: everything outside is
    // zero, or transparent. The texture's holds for m_pInkTexture only (compared, never used).
    RECT m_rcBitmapInk;
    RECT m_rcTextureInk;
    const IDirect3DTexture9* m_pInkTexture;
    std::function<void()> m_DeleteNotice;
};
