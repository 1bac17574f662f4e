// The encoding of every engine string: GBK (code page 936), as the Windows original requires
// and the default, or UTF-8, as Linux sources and data usually are. It rules drawing and
// measuring text, line breaking, cutting text into fixed buffers (FormatText, GUI captions,
// list items, INI reads) and reading INI and GUI description files. Choose it once, before
// InitApplication and before any text is loaded; text already drawn into cached textures
// keeps the look it had.
#pragma once

#include <cstddef>

#include <velmora/Export.h>

enum TextEncoding : int { TEXT_ENCODING_GBK = 0, TEXT_ENCODING_UTF8 = 1 };

// False, changing nothing, for a value that is no TextEncoding.
VLM_API bool SetTextEncoding(TextEncoding encoding);
VLM_API TextEncoding GetTextEncoding();
// The current encoding's name as HTML and HTTP know it: "GBK" or "UTF-8".
VLM_API const char* TextEncodingCharset();

// The bytes of the character that starts text[0, length) in the current encoding: 0 when
// length is 0, else 1 to 4 and never more than length. A GBK character is a lead byte
// 0x81-0xFE and a trail byte 0x40-0xFE (not 0x7F); a UTF-8 one a well-formed sequence. Any
// other byte counts as a character of its own and is drawn as '?', so broken text can
// neither be read past its end nor stop a loop over it.
VLM_API size_t TextCharLength(const char* text, size_t length);
// The longest prefix of text[0, length) that does not end inside a character: a last
// character cut short (a GBK lead byte, a UTF-8 sequence missing its last bytes) is left out.
// The cut ends between two characters of any longer text that starts with text[0, length).
VLM_API size_t TextCutLength(const char* text, size_t length);
