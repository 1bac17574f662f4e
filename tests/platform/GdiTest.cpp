// The GDI stand-in: faces, heights, extents, GBK and UTF-8 text, drawing into DIB sections
// and failure on bad handles and arguments.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include <velmora/Velmora.h>

#include "support/Encodings.h"

namespace {

const char kSongGbk[] = "\xCB\xCE\xCC\xE5";  // 宋体 in code page 936
const char kSong[] = "\xCB\xCE";             // 宋
const char kSongFamily[] = "AR PL UMing CN";
constexpr uint32_t kPaper = 0x00C0FFEE;  // a background no text colour here produces
constexpr int kWidth = 160;
constexpr int kHeight = 48;

HBITMAP MakeDib(int width, int height, uint32_t** bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    *bits = static_cast<uint32_t*>(pixels);
    return bitmap;
}

struct Box {
    int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;  // right, bottom exclusive
    int count = 0;
};

class GdiTest : public ::testing::Test {
protected:
    void SetUp() override {
        dc = CreateCompatibleDC(nullptr);
        ASSERT_NE(dc, nullptr);
        bitmap = MakeDib(kWidth, -kHeight, &bits);
        ASSERT_NE(bitmap, nullptr);
        ASSERT_NE(bits, nullptr);
        firstBitmap = SelectObject(dc, bitmap);
        ASSERT_NE(firstBitmap, nullptr);
        firstFont = SelectObject(dc, Font(-12));
        ASSERT_NE(firstFont, nullptr);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(255, 255, 255));
        Clear();
    }
    void TearDown() override {
        vlm_SetACP(936);  // whatever a failed test left
        SelectObject(dc, firstFont);
        SelectObject(dc, firstBitmap);
        EXPECT_TRUE(DeleteDC(dc));
        EXPECT_TRUE(DeleteObject(bitmap));
        for (HFONT font : fonts) EXPECT_TRUE(DeleteObject(font));
    }

    // A font kept until the end of the test.
    HFONT Font(int height, const char* face = kSongGbk, int width = 0, int weight = FW_NORMAL, DWORD italic = 0,
               DWORD underline = 0, DWORD strike = 0, DWORD quality = DEFAULT_QUALITY) {
        HFONT font = CreateFontA(height, width, 0, 0, weight, italic, underline, strike, DEFAULT_CHARSET,
                                 OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, quality, DEFAULT_PITCH | FF_SWISS, face);
        EXPECT_NE(font, nullptr) << height << " " << (face ? face : "(null)");
        if (font) fonts.push_back(font);
        return font;
    }
    void Use(HFONT font) { SelectObject(dc, font); }
    void Clear(uint32_t value = kPaper) { std::fill(bits, bits + kWidth * kHeight, value); }
    std::vector<uint32_t> Pixels() const { return std::vector<uint32_t>(bits, bits + kWidth * kHeight); }
    SIZE Extent(const std::string& text) {
        SIZE size{-1, -1};
        EXPECT_TRUE(GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size));
        return size;
    }
    TEXTMETRICA Metrics() {
        TEXTMETRICA tm{};
        EXPECT_TRUE(GetTextMetricsA(dc, &tm));
        return tm;
    }
    std::string Face() {
        char name[LF_FACESIZE] = {};
        GetTextFaceA(dc, sizeof(name), name);
        return name;
    }
    std::vector<uint32_t> Draw(int x, int y, const std::string& text) {
        Clear();
        EXPECT_TRUE(TextOutA(dc, x, y, text.data(), static_cast<int>(text.size())));
        return Pixels();
    }
    // Where the pixels differ from the paper.
    Box Changed() const {
        Box box;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                if (bits[y * kWidth + x] != kPaper) {
                    box.left = std::min(box.left, x);
                    box.top = std::min(box.top, y);
                    box.right = std::max(box.right, x + 1);
                    box.bottom = std::max(box.bottom, y + 1);
                    box.count += 1;
                }
        return box;
    }

    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    uint32_t* bits = nullptr;
    HGDIOBJ firstBitmap = nullptr;
    HGDIOBJ firstFont = nullptr;
    std::vector<HFONT> fonts;
};

