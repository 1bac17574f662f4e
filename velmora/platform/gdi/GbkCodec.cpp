// GDI stand-in: text in the active code page, and face names through iconv.
#include <velmora/platform/gdi/detail/GbkCodec.h>

#include <algorithm>
#include <cerrno>

namespace vlm_platform {

namespace {

const iconv_t kNoIconv = reinterpret_cast<iconv_t>(-1);

// glibc knows code page 936 as "GBK"; other iconv implementations may only know "CP936".
iconv_t OpenToCodePage936() {
    for (const char* name : {"GBK", "CP936"}) {
        iconv_t cd = iconv_open(name, "UTF-8");
        if (cd != kNoIconv) return cd;
    }
    return kNoIconv;
}

// In UTF-8 every byte from 0x80 up belongs to a sequence of two bytes or more.
bool IsValidUtf8(const std::string& s) {
    size_t i = 0;
    while (i < s.size()) {
        const size_t n = vlm_CharLength(CP_UTF8, s.data() + i, s.size() - i);
        if (n == 1 && static_cast<unsigned char>(s[i]) >= 0x80) return false;
        i += n;
    }
    return true;
}

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace

GbkCodec::GbkCodec() : toGbk_(OpenToCodePage936()) {}

GbkCodec::~GbkCodec() {
    if (toGbk_ != kNoIconv) iconv_close(toGbk_);
}

std::vector<uint32_t> GbkCodec::Decode(const char* text, size_t length, UINT codePage) {
    std::vector<uint32_t> chars;
    chars.reserve(std::min<size_t>(length, 4096));
    size_t i = 0;
    while (i < length) {
        uint32_t cp = 0;
        i += vlm_CharLength(codePage, text + i, length - i, &cp);
        chars.push_back(cp);
    }
    return chars;
}

std::string GbkCodec::FaceNameToUtf8(const std::string& name) {
    if (IsValidUtf8(name)) return name;
    std::string utf8;
    for (uint32_t cp : Decode(name.data(), name.size(), 936)) AppendUtf8(utf8, cp);
    return utf8;
}

std::string GbkCodec::Utf8ToGbk(const std::string& text) {
    if (toGbk_ == kNoIconv) return text;
    std::string out;
    std::string in = text;
    char* inPtr = &in[0];
    size_t inLeft = in.size();
    char buffer[256];
    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof(buffer);
        size_t result = iconv(toGbk_, &inPtr, &inLeft, &outPtr, &outLeft);
        out.append(buffer, outPtr);
        if (result == static_cast<size_t>(-1) && errno != E2BIG) {
            // Skip the character GBK lacks (or the broken sequence): its lead byte and any
            // continuation bytes.
            do {
                ++inPtr;
                --inLeft;
            } while (inLeft > 0 && (static_cast<unsigned char>(*inPtr) & 0xC0) == 0x80);
        }
    }
    iconv(toGbk_, nullptr, nullptr, nullptr, nullptr);
    return out;
}

}  // namespace vlm_platform
