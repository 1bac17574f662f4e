// Win32 stand-in: the active code page and the one rule that walks its text.
#include <velmora/platform/win32/CodePage.h>

#include <iconv.h>

#include <atomic>
#include <initializer_list>
#include <string>

namespace {

constexpr UINT kGbk = 936;
constexpr uint32_t kBad = '?';

std::atomic<UINT> activeCodePage{kGbk};

UINT Resolve(UINT codePage) { return codePage == CP_ACP ? activeCodePage.load(std::memory_order_relaxed) : codePage; }

bool IsGbkLead(unsigned char b) { return b >= 0x81 && b <= 0xFE; }
bool IsGbkTrail(unsigned char b) { return b >= 0x40 && b <= 0xFE && b != 0x7F; }

// Code page 936 to UTF-32 through iconv, one handle per thread (iconv keeps state).
class GbkDecoder {
public:
    GbkDecoder() {
        // glibc knows code page 936 as "GBK"; other iconv implementations may only know "CP936".
        for (const char* name : {"GBK", "CP936"}) {
            cd_ = iconv_open("UTF-32LE", name);
            if (cd_ != kNone) break;
        }
    }
    ~GbkDecoder() {
        if (cd_ != kNone) iconv_close(cd_);
    }
    GbkDecoder(const GbkDecoder&) = delete;
    GbkDecoder& operator=(const GbkDecoder&) = delete;

