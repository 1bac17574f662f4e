// The engine's text encoding, kept as the platform layer's active code page so that GDI
// reads text with the same rule as every cut the engine makes.
#include <velmora/core/TextEncoding.h>

#include <velmora/core/Log.h>
#include <velmora/platform/win32/CodePage.h>

bool SetTextEncoding(TextEncoding encoding) {
    if (encoding != TEXT_ENCODING_GBK && encoding != TEXT_ENCODING_UTF8) {
        WriteLog(INFO_ERROR, "Invalidate parameter! [SetTextEncoding]");
        return false;
    }
    return vlm_SetACP(encoding == TEXT_ENCODING_UTF8 ? CP_UTF8 : 936) != FALSE;
}

TextEncoding GetTextEncoding() { return GetACP() == CP_UTF8 ? TEXT_ENCODING_UTF8 : TEXT_ENCODING_GBK; }

const char* TextEncodingCharset() { return GetTextEncoding() == TEXT_ENCODING_UTF8 ? "UTF-8" : "GBK"; }

size_t TextCharLength(const char* text, size_t length) { return vlm_CharLength(CP_ACP, text, length); }

size_t TextCutLength(const char* text, size_t length) { return vlm_CutLength(CP_ACP, text, length); }