TEST_F(GdiTest, SongFaceNamesAndUnknownNamesResolveToUMing) {
    const char* const names[] = {
        nullptr,   "",        kSongGbk,       "宋体", "SimSun", "simsun", "\xD0\xC2\xCB\xCE\xCC\xE5" /* 新宋体 */,
        "NSimSun", "MS Song", "No Such Face", "\xCB" /* a lone lead byte */};
    for (const char* name : names) {
        Use(Font(-12, name));
        EXPECT_EQ(Face(), kSongFamily) << (name ? name : "(null)");
    }
    // An installed family is taken as named.
    Use(Font(-12, "DejaVu Sans"));
    EXPECT_EQ(Face(), "DejaVu Sans");
    // A fresh device context and the stock fonts use the Song face too.
    SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    EXPECT_EQ(Face(), kSongFamily);
    HDC fresh = CreateCompatibleDC(dc);
    char name[LF_FACESIZE] = {};
    EXPECT_EQ(GetTextFaceA(fresh, 5, name), 4);
    EXPECT_STREQ(name, "AR P");
    EXPECT_EQ(GetTextFaceA(fresh, 0, nullptr), static_cast<int>(sizeof(kSongFamily)));
    DeleteDC(fresh);
}

TEST_F(GdiTest, PositiveHeightIsTheCellNegativeTheEm) {
    struct Case {
        int height, width;
        LONG cell, em, aveWidth;  // 0: not checked
    };
    const Case cases[] = {
        {12, 0, 12, 11, 0}, {-12, 0, 13, 12, 6},   {24, 0, 24, 0, 0}, {-24, 0, 0, 24, 12},
        {0, 0, 13, 12, 6},  {-12, 12, 13, 12, 12}, {1, 0, 1, 1, 0},
    };
    for (const Case& c : cases) {
        Use(Font(c.height, kSongGbk, c.width));
        TEXTMETRICA tm = Metrics();
        std::string what = std::to_string(c.height) + "/" + std::to_string(c.width);
        EXPECT_EQ(tm.tmAscent + tm.tmDescent, tm.tmHeight) << what;
        if (c.cell) {
            EXPECT_EQ(tm.tmHeight, c.cell) << what;
        }
        if (c.em) {
            EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, c.em) << what;
        }
        if (c.aveWidth) {
            EXPECT_EQ(tm.tmAveCharWidth, c.aveWidth) << what;
            EXPECT_EQ(Extent("AB").cx, 2 * c.aveWidth) << what;  // Song Latin letters are half an em
        }
        EXPECT_EQ(Extent("A").cy, tm.tmHeight) << what;
    }
}

TEST_F(GdiTest, DoubleByteCharactersAreFullWidth) {
    EXPECT_EQ(Extent("A").cx, 6);
    EXPECT_EQ(Extent("AB").cx, 12);
    EXPECT_EQ(Extent(kSongGbk).cx, 24);
    EXPECT_EQ(Extent(std::string("A") + kSong).cx, 18);
    EXPECT_EQ(Extent(kSongGbk).cy, 13);
    SIZE size{-1, -1};
    EXPECT_TRUE(GetTextExtentPoint32A(dc, "AB", 1, &size));  // the count bounds the text
    EXPECT_EQ(size.cx, 6);
    EXPECT_TRUE(GetTextExtentPoint32A(dc, "", 0, &size));
    EXPECT_EQ(size.cx, 0);
    EXPECT_EQ(size.cy, 13);
}

TEST_F(GdiTest, BytesThatAreNoCharacterBecomeAQuestionMark) {
    struct Case {
        std::string bytes, same;
    };
    const Case cases[] = {
        {"\xFF", "?"},
        {"A\xCB", "A?"},      // a lead byte cut from its trail byte
        {"\x81 B", "? B"},    // a lead byte before a byte that cannot trail
        {"\xA2\xA0Z", "?Z"},  // a well-formed pair with no character: one '?'
        {std::string("\0A", 2), std::string("\0A", 2)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Extent(c.bytes).cx, Extent(c.same).cx) << c.same;
        std::vector<uint32_t> expected = Draw(4, 4, c.same);
        EXPECT_EQ(Draw(4, 4, c.bytes), expected) << c.same;
    }
    // A character is never split: the lead byte alone is a '?', not half a glyph.
    SIZE size{};
    EXPECT_TRUE(GetTextExtentPoint32A(dc, kSongGbk, 3, &size));
    EXPECT_EQ(size.cx, Extent(std::string(kSong) + "?").cx);
}

