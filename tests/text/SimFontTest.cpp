// CSimFont on the real device: one texture, rendered again only for another text.
#include "support/TextFixture.h"

namespace {

class ProbeSimFont : public CSimFont {
public:
    using CSimFont::m_hTexture;
    using CSimFont::m_pTexture;
};

class SimFontTest : public TextTest {
protected:
    // Marks the texture's first texel, in every text's cell; a new rendering of a text clears
    // the mark.
    static void Mark(CFontTexture* texture) {
        D3DLOCKED_RECT locked{};
        ASSERT_EQ(texture->GetTexture()->LockRect(0, &locked, nullptr, 0), D3D_OK);
        First(locked, texture) = 0x1234;
        texture->GetTexture()->UnlockRect(0);
    }
    static bool Marked(CFontTexture* texture) {
        D3DLOCKED_RECT locked{};
        if (texture->GetTexture()->LockRect(0, &locked, nullptr, D3DLOCK_READONLY) != D3D_OK) return false;
        const bool marked = First(locked, texture) == 0x1234;
        texture->GetTexture()->UnlockRect(0);
        return marked;
    }
    static WORD& First(const D3DLOCKED_RECT& locked, CFontTexture*) { return *static_cast<WORD*>(locked.pBits); }
};

TEST_F(SimFontTest, DrawsCentredOrNotAndRendersOnlyOnAChangeOfText) {
    ProbeSimFont font;
    ASSERT_TRUE(font.CreateFontA(kSongGbk, 12, 0, 400));
    ASSERT_NE(font.m_pTexture, nullptr);
    const TextMask first = MaskOf("first"), second = MaskOf("\xD6\xD0\xCE\xC4 second");

    auto frame = Frame([&] { font.DrawTextA(7, 9, 0xFF80FF80, false, "%s", "first"); });
    EXPECT_EQ(Diff(frame, Expected({{first, 7, 9, 0xFF80FF80}})), "");
    Mark(font.m_pTexture);
    Frame([&] { font.DrawTextA(7, 9, 0xFF80FF80, false, "first"); });
    EXPECT_TRUE(Marked(font.m_pTexture));  // drawn again without rendering

    frame = Frame([&] { font.DrawTextA(100, 50, 0xFFFF0000, true, "%s second", "\xD6\xD0\xCE\xC4"); });
    EXPECT_EQ(Diff(frame, Expected({{second, 100 - second.width / 2, 50 - second.height / 2, 0xFFFF0000}})), "");
    Mark(font.m_pTexture);
    Frame([&] { font.DrawTextA(7, 9, 0xFF80FF80, false, "first"); });
    EXPECT_FALSE(Marked(font.m_pTexture));  // the first text again: rendered again
}

// One texture takes text after text: each new one rewrites only what the last one and it
// lit, which must leave nothing of the last one, whether the texture keeps its size or not.
TEST_F(SimFontTest, EachTextLeavesNothingOfTheLast) {
    ProbeSimFont font;
    ASSERT_TRUE(font.CreateFontA(kSongGbk, 12, 0, 400));
    const std::string wide(70, 'W');  // over 512 pixels: the wider texture
    const char* const texts[] = {"\xD6\xD0\xCE\xC4 a longer text, gjpqy", "i", "__", wide.c_str(), "Tj", "-"};
    for (const char* text : texts) {
        const auto frame = Frame([&] { font.DrawTextA(5, 20, 0xFFFFFFFF, false, "%s", text); });
        EXPECT_EQ(Diff(frame, Expected({{MaskOf(text), 5, 20, 0xFFFFFFFF}})), "") << text;
    }
}

TEST_F(SimFontTest, WideTextIsClippedToTheLargestTexture) {
    ProbeSimFont font;
    ASSERT_TRUE(font.CreateFontA(kSongGbk, 12, 0, 400));
    const std::string text(250, 'W');
    ASSERT_GT(font.GetStringRect(text.c_str()).right, 1024);
    Frame([&] { font.DrawTextA(0, 0, 0xFFFFFFFF, false, "%s", text.c_str()); });
    EXPECT_EQ(font.m_pTexture->GetWidth(), 1024);
    EXPECT_EQ(font.m_pTexture->GetHeight(), 32);
}

TEST_F(SimFontTest, WithoutAFontOrAfterTheEngineNothingIsDrawn) {
    ProbeSimFont none;
    EXPECT_FALSE(none.CreateFontA(kSongGbk, 5000, 0, 400));
    EXPECT_NE(VelmoraTest::TakeMessageBoxes().at(0).text.find("Create font fail["), std::string::npos);
    const auto frame = Frame([&] { none.DrawTextA(0, 0, 0xFFFFFFFF, false, "nothing"); });
    EXPECT_EQ(Diff(frame, Expected({})), "");

    // Creating again releases the earlier texture; the engine's end releases the last one.
    ProbeSimFont font;
    ASSERT_TRUE(font.CreateFontA(kSongGbk, 12, 0, 400));
    const DWORD earlier = font.m_hTexture;
    ASSERT_TRUE(font.CreateFontA(kSongGbk, 16, 0, 700));
    EXPECT_EQ(GetTextureManager()->GetTexture(earlier), nullptr);
    Frame([&] { font.DrawTextA(0, 0, 0xFFFFFFFF, false, "bold"); });
    game.Destroy();
    EXPECT_EQ(font.m_pTexture, nullptr);
    font.DrawTextA(0, 0, 0xFFFFFFFF, false, "no engine");
}

}  // namespace
