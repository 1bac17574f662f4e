// GFont: the string-texture cache, its reuse and aging, line breaking, and the free
// functions of the system font.
#include <velmora/text/Font.h>

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstring>
#include <new>

#include <velmora/core/Log.h>
#include <velmora/core/TextEncoding.h>
#include <velmora/core/TextFormat.h>
#include <velmora/core/detail/EngineObjects.h>
#include <velmora/graphics/Render.h>
#include <velmora/platform/win32/Time.h>
#include <velmora/resource/TextureManager.h>
#include <velmora/text/detail/SystemFont.h>

namespace {

constexpr DWORD kDefaultLineCount = 70;
constexpr DWORD kDefaultLineHeight = 20;
// The longest even line length within the 255 bytes a line may take.
constexpr DWORD kMaxLineCount = 254;
// Aging: a pass at most this often ...
constexpr DWORD kUpdateInterval = 3000;
// ... destroys the textures unused for longer than this.
constexpr DWORD kIdleTime = 2000;
// Buffers of formatted text: one line, and a whole multi-line text.
constexpr size_t kLineBuffer = 256;
constexpr size_t kTextBuffer = 4096;

// Whether text may break on either side of this character without a space: CJK writing
// has none between its words. Every double-byte GBK character counts (its Latin and Greek
// letters are full-width); in UTF-8 the CJK, kana, Hangul and full-width blocks do.
bool BreaksAnywhere(const char* p, size_t n) {
    if (n < 2) return false;
    if (GetTextEncoding() == TEXT_ENCODING_GBK) return true;
    const unsigned char* u = reinterpret_cast<const unsigned char*>(p);
    uint32_t c = n == 2 ? u[0] & 0x1Fu : n == 3 ? u[0] & 0x0Fu : u[0] & 0x07u;
    for (size_t i = 1; i < n; ++i) c = (c << 6) | (u[i] & 0x3Fu);
    return (c >= 0x1100 && c <= 0x11FF) || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7AF) ||
           (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFFEF) ||
           (c >= 0x20000 && c <= 0x3FFFF);
}

// The length of a word-wrapped line of text[0, left) that may take `limit` bytes (a character
// boundary), and in `next` where the line after it starts: the line ends at the last space or
// beside the last CJK character that lets it (its trailing spaces dropped, the next line's
// leading ones skipped). 0 when there is no such place: one word fills the line.
size_t WrapLength(const char* text, size_t limit, size_t left, size_t* next) {
    size_t best = 0;
    bool previousAnywhere = false;
    for (size_t i = 0; i <= limit;) {
        const size_t n = i < left ? TextCharLength(text + i, left - i) : 0;
        const bool anywhere = BreaksAnywhere(text + i, n);
        if (i > 0 && (text[i] == ' ' || text[i - 1] == ' ' || anywhere || previousAnywhere)) {
            size_t end = i;
            while (end > 0 && text[end - 1] == ' ') --end;
            if (end > 0) {
                best = end;
                *next = i;
            }
        }
        if (n == 0) break;
        previousAnywhere = anywhere;
        i += n;
    }
    while (best > 0 && *next < left && text[*next] == ' ') ++*next;
    return best;
}

}  // namespace

GFont::GFont()
    : m_hFont(nullptr),
      m_dwLastUpdate(0),
      m_szFaceName{},
      m_dwWidth(0),
      m_dwHeight(0),
      m_dwWeight(0),
      m_dwLineCount(0),
      m_dwLineHeight(0),
      m_bWordWrap(false) {}

GFont::~GFont() { Release(); }

bool GFont::CreateFontA(const char* face, DWORD height, DWORD width, DWORD weight) {
    if (!face) return false;
    if (m_hFont || !m_TextureCache.empty()) Release();
    m_hFont = ::CreateFontA(int(height), int(width), 0, 0, int(weight), 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS, face);
    if (!m_hFont) {
        WriteLog(INFO_ERROR, "Create font fail[%s]", face);
        return false;
    }
    FormatText(m_szFaceName, sizeof(m_szFaceName), "%s", face);
    m_dwWidth = width;
    m_dwWeight = weight;
    m_dwHeight = height;
    m_dwLineCount = kDefaultLineCount;
    m_dwLineHeight = kDefaultLineHeight;
    return true;
}

void GFont::Release() {
    m_dwLastUpdate = 0;
    if (m_hFont) {
        DeleteObject(m_hFont);
        m_hFont = nullptr;
    }
    while (!m_TextureCache.empty()) DestroyCached(m_TextureCache.begin()->first);
}

void GFont::DestroyCached(DWORD handle) {
    auto it = m_TextureCache.find(handle);
    if (it == m_TextureCache.end()) return;
    it->second->SetDeleteNotice(nullptr);
    m_TextureCache.erase(it);
    // The texture is listed only while the manager holds it (its notice says when it goes),
    // so the manager exists here.
    DestroyTexture(handle);
}

void GFont::SetLineCount(DWORD count) { m_dwLineCount = std::min(count, kMaxLineCount) & ~DWORD(1); }

RECT GFont::GetStringRect(const char* text) const { return CFontTexture::MeasureString(m_hFont, text); }