TEST_F(GdiTest, Utf8TextDrawsAndMeasuresAsItsGbkForm) {
    const Chars texts[] = {
        {{kCharZhong, kCharWen}},
        {{Ascii("A"), kCharZhong, Ascii("b"), kCharWen, kCharKao, Ascii("!")}},
        {{kCharSong, kCharTi, Ascii("A"), Ascii("g")}},
    };
    for (const Chars& text : texts) {
        SCOPED_TRACE(text.In(TEXT_ENCODING_UTF8));
        ASSERT_TRUE(vlm_SetACP(936));
        const SIZE gbkSize = Extent(text.In(TEXT_ENCODING_GBK));
        const std::vector<uint32_t> gbk = Draw(4, 4, text.In(TEXT_ENCODING_GBK));
        EXPECT_GT(Changed().count, 20);
        ASSERT_TRUE(vlm_SetACP(CP_UTF8));
        const SIZE utf8Size = Extent(text.In(TEXT_ENCODING_UTF8));
        EXPECT_EQ(utf8Size.cx, gbkSize.cx);
        EXPECT_EQ(utf8Size.cy, gbkSize.cy);
        EXPECT_EQ(Draw(4, 4, text.In(TEXT_ENCODING_UTF8)), gbk);
    }
    // Under UTF-8 a byte that starts no character is a '?' of its own, GBK text included.
    const struct {
        std::string bytes, same;
    } bad[] = {
        {"\xE4\xB8"
         "A",
         "??A"},
        {"\xC0\xAF\xFF", "???"},
        {"\xED\xA0\x80", "???"},
        {"\xD6\xD0\xCE\xC4", "????"},
    };
    for (const auto& c : bad) {
        EXPECT_EQ(Extent(c.bytes).cx, Extent(c.same).cx) << c.same;
        const std::vector<uint32_t> expected = Draw(4, 4, c.same);
        EXPECT_EQ(Draw(4, 4, c.bytes), expected) << c.same;
    }
    // A count that ends inside a character never draws half of it; the face keeps its name.
    const std::string chinese = Chars{{kCharZhong, kCharWen}}.In(TEXT_ENCODING_UTF8);
    SIZE size{};
    EXPECT_TRUE(GetTextExtentPoint32A(dc, chinese.data(), 4, &size));
    EXPECT_EQ(size.cx, Extent(kCharZhong.utf8 + std::string("?")).cx);
    Use(Font(-12, (std::string(kCharSong.utf8) + kCharTi.utf8).c_str()));
    EXPECT_EQ(Face(), kSongFamily);
    ASSERT_TRUE(vlm_SetACP(936));
}

TEST_F(GdiTest, TextIsDrawnInTheTextColourInsideItsCell) {
    // The engine's own sequence for its text textures: height 12, weight 400, face 宋体.
    HFONT engineFont = CreateFontA(12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                   CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS, kSongGbk);
    ASSERT_NE(engineFont, nullptr);
    fonts.push_back(engineFont);
    Use(engineFont);
    EXPECT_EQ(SetMapMode(dc, MM_TEXT), MM_TEXT);
    EXPECT_EQ(SetTextColor(dc, RGB(0x12, 0x34, 0x56)), RGB(255, 255, 255));
    for (const std::string& text : {std::string("Ag"), std::string(kSongGbk)}) {
        Draw(10, 5, text);
        SIZE size = Extent(text);
        Box box = Changed();
        EXPECT_GT(box.count, 10) << text;
        EXPECT_GE(box.left, 10);
        EXPECT_GE(box.top, 5);
        EXPECT_LE(box.right, 10 + size.cx);
        EXPECT_LE(box.bottom, 5 + size.cy);
        for (uint32_t pixel : Pixels()) ASSERT_TRUE(pixel == kPaper || pixel == 0x00123456) << std::hex << pixel;
    }
}

