// Win32 stand-in: the code page of the text every "A" function takes. It is 936 (GBK), as on a
// Chinese Windows, unless the program chooses UTF-8, as a Windows program does with
// activeCodePage in its manifest; Linux programs have no manifest, so vlm_SetACP stands in for
// it. One rule walks text in either code page, shared by GDI drawing and every cut the engine
// makes: vlm_CharLength. Carried by iconv (GBK) and our own UTF-8 decoder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include <velmora/platform/win32/Types.h>

#define CP_ACP 0
#define CP_UTF8 65001

// The active code page: 936 or CP_UTF8.
VLM_API UINT GetACP();
// Makes 936 or CP_UTF8 (CP_ACP changes nothing) the active code page; FALSE, leaving it as it
// was, for any other.
VLM_API BOOL vlm_SetACP(UINT codePage);

// The bytes of the character that starts text[0, length) in the code page (CP_ACP: the active
// one): 0 when length is 0, else 1 to 4 and never more than length. With codePoint, also its
// Unicode code point.
// GBK: a lead byte 0x81-0xFE and a trail byte 0x40-0xFE (not 0x7F) are one character.
// UTF-8: a well-formed sequence (no overlong form, surrogate or value above U+10FFFF).
// Any other byte is a character of its own, read as '?' (as is a GBK pair without a Unicode
// form), so bad text is never read past its end and always makes progress.
VLM_API size_t vlm_CharLength(UINT codePage, const char* text, size_t length, uint32_t* codePoint = nullptr);
// The longest prefix of text[0, length) that does not end inside a character: a last
// character cut short (a GBK lead byte, a UTF-8 sequence missing its last bytes) is left out.
// The cut ends between two characters of any longer text that starts with text[0, length).
VLM_API size_t vlm_CutLength(UINT codePage, const char* text, size_t length);

// Text in the code page (CP_ACP: the active one) as UTF-8, as SDL, the window system and the
// terminal take it: the text leaves the process in the one encoding they all read. Bytes that
// start no character, and GBK pairs without a Unicode form, become '?'.
VLM_API std::string vlm_ToUtf8(UINT codePage, const char* text, size_t length);
VLM_API std::string vlm_ToUtf8(UINT codePage, const char* text);
// UTF-8 text, as SDL hands it in, in the code page: a character the code page cannot hold, or
// a broken sequence, becomes '?'.
VLM_API std::string vlm_FromUtf8(UINT codePage, const char* text);
