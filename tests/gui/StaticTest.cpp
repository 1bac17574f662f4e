// Static texts: where GStatic draws its caption (left-aligned or centred, Chinese included)
// and answers a press, caption limits, captions in GBK and UTF-8, and MLStatic's lines through
// its font.
#include "support/Encodings.h"
#include "support/GuiFixture.h"
#include "support/TextFixture.h"

namespace {

using StaticTest = GuiTest;

// Whether the frame shows `mask` at (x, y) in `color`: every lit pixel in the colour, and
// nothing of that colour elsewhere in the mask's box, as far as the frame reaches.
::testing::AssertionResult ShowsText(const std::vector<DWORD>& pixels, const TextMask& mask, int x, int y,
                                     DWORD color) {
    if (mask.Count() == 0) return ::testing::AssertionFailure() << "empty mask";
    for (int yy = 0; yy < mask.height; ++yy)
        for (int xx = 0; xx < mask.width && x + xx < GuiTest::kWidth; ++xx) {
            const DWORD pixel = pixels.at(size_t((y + yy) * GuiTest::kWidth + x + xx));
            if (mask.Lit(xx, yy) != (pixel == (color & 0xFFFFFF)))
                return ::testing::AssertionFailure() << "at (" << xx << ", " << yy << ") " << std::hex << pixel;
        }
    return ::testing::AssertionSuccess();
}

// "Start" in GBK: 开始.
const char kStart[] = "\xBF\xAA\xCA\xBC";

TEST_F(StaticTest, CaptionDrawnAtItsPlaceInAContainerAndPressed) {
    WriteIni("s.ini", std::string("[L]\nt=Title\n\nContainer=Box\n[Box]\nGUIType=1\nID=1\nPosition=200,100\n") +
                          "[Title]\nGUIType=3\nID=30\nPosition=-100,-60\nColor=0xFFFFFF00\nCaption=Go " + kStart +
                          "\nFontSize=16\n");
    ASSERT_TRUE(manager->LoadFromFile("s.ini"));
    auto* title = static_cast<GStatic*>(manager->GetElement(1)->GetSubWindow(30));
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->GetPosition(), GPoint(100, 40));
    const TextMask mask = MaskOf(std::string("Go ") + kStart, 16);
    EXPECT_EQ(title->GetFontRect(), GRect(0, 0, mask.width, mask.height));
    auto pixels = Frame([&] { manager->Render(); });
    EXPECT_TRUE(ShowsText(pixels, mask, 100, 40, 0xFFFFFF00));

    title->SetLeft(false);  // centred on the position; the hit area stays
    pixels = Frame([&] { manager->Render(); });
    EXPECT_TRUE(ShowsText(pixels, mask, 100 - mask.width / 2, 40 - mask.height / 2, 0xFFFFFF00));
    Run({MoveAndButton(99, 45, true), Left(false), MoveAndButton(101, 41, true), Left(false)});
    EXPECT_EQ(game.events, (std::vector<GuiEvent>{{3, 30, GUI_EVENT_PRESS, 3, title}}));
    EXPECT_EQ(game.events.at(0).frame, 3);
}

TEST_F(StaticTest, CaptionLimits) {
    GStatic text;
    WriteIni("s.ini", "[T]\nCaption=abc\nPosition=10,10\n");
    text.LoadFromIni("s.ini", "T");
    char caption[256];
    text.SetCaption(std::string(256, 'x').c_str());  // too long: nothing changes
    text.SetCaption(nullptr);
    text.GetCaption(caption);
    EXPECT_STREQ(caption, "abc");
    text.SetCaption(std::string(255, 'y').c_str());
    text.GetCaption(caption);
    EXPECT_EQ(std::string(caption), std::string(255, 'y'));
    text.SetCaption("");
    EXPECT_EQ(text.GetFontRect().Width(), 0);
    const std::vector<DWORD> paper(size_t(kWidth * kHeight), kPaper & 0xFFFFFF);
    EXPECT_EQ(Frame([&] { text.Render(); }), paper);
}