    // The code point of one or two bytes, or '?' when they have none.
    uint32_t Decode(const char* bytes, size_t length) {
        if (cd_ == kNone) return kBad;
        char in[2] = {bytes[0], length > 1 ? bytes[1] : '\0'};
        unsigned char out[8];
        char* inPtr = in;
        char* outPtr = reinterpret_cast<char*>(out);
        size_t inLeft = length;
        size_t outLeft = sizeof(out);
        const size_t result = iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
        if (result == static_cast<size_t>(-1) || inLeft != 0 || sizeof(out) - outLeft != 4) return kBad;
        return out[0] | (out[1] << 8) | (out[2] << 16) | (static_cast<uint32_t>(out[3]) << 24);
    }

private:
    static inline const iconv_t kNone = reinterpret_cast<iconv_t>(-1);
    iconv_t cd_ = kNone;
};

size_t GbkCharLength(const unsigned char* s, size_t length, uint32_t* codePoint) {
    if (s[0] < 0x80) {
        if (codePoint) *codePoint = s[0];
        return 1;
    }
    const size_t n = IsGbkLead(s[0]) && length > 1 && IsGbkTrail(s[1]) ? 2 : 1;
    if (codePoint) {
        thread_local GbkDecoder decoder;
        *codePoint = decoder.Decode(reinterpret_cast<const char*>(s), n);
    }
    return n;
}

// The bytes a UTF-8 lead byte asks for (0: no lead byte), and the range its second byte must
// lie in, which rules out overlong forms, surrogates and values above U+10FFFF.
struct Utf8Lead {
    size_t bytes;
    unsigned char low, high;
};

Utf8Lead Utf8LeadOf(unsigned char b) {
    if (b >= 0xC2 && b <= 0xDF) return {2, 0x80, 0xBF};
    if (b == 0xE0) return {3, 0xA0, 0xBF};
    if (b == 0xED) return {3, 0x80, 0x9F};
    if (b >= 0xE1 && b <= 0xEF) return {3, 0x80, 0xBF};
    if (b == 0xF0) return {4, 0x90, 0xBF};
    if (b >= 0xF1 && b <= 0xF3) return {4, 0x80, 0xBF};
    if (b == 0xF4) return {4, 0x80, 0x8F};
    return {0, 0, 0};
}

// How many of the bytes after the lead, up to `available`, continue its sequence.
size_t Utf8Continuations(const Utf8Lead& lead, const unsigned char* s, size_t available) {
    size_t k = 0;
    while (k + 1 < lead.bytes && k < available) {
        const unsigned char b = s[k + 1];
        const bool fits = k == 0 ? (b >= lead.low && b <= lead.high) : (b & 0xC0) == 0x80;
        if (!fits) break;
        ++k;
    }
    return k;
}

size_t Utf8CharLength(const unsigned char* s, size_t length, uint32_t* codePoint) {
    if (s[0] < 0x80) {
        if (codePoint) *codePoint = s[0];
        return 1;
    }
    const Utf8Lead lead = Utf8LeadOf(s[0]);
    if (lead.bytes == 0 || Utf8Continuations(lead, s, length - 1) + 1 != lead.bytes) {
        if (codePoint) *codePoint = kBad;
        return 1;
    }
    if (codePoint) {
        uint32_t cp = s[0] & (0x7F >> lead.bytes);
        for (size_t k = 1; k < lead.bytes; ++k) cp = (cp << 6) | (s[k] & 0x3F);
        *codePoint = cp;
    }
    return lead.bytes;
}

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | cp >> 6);
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | cp >> 12);
        out += char(0x80 | (cp >> 6 & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | cp >> 18);
        out += char(0x80 | (cp >> 12 & 0x3F));
        out += char(0x80 | (cp >> 6 & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

// UTF-32 to code page 936 through iconv, one handle per thread.
class GbkEncoder {
public:
    GbkEncoder() {
        for (const char* name : {"GBK", "CP936"}) {
            cd_ = iconv_open(name, "UTF-32LE");
            if (cd_ != kNone) break;
        }
    }
    ~GbkEncoder() {
        if (cd_ != kNone) iconv_close(cd_);
    }
    GbkEncoder(const GbkEncoder&) = delete;
    GbkEncoder& operator=(const GbkEncoder&) = delete;

    // Appends the GBK bytes of one code point, or '?' when GBK has none.
    void Append(std::string& out, uint32_t cp) {
        char in[4] = {char(cp), char(cp >> 8), char(cp >> 16), char(cp >> 24)};
        char bytes[8];
        char* inPtr = in;
        char* outPtr = bytes;
        size_t inLeft = sizeof(in), outLeft = sizeof(bytes);
        const bool ok =
            cd_ != kNone && iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1) && inLeft == 0;
        if (cd_ != kNone) iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        if (ok)
            out.append(bytes, outPtr);
        else
            out += '?';
    }

private:
    static inline const iconv_t kNone = reinterpret_cast<iconv_t>(-1);
    iconv_t cd_ = kNone;
};

}  // namespace

UINT GetACP() { return activeCodePage.load(std::memory_order_relaxed); }

BOOL vlm_SetACP(UINT codePage) {
    if (codePage == CP_ACP) return TRUE;
    if (codePage != kGbk && codePage != CP_UTF8) return FALSE;
    activeCodePage.store(codePage, std::memory_order_relaxed);
    return TRUE;
}

size_t vlm_CharLength(UINT codePage, const char* text, size_t length, uint32_t* codePoint) {
    if (!text || length == 0) return 0;
    const auto* s = reinterpret_cast<const unsigned char*>(text);
    return Resolve(codePage) == CP_UTF8 ? Utf8CharLength(s, length, codePoint) : GbkCharLength(s, length, codePoint);
}

size_t vlm_CutLength(UINT codePage, const char* text, size_t length) {
    if (!text) return 0;
    const auto* s = reinterpret_cast<const unsigned char*>(text);
    if (Resolve(codePage) == CP_UTF8) {
        // Every lead byte starts a character (the bytes of a valid sequence are continuation
        // bytes), so only the last three bytes can hold the start of a character cut short.
        size_t back = 1;
        while (back <= 3 && back <= length && (s[length - back] & 0xC0) == 0x80) ++back;
        if (back > 3 || back > length) return length;
        const Utf8Lead lead = Utf8LeadOf(s[length - back]);
        const bool cutShort = lead.bytes > back && Utf8Continuations(lead, s + length - back, back - 1) == back - 1;
        return cutShort ? length - back : length;
    }
    // GBK: which byte is a lead byte depends on every pair before it.
    size_t i = 0;
    while (i < length) {
        const size_t n = GbkCharLength(s + i, length - i, nullptr);
        if (n == 1 && i + 1 == length && IsGbkLead(s[i])) break;
        i += n;
    }
    return i;
}

std::string vlm_ToUtf8(UINT codePage, const char* text, size_t length) {
    std::string out;
    if (!text) return out;
    out.reserve(length);
    for (size_t i = 0; i < length;) {
        uint32_t cp = kBad;
        i += vlm_CharLength(codePage, text + i, length - i, &cp);
        AppendUtf8(out, cp);
    }
    return out;
}

std::string vlm_ToUtf8(UINT codePage, const char* text) {
    return text ? vlm_ToUtf8(codePage, text, std::char_traits<char>::length(text)) : std::string();
}

std::string vlm_FromUtf8(UINT codePage, const char* text) {
    std::string out;
    if (!text) return out;
    const size_t length = std::char_traits<char>::length(text);
    const bool toUtf8 = Resolve(codePage) == CP_UTF8;
    thread_local GbkEncoder encoder;
    for (size_t i = 0; i < length;) {
        uint32_t cp = kBad;
        i += vlm_CharLength(CP_UTF8, text + i, length - i, &cp);
        if (toUtf8)
            AppendUtf8(out, cp);
        else if (cp < 0x80)
            out += char(cp);
        else
            encoder.Append(out, cp);
    }
    return out;
}