TEST_F(GdiTest, AlignmentPlacesTheCellAroundTheReferencePoint) {
    const std::string text = std::string("A") + kSong;
    const SIZE size = Extent(text);
    const LONG ascent = Metrics().tmAscent;
    ASSERT_EQ(size.cx, 18);
    const std::vector<uint32_t> reference = Draw(20, 10, text);
    struct Case {
        UINT align;
        int x, y;
    };
    const Case cases[] = {
        {TA_RIGHT, 20 + size.cx, 10},
        {TA_CENTER, 20 + size.cx / 2, 10},
        {TA_BOTTOM, 20, 10 + size.cy},
        {TA_BASELINE, 20, 10 + ascent},
        {TA_CENTER | TA_BASELINE, 20 + size.cx / 2, 10 + ascent},
        {TA_RIGHT | TA_BOTTOM, 20 + size.cx, 10 + size.cy},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SetTextAlign(dc, c.align), TA_LEFT | TA_TOP);
        EXPECT_EQ(Draw(c.x, c.y, text), reference) << c.align;
        SetTextAlign(dc, TA_LEFT | TA_TOP);
    }
}

TEST_F(GdiTest, OpaqueModeFillsTheCellWithTheBackgroundColour) {
    EXPECT_EQ(SetBkMode(dc, OPAQUE), TRANSPARENT);
    SetBkColor(dc, RGB(0, 0, 255));
    const std::string text = std::string("x") + kSong;
    const SIZE size = Extent(text);
    Draw(5, 7, text);
    int ink = 0, paper = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            uint32_t pixel = bits[y * kWidth + x];
            bool inCell = x >= 5 && x < 5 + size.cx && y >= 7 && y < 7 + size.cy;
            if (!inCell) {
                ASSERT_EQ(pixel, kPaper) << x << "," << y;
            } else {
                ASSERT_TRUE(pixel == 0x00FFFFFF || pixel == 0x000000FF) << std::hex << pixel;
                (pixel == 0x00FFFFFF ? ink : paper) += 1;
            }
        }
    EXPECT_GT(ink, 10);
    EXPECT_GT(paper, ink);
}

// The bounds hold every pixel text output changed, clipped to the bitmap, only while they
// are collected, until they are reset.
TEST_F(GdiTest, BoundsHoldWhatTextOutputWrote) {
    RECT bounds{1, 2, 3, 4};
    EXPECT_EQ(GetBoundsRect(dc, &bounds, 0), UINT(DCB_RESET));  // empty, and not collected
    EXPECT_EQ(bounds.right, 0);
    Draw(10, 5, "Ag");
    EXPECT_EQ(GetBoundsRect(dc, &bounds, 0), UINT(DCB_RESET));
    EXPECT_EQ(SetBoundsRect(dc, nullptr, DCB_ENABLE), UINT(DCB_RESET | DCB_DISABLE));

    struct Case {
        int x, y;
        const char* text;
        int bkMode;
    };
    const Case cases[] = {
        {10, 5, "Ag", TRANSPARENT},
        {-4, -3, kSongGbk, TRANSPARENT},          // clipped at the top left
        {kWidth - 9, kHeight - 7, "WW", OPAQUE},  // clipped at the bottom right, the cell filled
    };
    for (const Case& c : cases) {
        SetBkMode(dc, c.bkMode);
        SetBkColor(dc, RGB(0, 0, 255));
        Draw(c.x, c.y, c.text);
        const Box changed = Changed();
        ASSERT_GT(changed.count, 0) << c.text;
        EXPECT_EQ(GetBoundsRect(dc, &bounds, DCB_RESET), UINT(DCB_SET)) << c.text;
        EXPECT_LE(bounds.left, changed.left) << c.text;
        EXPECT_LE(bounds.top, changed.top) << c.text;
        EXPECT_GE(bounds.right, changed.right) << c.text;
        EXPECT_GE(bounds.bottom, changed.bottom) << c.text;
        EXPECT_TRUE(bounds.left >= 0 && bounds.top >= 0 && bounds.right <= kWidth && bounds.bottom <= kHeight);
        // Within the text's cell, where the cell lies inside the bitmap.
        const SIZE size = Extent(c.text);
        EXPECT_GE(bounds.left, std::max(c.x, 0)) << c.text;
        EXPECT_LE(bounds.right, std::min<LONG>(c.x + size.cx, kWidth)) << c.text;
        if (c.bkMode == OPAQUE) {
            EXPECT_EQ(bounds.right - bounds.left, kWidth - c.x);
        }
        EXPECT_EQ(GetBoundsRect(dc, &bounds, 0), UINT(DCB_RESET));  // the reset emptied them
    }
    SetBkMode(dc, TRANSPARENT);

    // Output outside the bitmap adds nothing; a rectangle can be added by hand; collection
    // stops when disabled.
    Draw(-100, -100, "A");
    EXPECT_EQ(GetBoundsRect(dc, &bounds, 0), UINT(DCB_RESET));
    const RECT added{3, 4, 5, 6};
    EXPECT_EQ(SetBoundsRect(dc, &added, DCB_ACCUMULATE), UINT(DCB_RESET | DCB_ENABLE));
    EXPECT_EQ(SetBoundsRect(dc, nullptr, DCB_DISABLE), UINT(DCB_SET | DCB_ENABLE));
    Draw(50, 20, "A");
    EXPECT_EQ(GetBoundsRect(dc, &bounds, 0), UINT(DCB_SET));
    EXPECT_TRUE(bounds.left == 3 && bounds.top == 4 && bounds.right == 5 && bounds.bottom == 6);

    EXPECT_EQ(SetBoundsRect(nullptr, nullptr, DCB_ENABLE), 0u);
    EXPECT_EQ(SetBoundsRect(dc, nullptr, DCB_ENABLE | DCB_DISABLE), 0u);
    EXPECT_EQ(SetBoundsRect(dc, nullptr, 0x100), 0u);
    EXPECT_EQ(GetBoundsRect(dc, nullptr, 0), 0u);
    EXPECT_EQ(GetBoundsRect(reinterpret_cast<HDC>(bitmap), &bounds, 0), 0u);
}

