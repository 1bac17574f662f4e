// The text encoding setting: characters and cuts of the same texts in GBK and UTF-8, bad
// bytes in each, FormatText's cut, and the setting itself.
#include <algorithm>
#include <cstring>
#include <memory>

#include "support/Encodings.h"
#include "support/EngineTest.h"

namespace {

// The character lengths TextCharLength walks through text[0, length); the text lies alone in
// a buffer of exactly its size, so that a read past its end is caught.
std::vector<size_t> Walk(const std::string& text) {
    std::unique_ptr<char[]> exact(new char[text.size()]);
    std::memcpy(exact.get(), text.data(), text.size());
    std::vector<size_t> lengths;
    for (size_t i = 0; i < text.size();) {
        const size_t n = TextCharLength(exact.get() + i, text.size() - i);
        if (n == 0 || n > 4 || n > text.size() - i) {
            ADD_FAILURE() << "length " << n << " at " << i;
            break;
        }
        lengths.push_back(n);
        i += n;
    }
    return lengths;
}

const Chars kTexts[] = {
    {{Ascii("V"), Ascii("e"), Ascii("l"), Ascii("m")}},
    {{kCharZhong, kCharWen}},
    {{Ascii("A"), kCharZhong, Ascii("b"), kCharWen, kCharKao, Ascii("!")}},
    {{kCharKao, Ascii("]"), kCharSong, kCharTi}},
};

TEST(TextEncodingTest, SameTextsWalkAndCutByWholeCharactersInBothEncodings) {
    for (TextEncoding encoding : kEncodings) {
        EncodingScope scope(encoding);
        for (const Chars& text : kTexts) {
            const std::string bytes = text.In(encoding);
            SCOPED_TRACE(std::string(NameOf(encoding)) + " " + bytes);
            std::vector<size_t> expected;
            for (const Char& c : text.chars) expected.push_back(c.In(encoding).size());
            EXPECT_EQ(Walk(bytes), expected);
            // Every cut keeps the whole characters that fit, and no piece of the next one.
            for (size_t limit = 0; limit <= bytes.size(); ++limit)
                EXPECT_EQ(TextCutLength(bytes.data(), limit), text.Fitting(encoding, limit).size()) << limit;
        }
    }
    EXPECT_EQ(TextCharLength("", 0), 0u);
    EXPECT_EQ(TextCharLength(nullptr, 5), 0u);
    EXPECT_EQ(TextCutLength(nullptr, 5), 0u);
}

TEST(TextEncodingTest, BadBytesAreOneCharacterEachAndOnlyCutShortCharactersAreDropped) {
    struct Case {
        TextEncoding encoding;
        std::string bytes;
        std::vector<size_t> lengths;
        size_t cut;  // TextCutLength of the whole text
    };
    const Case cases[] = {
        {TEXT_ENCODING_GBK, "\xFF", {1}, 1},
        {TEXT_ENCODING_GBK, "\x80", {1}, 1},
        {TEXT_ENCODING_GBK, "\x81 B", {1, 1, 1}, 3},  // a lead byte before a byte that cannot trail
        {TEXT_ENCODING_GBK, "\x81\x7F", {1, 1}, 2},   // 0x7F trails nothing
        {TEXT_ENCODING_GBK, "A\xD6", {1, 1}, 1},      // a lead byte cut from its trail byte
        {TEXT_ENCODING_UTF8, "\x80\xBF", {1, 1}, 2},  // continuation bytes without a lead
        {TEXT_ENCODING_UTF8, "\xC0\xAF", {1, 1}, 2},  // an overlong '/'
        {TEXT_ENCODING_UTF8, "\xE0\x80\xAF", {1, 1, 1}, 3},
        {TEXT_ENCODING_UTF8, "\xED\xA0\x80", {1, 1, 1}, 3},         // a surrogate
        {TEXT_ENCODING_UTF8, "\xF4\x90\x80\x80", {1, 1, 1, 1}, 4},  // above U+10FFFF
        {TEXT_ENCODING_UTF8, "\xF5\xFE\xFF", {1, 1, 1}, 3},
        {TEXT_ENCODING_UTF8,
         "\xE4\xB8"
         "A",
         {1, 1, 1},
         3},                                              // a sequence broken off inside the text
        {TEXT_ENCODING_UTF8, "A\xE4\xB8", {1, 1, 1}, 1},  // ... and at its end: a cut
        {TEXT_ENCODING_UTF8, "\xF0\x9F\x98", {1, 1, 1}, 0},
        {TEXT_ENCODING_UTF8, "\xE4\xB8\xE4\xB8", {1, 1, 1, 1}, 2},
        {TEXT_ENCODING_UTF8, "\xF0\x9F\x98\x80", {4}, 4},           // four bytes, beyond the plane GBK covers
        {TEXT_ENCODING_UTF8, "\xD6\xD0\xCE\xC4", {1, 1, 1, 1}, 3},  // GBK read as UTF-8
        {TEXT_ENCODING_GBK, "\xE4\xB8\xAD", {2, 1}, 2},             // UTF-8 read as GBK
    };
    for (const Case& c : cases) {
        EncodingScope scope(c.encoding);
        SCOPED_TRACE(std::string(NameOf(c.encoding)) + " " + c.bytes);
        EXPECT_EQ(Walk(c.bytes), c.lengths);
        EXPECT_EQ(TextCutLength(c.bytes.data(), c.bytes.size()), c.cut);
    }
}

TEST(TextEncodingTest, EveryByteSequenceIsWalkedWithoutOverrunAndCutOnABoundary) {
    // All two-byte texts, and each followed by a continuation and a lead byte: whatever the
    // bytes, each step is 1 to 4 bytes within the text, and a cut ends where a step ends.
    for (TextEncoding encoding : kEncodings) {
        EncodingScope scope(encoding);
        for (int a = 1; a < 256; ++a) {
            for (int b = 1; b < 256; ++b) {
                const std::string text{char(a), char(b), '\x80', '\xE4'};
                std::vector<size_t> ends{0};
                for (size_t n : Walk(text)) ends.push_back(ends.back() + n);
                ASSERT_EQ(ends.back(), text.size()) << a << " " << b;
                for (size_t limit = 0; limit <= text.size(); ++limit) {
                    const size_t cut = TextCutLength(text.data(), limit);
                    ASSERT_LE(cut, limit);
                    ASSERT_NE(std::find(ends.begin(), ends.end(), cut), ends.end()) << a << " " << b << " " << limit;
                }
            }
        }
    }
}

TEST(TextEncodingTest, FormatTextCutsWholeCharactersInBothEncodings) {
    const Chars text{{Ascii("a"), Ascii("b"), kCharZhong, kCharWen, kCharKao}};
    for (TextEncoding encoding : kEncodings) {
        EncodingScope scope(encoding);
        const std::string bytes = text.In(encoding);
        for (size_t size = 1; size <= bytes.size() + 1; ++size) {
            for (const char* format : {"%s", "<%s"}) {
                SCOPED_TRACE(std::string(NameOf(encoding)) + " " + format + " into " + std::to_string(size));
                std::vector<char> buffer(size + 1, 'x');
                Chars formatted = text;
                if (format[0] == '<') formatted.chars.insert(formatted.chars.begin(), Ascii("<"));
                const std::string expected = formatted.Fitting(encoding, size - 1);
                EXPECT_EQ(FormatText(buffer.data(), size, format, bytes.c_str()), expected.size());
                EXPECT_EQ(std::string(buffer.data()), expected);
                EXPECT_EQ(buffer[size], 'x') << "written past the buffer";
            }
        }
    }
    // GbkCutLength stays GBK whatever the setting.
    EncodingScope scope(TEXT_ENCODING_UTF8);
    EXPECT_EQ(GbkCutLength("a\xD6\xD0\xCE", 4), 3u);
    EXPECT_EQ(GbkCutLength("\xE4\xB8\xAD", 3), 2u);
}

TEST(TextEncodingTest, TheSettingDefaultsToGbkAndRefusesUnknownValues) {
    EncodingScope restore(TEXT_ENCODING_GBK);
    EXPECT_EQ(GetTextEncoding(), TEXT_ENCODING_GBK);
    EXPECT_EQ(GetACP(), 936u);
    ASSERT_TRUE(SetTextEncoding(TEXT_ENCODING_UTF8));
    EXPECT_EQ(GetTextEncoding(), TEXT_ENCODING_UTF8);
    EXPECT_EQ(GetACP(), UINT(CP_UTF8));
    EXPECT_FALSE(SetTextEncoding(static_cast<TextEncoding>(7)));
    EXPECT_EQ(GetTextEncoding(), TEXT_ENCODING_UTF8);
    EXPECT_FALSE(vlm_SetACP(1252));
    EXPECT_TRUE(vlm_SetACP(CP_ACP));  // "the active one": no change
    EXPECT_EQ(GetACP(), UINT(CP_UTF8));
    ASSERT_TRUE(SetTextEncoding(TEXT_ENCODING_GBK));
    EXPECT_EQ(GetACP(), 936u);
}

}  // namespace