std::vector<std::string> GFont::BreakLines(const char* text) const {
    std::vector<std::string> lines;
    if (!text || m_dwLineCount == 0) return lines;
    size_t left = std::strlen(text);
    while (left > 0) {
        size_t take = std::min<size_t>(m_dwLineCount, left);
        size_t next = take;
        // A line that does not end the text ends on a character boundary. The even length
        // holds a GBK character, but a UTF-8 one may be longer: a line takes at least one.
        if (take < left) {
            take = TextCutLength(text, take);
            if (take == 0) take = TextCharLength(text, left);
            next = take;
            if (m_bWordWrap) {
                size_t wrappedNext = take;
                if (const size_t wrapped = WrapLength(text, take, left, &wrappedNext)) {
                    take = wrapped;
                    next = wrappedNext;
                }
            }
        }
        lines.emplace_back(text, take);
        text += next;
        left -= next;
    }
    return lines;
}

RECT GFont::GetStringRectMultiLine(const char* text) const {
    std::vector<std::string> lines = BreakLines(text);
    if (lines.empty()) return RECT{0, 0, 0, 0};
    LONG width = 0, height = 0;
    for (const std::string& line : lines) {
        RECT rect = GetStringRect(line.c_str());
        width = std::max(width, rect.right);
        height = std::max(height, rect.bottom);
    }
    return RECT{0, 0, width, height + LONG(lines.size() - 1) * LONG(m_dwLineHeight)};
}

void GFont::TextOutA(int x, int y, DWORD color, const char* text) {
    if (!text || !*text || !m_hFont) return;
    const DWORD now = vlm_CoarseTime();  // a use stamp: the idle time's seconds are what count
    const std::string_view wanted(text);
    for (auto& [handle, texture] : m_TextureCache) {
        if (texture->Compare(wanted)) {
            Render(handle, x, y, nullptr, color);
            texture->SetLastUseTime(now);
            return;
        }
    }

    CTextureManager* manager = vlm_engine::Engine().textureManager;
    if (!manager) return;
    const RECT extent = GetStringRect(text);
    DWORD handle = 0;
    CFontTexture* texture = nullptr;
    if (m_TextureCache.size() < kCacheSize) {
        texture = new (std::nothrow) CFontTexture();
        if (!texture || !texture->CreateFontTexture(extent)) {
            delete texture;
            return;
        }
        handle = manager->InsertTexture(texture, MEM_STATIC);
        m_TextureCache[handle] = texture;
        texture->SetDeleteNotice([this, handle] { m_TextureCache.erase(handle); });
    } else {
        handle = GetIdleTexture();
        texture = m_TextureCache[handle];
        // The entry stays, empty, when its texture cannot be made again.
        if (!texture->CreateFontTexture(extent)) return;
    }
    texture->WriteString(text, m_hFont);
    Render(handle, x, y, nullptr, color);
    texture->SetLastUseTime(now);
}

DWORD GFont::GetIdleTexture() const {
    // Ages rather than raw times, so that the oldest stays the oldest across the clock's wrap.
    const DWORD now = timeGetTime();
    DWORD idle = 0, oldestAge = 0;
    for (const auto& [handle, texture] : m_TextureCache) {
        if (texture->IsEmpty()) return handle;
        const DWORD age = now - texture->GetLastUseTime();
        if (!idle || age > oldestAge) {
            idle = handle;
            oldestAge = age;
        }
    }
    return idle;
}

void GFont::DrawSingleLine(int x, int y, DWORD color, bool center, const char* format, ...) {
    char text[kLineBuffer];
    va_list args;
    va_start(args, format);
    FormatTextV(text, sizeof(text), sizeof(text) - 1, format, args);
    va_end(args);
    DrawFormattedLine(x, y, color, center, text);
}

void GFont::DrawFormattedLine(int x, int y, DWORD color, bool center, const char* text) {
    if (center) {
        const RECT extent = GetStringRect(text);
        x -= extent.right / 2;
        y -= extent.bottom / 2;
    }
    TextOutA(x, y, color, text);
}

int GFont::DrawTextA(int x, int y, DWORD color, const char* format, ...) {
    char text[kTextBuffer];
    va_list args;
    va_start(args, format);
    FormatTextV(text, sizeof(text), sizeof(text) - 1, format, args);
    va_end(args);
    if (!*text) return 0;
    const std::vector<std::string> lines = BreakLines(text);
    for (const std::string& line : lines) {
        TextOutA(x, y, color, line.c_str());
        y += int(m_dwLineHeight);
    }
    return int(lines.size());
}

void GFont::Update() {
    const DWORD now = timeGetTime();
    if (now - m_dwLastUpdate <= kUpdateInterval) return;
    std::vector<DWORD> idle;
    for (const auto& [handle, texture] : m_TextureCache)
        if (now - texture->GetLastUseTime() > kIdleTime) idle.push_back(handle);
    for (DWORD handle : idle) DestroyCached(handle);
    m_dwLastUpdate = now;
}

void DrawSingleLine(int x, int y, DWORD color, bool center, const char* format, ...) {
    char text[kLineBuffer];
    va_list args;
    va_start(args, format);
    FormatTextV(text, sizeof(text), sizeof(text) - 1, format, args);
    va_end(args);
    vlm_engine::SystemFont().DrawFormattedLine(x, y, color, center, text);
}

RECT GetFontRect(const char* text) { return vlm_engine::SystemFont().GetStringRect(text); }