TEST_F(GdiTest, BottomUpDibHoldsTheSameImageRowsReversed) {
    const std::vector<uint32_t> topDown = Draw(3, 2, kSongGbk);
    uint32_t* upBits = nullptr;
    HBITMAP up = MakeDib(kWidth, kHeight, &upBits);
    ASSERT_NE(up, nullptr);
    HGDIOBJ previous = SelectObject(dc, up);
    EXPECT_EQ(previous, bitmap);
    std::fill(upBits, upBits + kWidth * kHeight, kPaper);
    EXPECT_TRUE(TextOutA(dc, 3, 2, kSongGbk, 4));
    for (int row = 0; row < kHeight; ++row)
        ASSERT_EQ(0, std::memcmp(&upBits[row * kWidth], &topDown[(kHeight - 1 - row) * kWidth], kWidth * 4)) << row;
    SelectObject(dc, previous);
    EXPECT_TRUE(DeleteObject(up));
}

TEST_F(GdiTest, GreyLevelsOnlyForLargeAntialiasedText) {
    struct Case {
        DWORD quality;
        int height;
        bool grey;
    };
    const Case cases[] = {
        {DEFAULT_QUALITY, -12, false}, {ANTIALIASED_QUALITY, -12, false},    {ANTIALIASED_QUALITY, -16, false},
        {DEFAULT_QUALITY, -32, false}, {NONANTIALIASED_QUALITY, -32, false}, {ANTIALIASED_QUALITY, -32, true},
    };
    for (const Case& c : cases) {
        Use(Font(c.height, kSongGbk, 0, FW_NORMAL, 0, 0, 0, c.quality));
        Draw(0, 0, std::string(kSongGbk) + "Ag");
        int grey = 0;
        for (uint32_t pixel : Pixels()) grey += pixel != kPaper && pixel != 0x00FFFFFF;
        EXPECT_EQ(grey > 0, c.grey) << c.quality << " " << c.height;
    }
}

