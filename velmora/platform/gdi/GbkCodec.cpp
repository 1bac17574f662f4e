// GDI stand-in: code page 936 through iconv.
#include <velmora/platform/gdi/detail/GbkCodec.h>

#include <algorithm>
#include <cerrno>

namespace vlm_platform {

namespace {

const iconv_t kNoIconv = reinterpret_cast<iconv_t>(-1);

// glibc knows code page 936 as "GBK"; other iconv implementations may only know "CP936".
iconv_t OpenCodePage936(bool toGbk) {
    for (const char* name : {"GBK", "CP936"}) {
        iconv_t cd = toGbk ? iconv_open(name, "UTF-8") : iconv_open("UTF-32LE", name);
        if (cd != kNoIconv) return cd;
    }
    return kNoIconv;
}

bool IsLead(unsigned char b) { return b >= 0x81 && b <= 0xFE; }
bool IsTrail(unsigned char b) { return b >= 0x40 && b <= 0xFE && b != 0x7F; }

bool IsValidUtf8(const std::string& s) {
    size_t i = 0;
    while (i < s.size()) {
        unsigned char b = static_cast<unsigned char>(s[i]);
        size_t extra = 0;
        if (b >= 0xC2 && b <= 0xDF) {
            extra = 1;
        } else if (b >= 0xE0 && b <= 0xEF) {
            extra = 2;
        } else if (b >= 0xF0 && b <= 0xF4) {
            extra = 3;
        } else if (b >= 0x80) {
            return false;
        }
        if (extra > s.size() - i - 1) return false;
        for (size_t k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += extra + 1;
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

GbkCodec::GbkCodec() : toUnicode_(OpenCodePage936(false)), toGbk_(OpenCodePage936(true)) {}

GbkCodec::~GbkCodec() {
    if (toUnicode_ != kNoIconv) iconv_close(toUnicode_);
    if (toGbk_ != kNoIconv) iconv_close(toGbk_);
}

int64_t GbkCodec::Convert(const char* bytes, size_t length) {
    if (toUnicode_ == kNoIconv) return -1;
    char in[2] = {bytes[0], length > 1 ? bytes[1] : '\0'};
    unsigned char out[8];
    char* inPtr = in;
    char* outPtr = reinterpret_cast<char*>(out);
    size_t inLeft = length;
    size_t outLeft = sizeof(out);
    size_t result = iconv(toUnicode_, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv(toUnicode_, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
    if (result == static_cast<size_t>(-1) || inLeft != 0 || sizeof(out) - outLeft != 4) return -1;
    return static_cast<int64_t>(out[0] | (out[1] << 8) | (out[2] << 16) | (static_cast<uint32_t>(out[3]) << 24));
}

std::vector<uint32_t> GbkCodec::Decode(const char* text, size_t length) {
    std::vector<uint32_t> chars;
    chars.reserve(std::min<size_t>(length, 4096));
    size_t i = 0;
    while (i < length) {
        unsigned char b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            chars.push_back(b);
            i += 1;
            continue;
        }
        size_t n = IsLead(b) && i + 1 < length && IsTrail(static_cast<unsigned char>(text[i + 1])) ? 2 : 1;
        int64_t cp = Convert(text + i, n);
        chars.push_back(cp < 0 ? uint32_t{'?'} : static_cast<uint32_t>(cp));
        i += n;
    }
    return chars;
}

std::string GbkCodec::FaceNameToUtf8(const std::string& name) {
    if (IsValidUtf8(name)) return name;
    std::string utf8;
    for (uint32_t cp : Decode(name.data(), name.size())) AppendUtf8(utf8, cp);
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
