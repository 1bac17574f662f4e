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
      m_nBitmapHeight(0),
      m_rcBitmapInk{0, 0, 0, 0},
      m_rcTextureInk{0, 0, 0, 0},
      m_pInkTexture(nullptr) {
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
    // A texture of that size is kept: the next string then rewrites only the texels the last
    // one lit and its own, instead of a new texture's every texel going to the device again.
    D3DSURFACE_DESC desc{};
    if (m_pTexture && m_pTexture->GetLevelCount() == 1 && SUCCEEDED(m_pTexture->GetLevelDesc(0, &desc)) &&
        desc.Format == D3DFMT_A4R4G4B4 && int64_t(desc.Width) == width && int64_t(desc.Height) == height &&
        m_nWidth == width && m_nHeight == height)
        return true;
    return CreateTexture(width, height, D3DFMT_A4R4G4B4, D3DPOOL_MANAGED);
}

bool CFontTexture::CreateFontTexture(const RECT& extent) {
    return CreateFontTexture(extent.right <= 512 ? 512 : 1024, extent.bottom <= 32 ? 32 : 64);
}

namespace {

// A memory device context kept for measuring, one per thread: making one for every string
// cost more than the measuring. Fonts are selected only while they are measured, so that
// they stay deletable.
class MeasuringDC {
public:
    ~MeasuringDC() {
        if (m_hDC) DeleteDC(m_hDC);
    }
    HDC Get() {
        if (!m_hDC) m_hDC = CreateCompatibleDC(nullptr);
        return m_hDC;
    }

private:
    HDC m_hDC = nullptr;
};

RECT Union(const RECT& a, const RECT& b) {
    if (a.left >= a.right || a.top >= a.bottom) return b;
    if (b.left >= b.right || b.top >= b.bottom) return a;
    return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

}  // namespace

RECT CFontTexture::MeasureString(HFONT font, const char* text) {
    RECT rect{0, 0, 0, 0};
    if (!text || !font) return rect;
    thread_local MeasuringDC measuring;
    HDC dc = measuring.Get();
    HGDIOBJ oldFont = SelectObject(dc, font);
    SIZE size{0, 0};
    if (oldFont && GetTextExtentPoint32A(dc, text, int(std::min<size_t>(std::strlen(text), INT_MAX)), &size)) {
        rect.right = size.cx;
        rect.bottom = size.cy;
    }
    if (oldFont) SelectObject(dc, oldFont);
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
        // The device context is this texture's own: it keeps the bitmap and the text state
        // for every string, and reports what each string drew.
        if (m_pBits) {
            SelectObject(m_hDC, m_hBitmap);
            SetMapMode(m_hDC, MM_TEXT);
            SetTextColor(m_hDC, 0xFFFFFF);
            SetBkColor(m_hDC, 0);
            SetTextAlign(m_hDC, TA_LEFT | TA_TOP);
            SetBoundsRect(m_hDC, nullptr, DCB_ENABLE | DCB_RESET);
        }
        m_rcBitmapInk = RECT{0, 0, m_nBitmapWidth, m_nBitmapHeight};
    }

    RECT ink{0, 0, 0, 0};
    if (m_pBits) {
        // Only what the last string drew can be other than zero.
        const RECT& old = m_rcBitmapInk;
        for (LONG y = std::max<LONG>(old.top, 0); y < std::min<LONG>(old.bottom, m_nBitmapHeight); ++y) {
            const LONG left = std::max<LONG>(old.left, 0), right = std::min<LONG>(old.right, m_nBitmapWidth);
            if (left < right)
                std::memset(m_pBits + size_t(y) * size_t(m_nBitmapWidth) + size_t(left), 0,
                            size_t(right - left) * sizeof(DWORD));
        }
        HGDIOBJ oldFont = SelectObject(m_hDC, font);
        SetBoundsRect(m_hDC, nullptr, DCB_RESET);
        ::TextOutA(m_hDC, 0, 0, text, int(std::min<size_t>(std::strlen(text), INT_MAX)));
        GetBoundsRect(m_hDC, &ink, DCB_RESET);
        if (oldFont) SelectObject(m_hDC, oldFont);
        m_rcBitmapInk = ink;
    }

    // Texels outside the last string's and this one's ink are transparent already, unless the
    // texture is not the one written last. Without a bitmap the texture is made transparent
    // rather than left showing whatever string it held before. The loop follows the texture's
    // own size, whatever the fields say.
    D3DSURFACE_DESC desc{};
    if (m_pTexture && SUCCEEDED(m_pTexture->GetLevelDesc(0, &desc))) {
        const RECT whole{0, 0, LONG(desc.Width), LONG(desc.Height)};
        RECT r = m_pInkTexture == m_pTexture ? Union(m_rcTextureInk, ink) : whole;
        r = RECT{std::max(r.left, LONG{0}), std::max(r.top, LONG{0}), std::min(r.right, whole.right),
                 std::min(r.bottom, whole.bottom)};
        D3DLOCKED_RECT locked{};
        if (r.left < r.right && r.top < r.bottom && SUCCEEDED(m_pTexture->LockRect(0, &locked, &r, 0))) {
            for (LONG y = r.top; y < r.bottom; ++y) {
                WORD* row = reinterpret_cast<WORD*>(static_cast<BYTE*>(locked.pBits) +
                                                    size_t(y - r.top) * size_t(locked.Pitch)) -
                            r.left;
                const bool inBitmap = m_pBits && y < m_nBitmapHeight;
                const DWORD* dib = inBitmap ? m_pBits + size_t(y) * size_t(m_nBitmapWidth) : nullptr;
                const LONG drawn = inBitmap ? std::min<LONG>(r.right, m_nBitmapWidth) : r.left;
                for (LONG x = r.left; x < drawn; ++x) row[x] = dib[x] ? 0xFFFF : 0x0000;
                for (LONG x = std::max(drawn, r.left); x < r.right; ++x) row[x] = 0;
            }
            m_pTexture->UnlockRect(0);
        }
        m_rcTextureInk = ink;
        m_pInkTexture = m_pTexture;
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
    m_rcBitmapInk = RECT{0, 0, 0, 0};
    Clear();
}