TEST_F(GdiTest, BoldItalicUnderlineAndStrikeOut) {
    const std::string text = std::string("AB") + kSong;
    const std::vector<uint32_t> regular = Draw(2, 2, text);
    const SIZE size = Extent(text);
    const LONG ascent = Metrics().tmAscent;

    Use(Font(-12, kSongGbk, 0, FW_BOLD));  // the Song face has no bold: one pixel wider per character
    EXPECT_EQ(Extent(text).cx, size.cx + 3);
    Draw(2, 2, text);
    int boldInk = Changed().count;
    Use(fonts.front());
    Draw(2, 2, text);
    EXPECT_GT(boldInk, Changed().count);

    Use(Font(-12, kSongGbk, 0, FW_NORMAL, TRUE));  // slanted, same advances
    EXPECT_EQ(Extent(text).cx, size.cx);
    EXPECT_NE(Draw(2, 2, text), regular);

    // A stroke is a row of ink across the whole text: below the baseline, or above it.
    for (bool underline : {true, false}) {
        Use(Font(-12, kSongGbk, 0, FW_NORMAL, 0, underline, !underline));
        Draw(2, 2, text);
        int fullRow = -1;
        for (int y = 0; y < kHeight && fullRow < 0; ++y) {
            bool full = true;
            for (int x = 2; x < 2 + size.cx; ++x) full = full && bits[y * kWidth + x] == 0x00FFFFFF;
            if (full && bits[y * kWidth + 1] == kPaper && bits[y * kWidth + 2 + size.cx] == kPaper) fullRow = y;
        }
        ASSERT_GE(fullRow, 0) << underline;
        if (underline) {
            EXPECT_GE(fullRow, 2 + ascent);
            EXPECT_LT(fullRow, 2 + size.cy);
        } else {
            EXPECT_LT(fullRow, 2 + ascent);
            EXPECT_GT(fullRow, 2);
        }
    }
}

TEST_F(GdiTest, AFaceWithoutChineseBorrowsTheSongGlyphs) {
    Use(Font(-12, "DejaVu Sans"));
    EXPECT_EQ(Face(), "DejaVu Sans");
    EXPECT_EQ(Extent(kSong).cx, 12);  // the Song face's advance at 12 pixels
    Draw(0, 0, kSong);
    EXPECT_GT(Changed().count, 10);
}

TEST_F(GdiTest, ObjectsReportWhatTheyAre) {
    BITMAP info{};
    EXPECT_EQ(GetObjectA(bitmap, sizeof(info), &info), static_cast<int>(sizeof(BITMAP)));
    EXPECT_EQ(info.bmWidth, kWidth);
    EXPECT_EQ(info.bmHeight, kHeight);
    EXPECT_EQ(info.bmBitsPixel, 32);
    EXPECT_EQ(info.bmBits, bits);
    LOGFONTA logFont{};
    EXPECT_EQ(GetObjectA(fonts.front(), sizeof(logFont), &logFont), static_cast<int>(sizeof(LOGFONTA)));
    EXPECT_EQ(logFont.lfHeight, -12);
    EXPECT_STREQ(logFont.lfFaceName, kSongGbk);
    EXPECT_EQ(GetObjectA(nullptr, sizeof(logFont), &logFont), 0);
    // Selecting returns the object replaced, so the caller can put it back.
    HFONT other = Font(20);
    EXPECT_EQ(SelectObject(dc, other), fonts.front());
    EXPECT_EQ(SelectObject(dc, fonts.front()), other);
    TEXTMETRICA tm = Metrics();
    EXPECT_EQ(tm.tmCharSet, GB2312_CHARSET);
    EXPECT_EQ(tm.tmWeight, FW_NORMAL);
}

