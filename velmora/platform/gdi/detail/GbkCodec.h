// Code page 936 (GBK) text for the GDI stand-in, through iconv: decoding to Unicode code
// points a character at a time, so that a bad byte costs one '?' and a double-byte
// character is never split; and face names between GBK and UTF-8 (fontconfig's encoding).
#pragma once

#include <iconv.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vlm_platform {

class GbkCodec {
public:
    GbkCodec();
    ~GbkCodec();
    GbkCodec(const GbkCodec&) = delete;
    GbkCodec& operator=(const GbkCodec&) = delete;

    // The characters of text[0, length). A lead byte (0x81-0xFE) and a valid trail byte
    // (0x40-0xFE but 0x7F) are one character; a pair with no Unicode form, a lead byte
    // without a trail byte and the byte 0xFF each become '?'.
    std::vector<uint32_t> Decode(const char* text, size_t length);
    // A face name as UTF-8: names already in valid UTF-8 are kept (games written on Linux
    // may use them), anything else is read as GBK.
    std::string FaceNameToUtf8(const std::string& name);
    // UTF-8 to GBK; characters GBK lacks are dropped.
    std::string Utf8ToGbk(const std::string& text);

private:
    // The code point of one GBK character, or -1 when it has none.
    int64_t Convert(const char* bytes, size_t length);

    iconv_t toUnicode_;
    iconv_t toGbk_;
};

}  // namespace vlm_platform
