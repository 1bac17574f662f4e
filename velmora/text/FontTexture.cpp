// CFontTexture: GDI renders the string into a 32-bit DIB section, which is turned texel by
// texel into a two-level (opaque or transparent) A4R4G4B4 texture.
#include <velmora/text/FontTexture.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include <velmora/core/Log.h>

CFontTexture::CFontTexture()
    : m_bEmpty(true),
      m_bBitmapReady(false),
      m_hBitmap(nullptr),
      m_pBits(nullptr),
      m_hDC(nullptr),
      m_nBitmapWidth(0),
      m_nBitmapHeight(0) {
    m_nWidth = 512;
    m_nHeight = 32;
}

CFontTexture::~CFontTexture() {
    if (m_DeleteNotice) {
        std::function<void()> notice = std::move(m_DeleteNotice);
        m_DeleteNotice = nullptr;
        notice();
    }
    Release();
}

bool CFontTexture::CreateFontTexture(int width, int height) {
    Clear();
    return CreateTexture(width, height, D3DFMT_A4R4G4B4, D3DPOOL_MANAGED);
}

bool CFontTexture::CreateFontTexture(const RECT& extent) {
    return CreateFontTexture(extent.right <= 512 ? 512 : 1024, extent.bottom <= 32 ? 32 : 64);
}

RECT CFontTexture::MeasureString(HFONT font, const char* text) {
    RECT rect{0, 0, 0, 0};
    if (!text || !font) return rect;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ oldFont = SelectObject(dc, font);
    SIZE size{0, 0};
    if (GetTextExtentPoint32A(dc, text, int(std::min<size_t>(std::strlen(text), INT_MAX)), &size)) {
        rect.right = size.cx;
        rect.bottom = size.cy;
    }
    if (oldFont) SelectObject(dc, oldFont);
    DeleteDC(dc);
    return rect;
}

void CFontTexture::WriteString(const char* text, HFONT font) {
    if (!text || !*text) return;
    // The bitmap follows the texture, which a reuse may have made at another size.
    if (m_bBitmapReady && (m_nBitmapWidth != m_nWidth || m_nBitmapHeight != m_nHeight)) Release();
    if (!m_bBitmapReady) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = m_nWidth;
        info.bmiHeader.biHeight = -m_nHeight;  // top-down rows
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        m_hDC = CreateCompatibleDC(nullptr);
        void* bits = nullptr;
        m_hBitmap = CreateDIBSection(m_hDC, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        m_pBits = m_hBitmap ? static_cast<DWORD*>(bits) : nullptr;
        if (!m_pBits) WriteLog(INFO_ERROR, "Can't create font bitmap!");
        m_nBitmapWidth = m_nWidth;
        m_nBitmapHeight = m_nHeight;
        m_bBitmapReady = true;
    }

    if (m_pBits) {
        std::memset(m_pBits, 0, size_t(m_nWidth) * size_t(m_nHeight) * sizeof(DWORD));
        HGDIOBJ oldBitmap = SelectObject(m_hDC, m_hBitmap);
        HGDIOBJ oldFont = SelectObject(m_hDC, font);
        SetMapMode(m_hDC, MM_TEXT);
        SetTextColor(m_hDC, 0xFFFFFF);
        SetBkColor(m_hDC, 0);
        SetTextAlign(m_hDC, TA_LEFT | TA_TOP);
        ::TextOutA(m_hDC, 0, 0, text, int(std::min<size_t>(std::strlen(text), INT_MAX)));
        if (oldFont) SelectObject(m_hDC, oldFont);
        if (oldBitmap) SelectObject(m_hDC, oldBitmap);
    }

    // Without a bitmap the texture is made transparent rather than left showing whatever
    // string it held before. The loop follows the texture's own size, whatever the fields say.
    D3DSURFACE_DESC desc{};
    D3DLOCKED_RECT locked{};
    if (m_pTexture && SUCCEEDED(m_pTexture->GetLevelDesc(0, &desc)) &&
        SUCCEEDED(m_pTexture->LockRect(0, &locked, nullptr, 0))) {
        for (UINT y = 0; y < desc.Height; ++y) {
            WORD* row = reinterpret_cast<WORD*>(static_cast<BYTE*>(locked.pBits) + size_t(y) * size_t(locked.Pitch));
            const bool inBitmap = m_pBits && y < UINT(m_nBitmapHeight);
            const DWORD* dib = inBitmap ? m_pBits + size_t(y) * size_t(m_nBitmapWidth) : nullptr;
            const UINT drawn = inBitmap ? std::min(desc.Width, UINT(m_nBitmapWidth)) : 0;
            for (UINT x = 0; x < drawn; ++x) row[x] = dib[x] ? 0xFFFF : 0x0000;
            std::fill(row + drawn, row + desc.Width, WORD(0));
        }
        m_pTexture->UnlockRect(0);
    }
    m_strText = text;
    m_bEmpty = false;
}

bool CFontTexture::Compare(const char* text) const { return text && Compare(std::string_view(text)); }

void CFontTexture::Clear() {
    m_strText.clear();
    m_bEmpty = true;
}

void CFontTexture::Release() {
    if (m_hDC) DeleteDC(m_hDC);
    if (m_hBitmap) DeleteObject(m_hBitmap);
    m_hDC = nullptr;
    m_hBitmap = nullptr;
    m_pBits = nullptr;
    m_nBitmapWidth = 0;
    m_nBitmapHeight = 0;
    m_bBitmapReady = false;
    Clear();
}