TEST_F(GdiTest, BadHandlesAndArgumentsFailCleanly) {
    SIZE size{};
    TEXTMETRICA tm{};
    HDC gone = CreateCompatibleDC(nullptr);
    ASSERT_TRUE(DeleteDC(gone));
    for (HDC bad : {static_cast<HDC>(nullptr), gone, reinterpret_cast<HDC>(bitmap)}) {
        EXPECT_FALSE(TextOutA(bad, 0, 0, "A", 1));
        EXPECT_FALSE(GetTextExtentPoint32A(bad, "A", 1, &size));
        EXPECT_FALSE(GetTextMetricsA(bad, &tm));
        EXPECT_EQ(GetTextFaceA(bad, 0, nullptr), 0);
        EXPECT_EQ(SetTextColor(bad, 0), CLR_INVALID);
        EXPECT_EQ(SetBkColor(bad, 0), CLR_INVALID);
        EXPECT_EQ(SetBkMode(bad, OPAQUE), 0);
        EXPECT_EQ(SetTextAlign(bad, TA_LEFT), GDI_ERROR);
        EXPECT_EQ(SetMapMode(bad, MM_TEXT), 0);
        EXPECT_EQ(SelectObject(bad, fonts.front()), nullptr);
        EXPECT_FALSE(DeleteDC(bad));
        EXPECT_EQ(CreateCompatibleDC(bad ? bad : gone), nullptr);
    }
    EXPECT_FALSE(TextOutA(dc, 0, 0, nullptr, 3));
    EXPECT_FALSE(TextOutA(dc, 0, 0, "A", -1));
    EXPECT_FALSE(GetTextExtentPoint32A(dc, "A", -1, &size));
    EXPECT_FALSE(GetTextExtentPoint32A(dc, "A", 1, nullptr));
    EXPECT_FALSE(GetTextMetricsA(dc, nullptr));
    EXPECT_TRUE(TextOutA(dc, 0, 0, nullptr, 0));
    EXPECT_TRUE(TextOutA(dc, INT_MIN, INT_MAX, "AB", 2));  // far outside: clipped away
    EXPECT_TRUE(TextOutA(dc, INT_MAX, INT_MIN, kSongGbk, 4));
    EXPECT_EQ(SetMapMode(dc, 2), 0);
    EXPECT_EQ(SetBkMode(dc, 7), 0);

    // Fonts: sizes no one can render, and handles deleted.
    for (int height : {100000, -100000, INT_MIN, INT_MAX})
        EXPECT_EQ(CreateFontA(height, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, kSongGbk), nullptr) << height;
    EXPECT_EQ(CreateFontA(-12, INT_MIN, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, kSongGbk), nullptr);
    EXPECT_EQ(CreateFontIndirectA(nullptr), nullptr);
    HFONT deleted = CreateFontA(-12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, nullptr);
    ASSERT_NE(deleted, nullptr);
    EXPECT_TRUE(DeleteObject(deleted));
    EXPECT_FALSE(DeleteObject(deleted));
    EXPECT_EQ(SelectObject(dc, deleted), nullptr);
    EXPECT_FALSE(DeleteObject(dc));  // a device context is deleted with DeleteDC
    EXPECT_FALSE(DeleteObject(nullptr));

    // Stock brushes exist but cannot be selected; deleting a stock object is harmless.
    HGDIOBJ brush = GetStockObject(BLACK_BRUSH);
    EXPECT_NE(brush, nullptr);
    EXPECT_EQ(SelectObject(dc, brush), nullptr);
    EXPECT_TRUE(DeleteObject(brush));
    EXPECT_TRUE(DeleteObject(GetStockObject(SYSTEM_FONT)));
    EXPECT_EQ(GetStockObject(-1), nullptr);
    EXPECT_EQ(GetStockObject(99), nullptr);

    // A selected bitmap is neither deleted nor shared.
    EXPECT_FALSE(DeleteObject(bitmap));
    HDC second = CreateCompatibleDC(nullptr);
    EXPECT_EQ(SelectObject(second, bitmap), nullptr);
    DeleteDC(second);
}

TEST_F(GdiTest, DibSectionsOfImpossibleShapesAreRefused) {
    struct Case {
        LONG width, height;
        WORD bitCount;
        DWORD compression;
    };
    const Case cases[] = {
        {0, -10, 32, BI_RGB},        {-5, -10, 32, BI_RGB},
        {10, 0, 32, BI_RGB},         {40000, -10, 32, BI_RGB},
        {20000, -20000, 32, BI_RGB}, {10, INT_MIN, 32, BI_RGB},
        {10, -10, 24, BI_RGB},       {10, -10, 32, 3 /* bit fields */},
    };
    for (const Case& c : cases) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), c.width, c.height, 1, c.bitCount, c.compression, 0, 0, 0, 0, 0};
        void* pixels = &info;
        EXPECT_EQ(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0), nullptr) << c.width;
        EXPECT_EQ(pixels, nullptr);
    }
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 4, -4, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* pixels = nullptr;
    EXPECT_EQ(CreateDIBSection(nullptr, nullptr, DIB_RGB_COLORS, &pixels, nullptr, 0), nullptr);
    EXPECT_EQ(CreateDIBSection(nullptr, &info, 7, &pixels, nullptr, 0), nullptr);
    EXPECT_EQ(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, reinterpret_cast<HANDLE>(1), 0), nullptr);
    EXPECT_EQ(CreateDIBSection(reinterpret_cast<HDC>(bitmap), &info, DIB_RGB_COLORS, &pixels, nullptr, 0), nullptr);
    HBITMAP small = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    ASSERT_NE(small, nullptr);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(static_cast<uint32_t*>(pixels)[i], 0u);  // starts cleared
    EXPECT_TRUE(DeleteObject(small));
}

}  // namespace
