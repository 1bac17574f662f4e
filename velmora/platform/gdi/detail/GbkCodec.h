// Text for the GDI stand-in: decoding to Unicode code points in the active code page (GBK or
// UTF-8) a character at a time, so that a bad byte costs one '?' and a character is never
// split; and face names between GBK and UTF-8 (fontconfig's encoding), through iconv.
#pragma once

#include <iconv.h>

#include <cstdint>
#include <string>
#include <vector>

#include <velmora/platform/win32/CodePage.h>

namespace vlm_platform {

class GbkCodec {
public:
    GbkCodec();
    ~GbkCodec();
    GbkCodec(const GbkCodec&) = delete;
    GbkCodec& operator=(const GbkCodec&) = delete;

    // The characters of text[0, length) in the code page, as vlm_CharLength reads them: a
    // byte that starts no character, and a GBK pair with no Unicode form, become '?'.
    std::vector<uint32_t> Decode(const char* text, size_t length, UINT codePage = CP_ACP);
    // A face name as UTF-8: names already in valid UTF-8 are kept (games written on Linux
    // may use them), anything else is read as GBK, whatever the active code page.
    std::string FaceNameToUtf8(const std::string& name);
    // UTF-8 to GBK; characters GBK lacks are dropped.
    std::string Utf8ToGbk(const std::string& text);

private:
    iconv_t toGbk_;
};

}  // namespace vlm_platform
