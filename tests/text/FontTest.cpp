// GFont and the system font on the real device: what reaches the back buffer, the string
// texture sizes, the cache and its aging, line breaking of single- and multi-byte text in
// GBK and UTF-8.
#include <iterator>
#include <set>

#include "support/Encodings.h"
#include "support/TextFixture.h"

namespace {

const char kChinese[] = "\xD6\xD0\xCE\xC4";  // 中文

class FontTest : public TextTest {};

TEST_F(FontTest, SystemFontDrawsTheTextInItsColourWhereAsked) {
    struct Case {
        const char* text;
        int x, y;
        DWORD color;
        bool center;
    };
    const Case cases[] = {
        {"Velmora", 10, 5, 0xFFFF8000, false},
        {"\xD6\xD0\xCE\xC4 text", 160, 48, 0xFF00FF00, true},
        // Drawn as it is: the text is not formatted a second time.
        {"100%d%s%%", 40, 70, 0xFFFFFFFF, false},
    };
    for (const Case& c : cases) {
        const TextMask mask = MaskOf(c.text);
        ASSERT_GT(mask.Count(), 0) << c.text;
        const RECT rect = GetFontRect(c.text);
        EXPECT_EQ(rect.right, mask.width);
        EXPECT_EQ(rect.bottom, mask.height);
        const int x = c.center ? c.x - mask.width / 2 : c.x;
        const int y = c.center ? c.y - mask.height / 2 : c.y;
        const auto frame = Frame([&] { DrawSingleLine(c.x, c.y, c.color, c.center, "%s", c.text); });
        EXPECT_EQ(Diff(frame, Expected({{mask, x, y, c.color}})), "") << c.text;
    }
    const auto formatted = Frame([] { DrawSingleLine(3, 30, 0xFF0000FF, false, "%d apples", 12); });
    EXPECT_EQ(Diff(formatted, Expected({{MaskOf("12 apples"), 3, 30, 0xFF0000FF}})), "");
}

TEST_F(FontTest, DrawTextPutsTheLinesALineHeightApart) {
    ProbeFont font;
    ASSERT_TRUE(font.CreateFontA(kSongGbk, 12, 0, 400));
    font.SetLineCount(6);
    font.SetLineHeight(30);
    int lines = 0;
    const auto frame = Frame([&] { lines = font.DrawTextA(20, 10, 0xFFFFFF00, "%s-%d", "abcdefgh", 42); });
    EXPECT_EQ(lines, 2);
    EXPECT_EQ(Diff(frame, Expected({{MaskOf("abcdef"), 20, 10, 0xFFFFFF00}, {MaskOf("gh-42"), 20, 40, 0xFFFFFF00}})),
              "");
}

// Each line is a texture of its own; drawn texel for texel, new or cached, they reach OpenGL as
// one batch (the device keeps small textures side by side in shared pages).
TEST_F(FontTest, LinesOfATextReachTheDeviceAsOneBatch) {
    ProbeFont font;
    ASSERT_TRUE(font.CreateFontA(kSongGbk, 12, 0, 400));
    font.SetLineCount(8);
    const char* lines[] = {"line one", "line two", "line 333", "line 444"};
    std::vector<Placed> expected;
    for (int i = 0; i < 4; ++i) expected.push_back({MaskOf(lines[i]), 10, 5 + 20 * i, 0xFFFFFF80});
    for (const char* when : {"new", "cached"}) {
        unsigned batches = 0;
        const auto frame = Frame([&] {
            const unsigned before = VelmoraTest::GetDeviceDrawBatches(GetD3DDevice());
            font.DrawTextA(10, 5, 0xFFFFFF80, "%s%s%s%s", lines[0], lines[1], lines[2], lines[3]);
            batches = VelmoraTest::GetDeviceDrawBatches(GetD3DDevice()) - before;
        });
        EXPECT_EQ(Diff(frame, Expected(expected)), "") << when;
        EXPECT_EQ(batches, 1u) << when;
    }
}

TEST_F(FontTest, TextureSizeFollowsTheExtent) {
    struct Case {
        DWORD height;
        int repeat;  // of "W"
        int width, textureHeight;
    };
    const Case cases[] = {{12, 3, 512, 32}, {12, 100, 1024, 32}, {40, 1, 512, 64}, {40, 40, 1024, 64}};
    for (const Case& c : cases) {
        ProbeFont font;
        ASSERT_TRUE(font.CreateFontA(kSongGbk, c.height, 0, 400));
        const std::string text(size_t(c.repeat), 'W');
        const RECT extent = font.GetStringRect(text.c_str());
        ASSERT_EQ(extent.right > 512, c.width == 1024) << extent.right;
        ASSERT_EQ(extent.bottom > 32, c.textureHeight == 64) << extent.bottom;
        Frame([&] { font.DrawSingleLine(0, 0, 0xFFFFFFFF, false, "%s", text.c_str()); });
        CFontTexture* texture = font.Find(text);
        ASSERT_NE(texture, nullptr);
        EXPECT_EQ(texture->GetWidth(), c.width);
        EXPECT_EQ(texture->GetHeight(), c.textureHeight);
        D3DSURFACE_DESC desc{};
        texture->GetTexture()->GetLevelDesc(0, &desc);
        EXPECT_EQ(desc.Format, D3DFMT_A4R4G4B4);
        EXPECT_EQ(int(desc.Width), c.width);
        // Two levels only: any lit pixel is opaque white, everything else transparent.
        std::set<WORD> texels;
        D3DLOCKED_RECT locked{};
        ASSERT_EQ(texture->GetTexture()->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
        for (UINT y = 0; y < desc.Height; ++y)
            for (UINT x = 0; x < desc.Width; ++x)
                texels.insert(
                    reinterpret_cast<const WORD*>(static_cast<const char*>(locked.pBits) + y * locked.Pitch)[x]);
        texture->GetTexture()->UnlockRect(0);
        EXPECT_EQ(texels, (std::set<WORD>{0x0000, 0xFFFF}));
    }
}

TEST_F(FontTest, CacheHoldsThirtyThreeTextsAndReusesTheLeastRecentlyUsed) {
    ProbeFont font;
    ASSERT_TRUE(font.CreateFontA(kSongGbk, 12, 0, 400));
    auto draw = [&](const std::string& text) {
        VelmoraTest::AdvanceClock(10);
        font.DrawSingleLine(0, 0, 0xFFFFFFFF, false, "%s", text.c_str());
    };
    Frame([&] {
        for (int i = 0; i < 33; ++i) draw("text " + std::to_string(i));
    });
    ASSERT_EQ(font.m_TextureCache.size(), 33u);
    const std::vector<DWORD> handles = font.Handles();
    for (DWORD handle : handles) EXPECT_NE(GetTextureManager()->GetTexture(handle), nullptr);

    Frame([&] {
        draw("text 0");  // a hit: no new entry, and text 1 is now the least recently used
        draw("text 33");
    });
    EXPECT_EQ(font.Handles(), handles);
    EXPECT_NE(font.Find("text 0"), nullptr);
    EXPECT_EQ(font.Find("text 1"), nullptr);
    EXPECT_NE(font.Find("text 33"), nullptr);

    // An empty entry goes first, however recently it was used.
    CFontTexture* latest = font.Find("text 33");
    latest->Clear();
    EXPECT_EQ(font.m_TextureCache.at(font.GetIdleTexture()), latest);
    Frame([&] { draw("text 34"); });
    EXPECT_EQ(font.Find("text 34"), latest);
    EXPECT_NE(font.Find("text 2"), nullptr);
}

TEST_F(FontTest, AgingDestroysTexturesIdleOverTwoSecondsAtMostEveryThreeSeconds) {
    struct Case {
        DWORD drawnAt, updatedAt;  // ms after an aging pass
        bool kept;
    };
    const Case cases[] = {
        {0, 2500, true},      // too soon after the last pass
        {1000, 3000, true},   // still too soon
        {1000, 3001, false},  // 2001 ms idle
        {1001, 3001, true},   // 2000 ms idle
    };
    for (const Case& c : cases) {
        ProbeFont font;
        ASSERT_TRUE(font.CreateFontA(kSongGbk, 12, 0, 400));
        const DWORD start = timeGetTime();
        font.Update();  // the pass the times count from
        VelmoraTest::SetClock(start + c.drawnAt);
        Frame([&] { font.DrawSingleLine(0, 0, 0xFFFFFFFF, false, "aging"); });
        ASSERT_EQ(font.m_TextureCache.size(), 1u);
        const DWORD handle = font.Handles()[0];
        VelmoraTest::SetClock(start + c.updatedAt);
        font.Update();
        EXPECT_EQ(font.m_TextureCache.size(), c.kept ? 1u : 0u) << c.drawnAt << " " << c.updatedAt;
        EXPECT_EQ(GetTextureManager()->GetTexture(handle) != nullptr, c.kept);
    }
}

TEST_F(FontTest, LineBreakingNeverSplitsADoubleByteCharacter) {
    const std::string chinese = kChinese;
    struct Case {
        DWORD lineCount;  // as given to SetLineCount
        std::string text;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {70, std::string(150, 'a'), {std::string(70, 'a'), std::string(70, 'a'), std::string(10, 'a')}},
        {4, "a" + chinese + chinese, {"a\xD6\xD0", "\xCE\xC4\xD6\xD0", "\xCE\xC4"}},
        {4, chinese + "ab" + chinese, {chinese, "ab\xD6\xD0", "\xCE\xC4"}},
        // Trail bytes below 0x80: 丂 is 0x81 0x40.
        {4, "a\x81\x40\x81\x40", {"a\x81\x40", "\x81\x40"}},
        {51, std::string(100, 'x'), {std::string(50, 'x'), std::string(50, 'x')}},
        {1000, std::string(300, 'y'), {std::string(254, 'y'), std::string(46, 'y')}},
        // No length, no lines.
        {1, "abc", {}},
    };
    for (const Case& c : cases) {
        ProbeFont font;
        ASSERT_TRUE(font.CreateFontA(kSongGbk, 12, 0, 400));
        font.SetLineCount(c.lineCount);
        int count = -1;
        Frame([&] { count = font.DrawTextA(0, 0, 0xFFFFFFFF, "%s", c.text.c_str()); });
        EXPECT_EQ(count, int(c.lines.size())) << c.text;
        for (const std::string& line : c.lines) EXPECT_NE(font.Find(line), nullptr) << line;
        EXPECT_EQ(font.m_TextureCache.size(), std::set<std::string>(c.lines.begin(), c.lines.end()).size());
    }
}

TEST_F(FontTest, LineBreakingNeverSplitsACharacterInEitherEncoding) {
    const Chars aZhongZhong{{Ascii("a"), kCharZhong, kCharZhong}};
    const Chars zhongAbZhong{{kCharZhong, Ascii("a"), Ascii("b"), kCharZhong}};
    const Chars aZhongB{{Ascii("a"), kCharZhong, Ascii("b")}};
    struct Case {
        TextEncoding encoding;
        DWORD lineCount;
        Chars text;
        std::vector<size_t> lineChars;  // characters on each line
    };
    const Case cases[] = {
        {TEXT_ENCODING_GBK, 4, aZhongZhong, {2, 1}},
        {TEXT_ENCODING_UTF8, 4, aZhongZhong, {2, 1}},
        {TEXT_ENCODING_GBK, 4, zhongAbZhong, {3, 1}},
        {TEXT_ENCODING_UTF8, 4, zhongAbZhong, {2, 2}},
        // A UTF-8 character longer than the line still takes a line of its own.
        {TEXT_ENCODING_GBK, 2, aZhongB, {1, 1, 1}},
        {TEXT_ENCODING_UTF8, 2, aZhongB, {1, 1, 1}},
        {TEXT_ENCODING_UTF8, 2, Chars{{kCharZhong, kCharWen}}, {1, 1}},
        // 丂's GBK trail byte is '@'; in UTF-8 it is three bytes like any other.
        {TEXT_ENCODING_GBK, 6, Repeat({Ascii("x")}, kCharKao, 4), {3, 2}},
        {TEXT_ENCODING_UTF8, 6, Repeat({Ascii("x")}, kCharKao, 4), {2, 2, 1}},
    };
    for (const Case& c : cases) {
        EncodingScope scope(c.encoding);
        const std::string text = c.text.In(c.encoding);
        SCOPED_TRACE(std::string(NameOf(c.encoding)) + " " + text);
        std::vector<std::string> lines;
        size_t first = 0;
        for (size_t n : c.lineChars) {
            lines.push_back(
                Chars{{c.text.chars.begin() + long(first), c.text.chars.begin() + long(first + n)}}.In(c.encoding));
            first += n;
        }
        ProbeFont font;
        ASSERT_TRUE(font.CreateFontA(kSongGbk, 12, 0, 400));
        font.SetLineCount(c.lineCount);
        int count = -1;
        Frame([&] { count = font.DrawTextA(0, 0, 0xFFFFFFFF, "%s", text.c_str()); });
        EXPECT_EQ(count, int(lines.size()));
        for (const std::string& line : lines) EXPECT_NE(font.Find(line), nullptr) << line;
    }
    // Broken UTF-8: the bytes before 'A' are two characters of their own; the cut-short
    // sequence at the limit is kept whole for the next line.
    EncodingScope scope(TEXT_ENCODING_UTF8);
    ProbeFont font;
    ASSERT_TRUE(font.CreateFontA(kSongGbk, 12, 0, 400));
    font.SetLineCount(4);
    int count = -1;
    Frame([&] {
        count = font.DrawTextA(0, 0, 0xFFFFFFFF, "%s",
                               "\xE4\xB8"
                               "A\xE4\xB8\xAD");
    });
    EXPECT_EQ(count, 2);
    EXPECT_NE(font.Find("\xE4\xB8"
                        "A"),
              nullptr);
    EXPECT_NE(font.Find("\xE4\xB8\xAD"), nullptr);
}

// A text in an encoding: "Z" stands for 中 and "E" for é (a letter in UTF-8, a double-byte
// character in GBK); other characters are themselves.
std::string Spelled(const std::string& pattern, TextEncoding encoding) {
    const Char e{"\xA8\xA6", "\xC3\xA9"};
    std::string text;
    for (char c : pattern) text += c == 'Z' ? kCharZhong.In(encoding) : c == 'E' ? e.In(encoding) : std::string(1, c);
    return text;
}

TEST_F(FontTest, WordWrapBreaksLatinTextAtSpacesAndCjkTextAnywhere) {
    const std::vector<TextEncoding> both(std::begin(kEncodings), std::end(kEncodings));
    const std::vector<TextEncoding> gbk{TEXT_ENCODING_GBK}, utf8{TEXT_ENCODING_UTF8};
    struct Case {
        std::vector<TextEncoding> encodings;
        DWORD lineCount;
        std::string text;
        std::vector<std::string> wrapped;  // with word wrap on
        std::vector<std::string> cut;      // off, as before; empty: not checked
    };
    const Case cases[] = {
        {both, 10, "hello world again", {"hello", "world", "again"}, {"hello worl", "d again"}},
        {both, 10, "abcd efghi jk", {"abcd efghi", "jk"}, {"abcd efghi", " jk"}},
        {both, 10, "hi    there you", {"hi", "there you"}, {"hi    ther", "e you"}},
        // A word longer than the line is still cut.
        {both, 10, "abcdefghijklmno", {"abcdefghij", "klmno"}, {}},
        {both, 10, "ZZ abcdefg", {"ZZ", "abcdefg"}, {}},
        // Beside a CJK character a line may end without a space; a Latin word stays whole.
        {gbk, 8, "abcZZdef", {"abcZZ", "def"}, {"abcZZd", "ef"}},
        {gbk, 8, "ab ZZZZ", {"ab ZZ", "ZZ"}, {}},
        {utf8, 8, "ab ZZZZ", {"ab Z", "ZZ", "Z"}, {}},
        // é is a letter in UTF-8: "EEEE" is one word there.
        {utf8, 8, "ab EEEE", {"ab", "EEEE"}, {"ab EE", "EE"}},
        {gbk, 8, "ab EEEE", {"ab EE", "EE"}, {}},
    };
    for (const Case& c : cases) {
        for (TextEncoding encoding : c.encodings) {
            EncodingScope scope(encoding);
            SCOPED_TRACE(std::string(NameOf(encoding)) + " " + c.text);
            ProbeFont font;
            font.SetLineCount(c.lineCount);
            const std::string text = Spelled(c.text, encoding);
            std::vector<std::string> expected;
            for (const std::string& line : c.cut) expected.push_back(Spelled(line, encoding));
            if (!c.cut.empty()) {
                EXPECT_EQ(font.BreakLines(text.c_str()), expected);
            }
            font.SetWordWrap(true);
            expected.clear();
            for (const std::string& line : c.wrapped) expected.push_back(Spelled(line, encoding));
            EXPECT_EQ(font.BreakLines(text.c_str()), expected);
        }
    }
}

TEST_F(FontTest, TheSameTextDrawsTheSamePixelsInBothEncodings) {
    const Chars text{{Ascii("A"), kCharZhong, Ascii("b"), kCharWen, kCharKao, Ascii("!")}};
    std::vector<DWORD> frames[2];
    LONG widths[2] = {};
    for (TextEncoding encoding : kEncodings) {
        EncodingScope scope(encoding);
        const std::string bytes = text.In(encoding);
        GFont font;
        ASSERT_TRUE(font.CreateFontA(kSongGbk, 12, 0, 400));
        widths[encoding] = GetFontRect(bytes.c_str()).right;
        frames[encoding] = Frame([&] {
            DrawSingleLine(160, 20, 0xFFFFFF00, true, "%s", bytes.c_str());
            font.DrawTextA(10, 50, 0xFF00FFFF, "%s!", bytes.c_str());
        });
    }
    EXPECT_EQ(Diff(frames[TEXT_ENCODING_UTF8], frames[TEXT_ENCODING_GBK]), "");
    const TextMask mask = MaskOf(text.In(TEXT_ENCODING_GBK));
    EXPECT_EQ(widths[TEXT_ENCODING_GBK], mask.width);
    EXPECT_EQ(widths[TEXT_ENCODING_UTF8], mask.width);
    const TextMask twice = MaskOf(text.In(TEXT_ENCODING_GBK) + "!");
    EXPECT_EQ(Diff(frames[TEXT_ENCODING_GBK], Expected({{mask, 160 - mask.width / 2, 20 - mask.height / 2, 0xFFFFFF00},
                                                        {twice, 10, 50, 0xFF00FFFF}})),
              "");
}

TEST_F(FontTest, MultiLineRectangle) {
    ProbeFont font;
    ASSERT_TRUE(font.CreateFontA(kSongGbk, 12, 0, 400));
    const std::string text = std::string(70, 'm') + std::string(70, 'i') + std::string(10, 'W');
    const RECT line = font.GetStringRect(std::string(70, 'm').c_str());
    RECT rect = font.GetStringRectMultiLine(text.c_str());
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.right, line.right);  // the widest line
    EXPECT_EQ(rect.bottom, line.bottom + 40);
    font.SetLineHeight(30);
    EXPECT_EQ(font.GetStringRectMultiLine(text.c_str()).bottom, line.bottom + 60);
    EXPECT_EQ(font.GetStringRectMultiLine("short").bottom, line.bottom);
    for (const char* none : {"", static_cast<const char*>(nullptr)}) {
        rect = font.GetStringRectMultiLine(none);
        EXPECT_EQ(rect.right | rect.bottom, 0);
    }
}

TEST_F(FontTest, FontNeverCreatedOrFailedDrawsNothingAndNeverHangs) {
    ProbeFont font;
    EXPECT_EQ(font.DrawTextA(0, 0, 0xFFFFFFFF, "%s", "some text"), 0);
    RECT rect = font.GetStringRectMultiLine("some text");
    EXPECT_EQ(rect.right | rect.bottom, 0);
    const auto frame = Frame([&] { font.DrawSingleLine(0, 0, 0xFFFFFFFF, false, "text"); });
    EXPECT_EQ(Diff(frame, Expected({})), "");
    EXPECT_TRUE(font.m_TextureCache.empty());
    EXPECT_EQ(font.DrawTextA(0, 0, 0xFFFFFFFF, "%s", ""), 0);

    EXPECT_FALSE(font.CreateFontA(nullptr, 12, 0, 400));
    EXPECT_FALSE(font.CreateFontA(kSongGbk, 5000, 0, 400));
    EXPECT_NE(VelmoraTest::TakeMessageBoxes().at(0).text.find("Create font fail["), std::string::npos);
}

TEST_F(FontTest, CacheEmptiesWhenTheEngineGoesAndTheSystemFontWorksAfterARestart) {
    ProbeFont font;
    ASSERT_TRUE(font.CreateFontA(kSongGbk, 12, 0, 400));
    Frame([&] {
        font.DrawSingleLine(0, 0, 0xFFFFFFFF, false, "kept by the manager");
        DrawSingleLine(0, 20, 0xFFFFFFFF, false, "system");
    });
    ASSERT_EQ(font.m_TextureCache.size(), 1u);
    game.Destroy();
    EXPECT_TRUE(font.m_TextureCache.empty());
    EXPECT_EQ(font.DrawTextA(0, 0, 0xFFFFFFFF, "no engine"), 1);  // draws nothing, breaks nothing

    DestroyWindow(game.GetWndHandle());
    game.SetDLLFileLog(true);
    ASSERT_NO_FATAL_FAILURE(Start());
    EXPECT_NE(ReadFile("VLMLog.html").find("]Create System Font...</font>"), std::string::npos);
    const auto frame = Frame([] { DrawSingleLine(5, 5, 0xFFFFFFFF, false, "system"); });
    EXPECT_EQ(Diff(frame, Expected({{MaskOf("system"), 5, 5, 0xFFFFFFFF}})), "");
}

// A texture whose bitmap cannot be made (over the DIB's 256 MiB) is cleared, not written
// through a null pointer, and says so.
TEST_F(FontTest, FontTextureWithoutABitmapIsLeftTransparent) {
    CFontTexture texture;
    ASSERT_TRUE(texture.CreateFontTexture(16384, 4097));
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(texture.GetTexture()->LockRect(0, &locked, nullptr, 0), D3D_OK);
    std::fill_n(static_cast<WORD*>(locked.pBits), 16384, WORD(0xFFFF));  // as if a string were there
    texture.GetTexture()->UnlockRect(0);
    HFONT font = CreateFontA(12, 0, 0, 0, 400, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, FF_SWISS, kSongGbk);
    texture.WriteString("text", font);
    DeleteObject(font);
    EXPECT_NE(VelmoraTest::TakeMessageBoxes().at(0).text.find("Can't create font bitmap!"), std::string::npos);
    EXPECT_TRUE(texture.Compare("text"));
    ASSERT_EQ(texture.GetTexture()->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    const WORD* top = static_cast<const WORD*>(locked.pBits);
    EXPECT_EQ(std::count(top, top + 16384, WORD(0)), 16384);
    texture.GetTexture()->UnlockRect(0);
}

}  // namespace
