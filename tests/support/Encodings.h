// The same texts in both text encodings, and a scope that runs under one of them.
#pragma once

#include <string>
#include <vector>

#include <velmora/Velmora.h>

const TextEncoding kEncodings[] = {TEXT_ENCODING_GBK, TEXT_ENCODING_UTF8};

inline const char* NameOf(TextEncoding encoding) { return encoding == TEXT_ENCODING_UTF8 ? "UTF-8" : "GBK"; }

// Switches the engine's text encoding until the end of the scope; GBK, the default, returns.
class EncodingScope {
public:
    explicit EncodingScope(TextEncoding encoding) { SetTextEncoding(encoding); }
    ~EncodingScope() { SetTextEncoding(TEXT_ENCODING_GBK); }
    EncodingScope(const EncodingScope&) = delete;
    EncodingScope& operator=(const EncodingScope&) = delete;
};

// One character in both encodings.
struct Char {
    const char* gbk;
    const char* utf8;
    std::string In(TextEncoding encoding) const { return encoding == TEXT_ENCODING_UTF8 ? utf8 : gbk; }
};

// A text as its characters, to be written in either encoding.
struct Chars {
    std::vector<Char> chars;

    std::string In(TextEncoding encoding) const { return Prefix(encoding, chars.size()); }
    // The first `count` characters.
    std::string Prefix(TextEncoding encoding, size_t count) const {
        std::string text;
        for (size_t i = 0; i < count && i < chars.size(); ++i) text += chars[i].In(encoding);
        return text;
    }
    // The most whole characters that fit in `bytes`.
    std::string Fitting(TextEncoding encoding, size_t bytes) const {
        size_t count = 0;
        while (count < chars.size() && Prefix(encoding, count + 1).size() <= bytes) ++count;
        return Prefix(encoding, count);
    }
};

// Characters: the same in both encodings where ASCII.
inline Char Ascii(const char* text) { return Char{text, text}; }
const Char kCharZhong{"\xD6\xD0", "\xE4\xB8\xAD"};  // 中
const Char kCharWen{"\xCE\xC4", "\xE6\x96\x87"};    // 文
const Char kCharKao{"\x81\x40", "\xE4\xB8\x82"};    // 丂: its GBK trail byte is '@'
const Char kCharSong{"\xCB\xCE", "\xE5\xAE\x8B"};   // 宋
const Char kCharTi{"\xCC\xE5", "\xE4\xBD\x93"};     // 体

inline Chars Repeat(const std::vector<Char>& head, const Char& c, size_t count) {
    Chars text{head};
    text.chars.insert(text.chars.end(), count, c);
    return text;
}