TEST_F(StaticTest, MultiLineTextBreaksIntoLinesOfTheFontsLength) {
    std::string text;
    for (int i = 0; i < 150; ++i) text += char('a' + i % 26);
    WriteIni("m.ini", "[M]\nGUIType=260\nID=40\nPosition=8,12\nCaption=" + text + "\nFontSize=12\n");
    MLStatic label;
    label.LoadFromIni("m.ini", "M");
    EXPECT_EQ(label.GetFont()->GetLineCount(), 70u);
    auto pixels = Frame([&] { label.Render(); });
    // 70, 70 and 10 bytes, a line height of 20 apart.
    EXPECT_TRUE(ShowsText(pixels, MaskOf(text.substr(0, 70)), 8, 12, 0xFFFFFFFF));
    EXPECT_TRUE(ShowsText(pixels, MaskOf(text.substr(70, 70)), 8, 32, 0xFFFFFFFF));
    EXPECT_TRUE(ShowsText(pixels, MaskOf(text.substr(140)), 8, 52, 0xFFFFFFFF));
    EXPECT_EQ(label.GetFontRect().Height(), MaskOf(text.substr(0, 70)).height + 40);

    // Forty-nine bytes and a double-byte character: the character starts the second line.
    label.GetFont()->SetLineCount(50);
    label.SetCaption((std::string(49, 'q') + kStart).c_str());
    pixels = Frame([&] { label.Render(); });
    EXPECT_TRUE(ShowsText(pixels, MaskOf(std::string(49, 'q')), 8, 12, 0xFFFFFFFF));
    EXPECT_TRUE(ShowsText(pixels, MaskOf(kStart), 8, 32, 0xFFFFFFFF));
    // Its hit area is empty: a press posts nothing.
    label.SetCaption(std::string(4096, 'z').c_str());  // too long: ignored
    char back[4096];
    label.GetCaption(back);
    EXPECT_EQ(std::string(back), std::string(49, 'q') + kStart);
}

TEST_F(StaticTest, MultiLineWordWrapKeepsWordsWhole) {
    // Twelve "alpha" and an "omega": the twelfth word would pass the 70-byte line.
    std::string words;
    for (int i = 0; i < 12; ++i) words += "alpha ";
    words += "omega";
    WriteIni("w.ini", "[W]\nGUIType=260\nID=41\nPosition=8,12\nCaption=" + words + "\nFontSize=12\nWordWrap=1\n" +
                          "[Plain]\nGUIType=260\nID=42\nPosition=8,12\nCaption=" + words + "\nFontSize=12\n");
    MLStatic wrapped, plain;
    wrapped.LoadFromIni("w.ini", "W");
    plain.LoadFromIni("w.ini", "Plain");
    EXPECT_TRUE(wrapped.GetWordWrap());
    EXPECT_FALSE(plain.GetWordWrap());  // the default: lines of 70 bytes, as before
    const std::string first = words.substr(0, 65), second = words.substr(66);
    auto pixels = Frame([&] { wrapped.Render(); });
    EXPECT_TRUE(ShowsText(pixels, MaskOf(first), 8, 12, 0xFFFFFFFF));
    EXPECT_TRUE(ShowsText(pixels, MaskOf(second), 8, 32, 0xFFFFFFFF));
    EXPECT_EQ(wrapped.GetFontRect().Width(), MaskOf(first).width);
    pixels = Frame([&] { plain.Render(); });
    EXPECT_TRUE(ShowsText(pixels, MaskOf(words.substr(0, 70)), 8, 12, 0xFFFFFFFF));
    EXPECT_TRUE(ShowsText(pixels, MaskOf(words.substr(70)), 8, 32, 0xFFFFFFFF));
    // The setter switches it on the spot.
    plain.SetWordWrap(true);
    EXPECT_EQ(Frame([&] { plain.Render(); }), Frame([&] { wrapped.Render(); }));
}

TEST_F(StaticTest, CaptionsInBothEncodingsDrawAlikeAndAreCutBetweenCharacters) {
    const Chars title{{Ascii("G"), Ascii("o"), Ascii(" "), kCharZhong, kCharWen}};
    const Chars longCaption = Repeat({Ascii("a")}, kCharZhong, 200);  // past the 255-byte field either way
    std::vector<DWORD> frames[2];
    for (TextEncoding encoding : kEncodings) {
        EncodingScope scope(encoding);
        SCOPED_TRACE(NameOf(encoding));
        WriteIni("s.ini",
                 "[L]\nt=Title\nl=Long\n[Title]\nGUIType=3\nID=30\nPosition=20,40\nCaption=" + title.In(encoding) +
                     "\nFontSize=16\n[Long]\nGUIType=3\nID=31\nPosition=0,100\nCaption=" + longCaption.In(encoding) +
                     "\n");
        ASSERT_TRUE(manager->LoadFromFile("s.ini"));
        char caption[256];
        static_cast<GStatic*>(manager->GetElement(31))->GetCaption(caption);
        EXPECT_EQ(std::string(caption), longCaption.Fitting(encoding, 255));
        frames[encoding] = Frame([&] { manager->GetElement(30)->Render(); });
        manager->Reset();
    }
    EXPECT_EQ(frames[TEXT_ENCODING_UTF8], frames[TEXT_ENCODING_GBK]);
    EXPECT_TRUE(ShowsText(frames[TEXT_ENCODING_GBK], MaskOf(title.In(TEXT_ENCODING_GBK), 16), 20, 40, 0xFFFFFFFF));
}

TEST_F(StaticTest, MultiLineTextNeverReportsAPress) {
    WriteIni("m.ini", "[L]\nm=M\n[M]\nGUIType=260\nID=40\nPosition=8,12\nCaption=Press here\n");
    ASSERT_TRUE(manager->LoadFromFile("m.ini"));
    Run({MoveAndButton(10, 14, true), Left(false)});
    EXPECT_TRUE(game.events.empty());
}

}  // namespace
