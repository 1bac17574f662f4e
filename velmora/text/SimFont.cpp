// CSimFont: one string texture, registered with the texture manager, re-rendered on a
// change of text.
#include <velmora/text/SimFont.h>

#include <cstdarg>
#include <new>

#include <velmora/core/Log.h>
#include <velmora/core/TextFormat.h>
#include <velmora/core/detail/EngineObjects.h>
#include <velmora/graphics/Render.h>
#include <velmora/resource/TextureManager.h>

CSimFont::CSimFont() : m_hFont(nullptr), m_pTexture(nullptr), m_hTexture(0) {}

CSimFont::~CSimFont() { ReleaseFont(); }

void CSimFont::ReleaseFont() {
    if (m_hFont) {
        DeleteObject(m_hFont);
        m_hFont = nullptr;
    }
    // A texture the manager has deleted has already cleared these (its notice).
    if (m_pTexture) {
        m_pTexture->SetDeleteNotice(nullptr);
        if (CTextureManager* manager = vlm_engine::Engine().textureManager) manager->ReleaseTexture(m_hTexture);
        m_pTexture = nullptr;
        m_hTexture = 0;
    }
}

bool CSimFont::Adopt(HFONT font, const char* face) {
    if (!font) {
        WriteLog(INFO_ERROR, "Create font fail[%s]", face ? face : "");
        return false;
    }
    m_hFont = font;
    CTextureManager* manager = vlm_engine::Engine().textureManager;
    if (!manager) {
        WriteLog(INFO_ERROR, "Can't create font texture without the texture manager!");
        return false;
    }
    CFontTexture* texture = new (std::nothrow) CFontTexture();
    if (!texture) return false;
    m_hTexture = manager->InsertTexture(texture, MEM_STATIC);
    m_pTexture = texture;
    texture->SetDeleteNotice([this] {
        m_pTexture = nullptr;
        m_hTexture = 0;
    });
    return true;
}

bool CSimFont::CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                           DWORD underline, DWORD strikeOut, DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                           DWORD pitchAndFamily, const char* face) {
    ReleaseFont();
    return Adopt(::CreateFontA(height, width, escapement, orientation, weight, italic, underline, strikeOut,
                               DEFAULT_CHARSET, outPrecision, clipPrecision, quality, pitchAndFamily, face),
                 face);
}

bool CSimFont::CreateFontA(const char* face, DWORD height, DWORD width, DWORD weight) {
    return CreateFontA(int(height), int(width), 0, 0, int(weight), 0, 0, 0, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                       DEFAULT_QUALITY, FF_SWISS, face);
}

RECT CSimFont::GetStringRect(const char* text) const { return CFontTexture::MeasureString(m_hFont, text); }

void CSimFont::TextOutA(int x, int y, DWORD color, const char* text) {
    if (!text || !*text || !m_pTexture || !m_hFont) return;
    if (!m_pTexture->Compare(text)) {
        const RECT extent = GetStringRect(text);
        if (!m_pTexture->CreateFontTexture(extent)) return;
        m_pTexture->WriteString(text, m_hFont);
    }
    Render(m_hTexture, x, y, nullptr, color);
}

void CSimFont::DrawTextA(int x, int y, DWORD color, bool center, const char* format, ...) {
    char text[256];
    va_list args;
    va_start(args, format);
    FormatTextV(text, sizeof(text), sizeof(text) - 1, format, args);
    va_end(args);
    if (center) {
        const RECT extent = GetStringRect(text);
        x -= extent.right / 2;
        y -= extent.bottom / 2;
    }
    TextOutA(x, y, color, text);
}
