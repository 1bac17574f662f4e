// What windows and buttons put on the real device: a plain tinted picture, the nine-cell skin
// tiled and stretched, a framed window with background, frame, header and caption, hidden
// subtrees, and CoolButton's additive highlight.
#include "support/GuiFixture.h"
#include "support/TextFixture.h"

namespace {

using RenderTest = GuiTest;

// The nine cells of a 96 x 96 skin, each its own solid colour, row after row.
const DWORD kCells[3][3] = {
    {0xFFC00000, 0xFF00C000, 0xFF0000C0}, {0xFFC0C000, 0xFF80A0F0, 0xFFC000C0}, {0xFF00C0C0, 0xFF606060, 0xFFF0A040}};
constexpr DWORD kTint = 0xFF808080;

Picture NineCellSkin() {
    return Painted(96, 96, [](int x, int y) { return kCells[y / 32][x / 32]; });
}

TEST_F(RenderTest, PlainPictureTintedAtItsPosition) {
    // Distinct texels, half of them translucent.
    Picture picture =
        Painted(12, 8, [](int x, int y) { return DWORD(x % 2 ? 0x80 : 0xFF) << 24 | DWORD(x * 20) << 16 | y * 30; });
    WriteAmf("plain.amf", {picture});
    WriteIni("w.ini", "[W]\nFile=plain.amf\nPicture=0\nPosition=21,13\nColor=0xFF80FF80\n");
    CWindow w;
    w.LoadFromIni("w.ini", "W");
    auto pixels = Frame([&] { w.Render(); });
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 12; ++x) {
            const DWORD expected = Over(Modulate(picture.pixels[size_t(y * 12 + x)], 0xFF80FF80), kPaper);
            ASSERT_TRUE(Near(At(pixels, 21 + x, 13 + y), expected))
                << x << "," << y << ": " << std::hex << At(pixels, 21 + x, 13 + y);
        }
    EXPECT_EQ(At(pixels, 20, 13), kPaper & 0xFFFFFF);
    EXPECT_EQ(At(pixels, 33, 20), kPaper & 0xFFFFFF);
}

// Which cell of the skin a window pixel shows: 0 for the first 32 pixels, 2 for the last
// 32, 1 between.
int Region(int offset, int size) { return offset < 32 ? 0 : offset >= size - 32 ? 2 : 1; }

TEST_F(RenderTest, TiledSkinOfA100By70Window) {
    WriteAmf("skin.amf", {NineCellSkin()});
    WriteIni("w.ini", "[W]\nFile=skin.amf\nPicture=0\nPosition=40,30\nWidth=100\nHeight=70\nColor=0xFF808080\n");
    CWindow w;
    w.LoadFromIni("w.ini", "W");
    w.SetFastDraw(false);
    auto pixels = Frame([&] { w.Render(); });
    // nc = 3, rc = 4, nr = 2, rr = 6: the middle row is 6 pixels high at 32, the bottom row
    // starts at 38; the middle columns cover 32-67 and the right one starts at 68.
    for (int y = 0; y < 70; ++y)
        for (int x = 0; x < 100; ++x) {
            const int col = Region(x, 100), row = Region(y, 70);
            const DWORD cell = kCells[row][col];
            const DWORD expected = (row == 1 && col == 1 ? Modulate(cell, kTint) : cell) & 0xFFFFFF;
            ASSERT_TRUE(Near(At(pixels, 40 + x, 30 + y), expected)) << x << "," << y;
        }
    EXPECT_EQ(At(pixels, 39, 30), kPaper & 0xFFFFFF);
    EXPECT_EQ(At(pixels, 140, 30), kPaper & 0xFFFFFF);
    EXPECT_EQ(At(pixels, 40, 100), kPaper & 0xFFFFFF);
}

TEST_F(RenderTest, StretchedSkinOfA100By70Window) {
    WriteAmf("skin.amf", {NineCellSkin()});
    WriteIni("w.ini", "[W]\nFile=skin.amf\nPicture=0\nPosition=40,30\nWidth=100\nHeight=70\nColor=0xFF808080\n");
    CWindow w;
    w.LoadFromIni("w.ini", "W");
    ASSERT_TRUE(w.GetFastDraw());
    auto pixels = Frame([&] { w.Render(); });
    // Corners at natural size, edges and centre stretched: each region shows its cell's
    // colour; a pixel next to a region's edge may blend with the neighbouring cell.
    auto nearEdge = [](int offset, int size) {
        for (int edge : {32, size - 32})
            if (offset >= edge - 2 && offset < edge + 2) return true;
        return false;
    };
    for (int y = 0; y < 70; ++y)
        for (int x = 0; x < 100; ++x) {
            if (nearEdge(x, 100) || nearEdge(y, 70)) continue;
            const int col = Region(x, 100), row = Region(y, 70);
            const DWORD cell = kCells[row][col];
            const DWORD expected = (row == 1 && col == 1 ? Modulate(cell, kTint) : cell) & 0xFFFFFF;
            ASSERT_TRUE(Near(At(pixels, 40 + x, 30 + y), expected)) << x << "," << y;
        }
    EXPECT_EQ(At(pixels, 139, 99), kCells[2][2] & 0xFFFFFF);
    EXPECT_EQ(At(pixels, 140, 99), kPaper & 0xFFFFFF);
}

TEST_F(RenderTest, FramedWindowWithBackgroundHeaderAndCaption) {
    // Frame strip of eight 16 x 16 cells: each cell opaque in its outer 3 pixels (towards the
    // window's edge), transparent inside, so the background's inset of 5 shows.
    const DWORD frame = 0xFFE0E000, background = 0xFF2060A0, header = 0xFFA02020;
    Picture strip = Painted(128, 16, [&](int x, int y) {
        const int k = x / 16, cx = x % 16;
        const bool outer = (k == 0 || k == 3 || k == 6) ? cx < 3 : (k == 2 || k == 5 || k == 7) ? cx >= 13 : false;
        const bool edge = (k <= 2) ? y < 3 : (k <= 5) ? y >= 13 : false;
        return outer || edge ? frame : 0;
    });
    WriteAmf("framed.amf", {strip, Solid(8, 8, background), Solid(256, 20, header)});
    WriteIni("w.ini",
             "[W]\nFile=framed.amf\nPicture=0\nBackground=1\nHeader=2\nPosition=60,40\nWidth=200\nHeight=120\n"
             "Color=0xFF808080\nCaption=Menu\n");
    CWindow w;
    w.LoadFromIni("w.ini", "W");
    auto pixels = Frame([&] { w.Render(); });
    const DWORD paper = kPaper & 0xFFFFFF, tinted = Modulate(background, kTint) & 0xFFFFFF;
    // Along the middle row: frame (3), paper (2), background, then mirrored on the right.
    const int y = 40 + 60;
    for (int x = 60; x < 63; ++x) EXPECT_EQ(At(pixels, x, y), frame & 0xFFFFFF) << x;
    for (int x = 63; x < 65; ++x) EXPECT_EQ(At(pixels, x, y), paper) << x;
    for (int x = 67; x < 253; ++x) ASSERT_TRUE(Near(At(pixels, x, y), tinted)) << x;
    for (int x = 255; x < 257; ++x) EXPECT_EQ(At(pixels, x, y), paper) << x;
    for (int x = 257; x < 260; ++x) EXPECT_EQ(At(pixels, x, y), frame & 0xFFFFFF) << x;
    EXPECT_EQ(At(pixels, 260, y), paper);
    // Down the middle column, the bottom frame edge, below the header.
    for (int yy = 157; yy < 160; ++yy) EXPECT_EQ(At(pixels, 160, yy), frame & 0xFFFFFF) << yy;
    EXPECT_TRUE(Near(At(pixels, 160, 150), tinted));
    // The header at its natural size, untinted, centred above: (x + 100 - 128, y - 12).
    EXPECT_EQ(At(pixels, 32, 28), header & 0xFFFFFF);
    EXPECT_EQ(At(pixels, 287, 28), header & 0xFFFFFF);
    EXPECT_EQ(At(pixels, 31, 28), paper);
    EXPECT_EQ(At(pixels, 288, 28), paper);
    EXPECT_EQ(At(pixels, 32, 27), paper);
    // The caption in white, centred 8 pixels below the top.
    TextMask caption = MaskOf("Menu");
    ASSERT_GT(caption.Count(), 0);
    const int left = 160 - caption.width / 2, top = 48 - caption.height / 2;
    for (int yy = 0; yy < caption.height; ++yy)
        for (int xx = 0; xx < caption.width; ++xx)
            if (caption.Lit(xx, yy)) {
                ASSERT_EQ(At(pixels, left + xx, top + yy), 0xFFFFFFu) << xx << "," << yy;
            }
}

TEST_F(RenderTest, FrameWithATransparentColourAndHiddenSubtreesDrawNothing) {
    WriteAmf("skin.amf", {NineCellSkin(), Solid(16, 16, 0xFFFFFFFF)});
    WriteIni("w.ini",
             "[Parent]\nFile=skin.amf\nPicture=0\nWidth=100\nHeight=70\n"
             "[Child]\nFile=skin.amf\nPicture=1\nPosition=40,30\n");
    CWindow parent;
    auto* child = new CWindow(&parent);
    parent.AddWindow(child);
    parent.LoadFromIni("w.ini", "Parent");
    child->LoadFromIni("w.ini", "Child");
    const std::vector<DWORD> paper(size_t(kWidth * kHeight), kPaper & 0xFFFFFF);
    EXPECT_NE(Frame([&] { parent.Render(); }), paper);
    parent.Show(false);
    EXPECT_EQ(Frame([&] { parent.Render(); }), paper);
    parent.Show(true);
    child->Show(false);
    auto pixels = Frame([&] { parent.Render(); });
    EXPECT_EQ(At(pixels, 45, 35), kCells[1][1] & 0xFFFFFF);  // untinted centre, no child
}

// A 32 x 64 picture of four 16-high states: normal, hover, pressed, disabled.
const DWORD kStates[4] = {0xC0402010, 0x80306090, 0xFF104010, 0xFF505050};

TEST_F(RenderTest, CoolButtonHoverAddsTheHoverImage) {
    WriteAmf("button.amf", {Painted(32, 64, [](int, int y) { return kStates[y / 16]; })});
    WriteIni("b.ini", "[Ok]\nGUIType=256\nID=7\nFile=button.amf\nPicture=0\nPosition=50,60\nColor=0xFFFFFFC0\n");
    auto* button = new CoolButton(manager->GetDefaultContainer());
    manager->GetDefaultContainer()->AddWindow(button);
    button->LoadFromIni("b.ini", "Ok");
    std::vector<DWORD> normal, hover, pressed;
    Run({MoveTo(5, 5), [&] { normal = Frame([&] { manager->Render(); }); }, MoveTo(55, 65),
         [&] { hover = Frame([&] { manager->Render(); }); }, Left(true),
         [&] { pressed = Frame([&] { manager->Render(); }); }, Left(false)});
    ASSERT_EQ(button->GetState(), Button::STATE_HOVER);
    const DWORD tint = 0xFFFFFFC0;
    // Away from the caption (none here), each look over the paper.
    const DWORD base = Over(Modulate(kStates[0], tint), kPaper);
    auto add = [](DWORD below, DWORD above) {
        DWORD out = 0;
        for (int shift : {0, 8, 16})
            out |= std::min<DWORD>(255, Channel(below, shift) + Channel(above, shift)) << shift;
        return out;
    };
    // The back buffer has no alpha, so DESTALPHA is 1: the hover colour is added whole.
    const DWORD lit = add(base, Modulate(kStates[1], tint));
    const DWORD down = add(Over(Modulate(kStates[2], tint), kPaper), Modulate(kStates[1], tint));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 32; ++x) {
            ASSERT_TRUE(Near(At(normal, 50 + x, 60 + y), base, 2)) << x << "," << y;
            ASSERT_TRUE(Near(At(hover, 50 + x, 60 + y), lit, 2)) << x << "," << y;
            ASSERT_TRUE(Near(At(pressed, 50 + x, 60 + y), down, 2)) << x << "," << y;
        }
    EXPECT_EQ(At(hover, 50, 76), kPaper & 0xFFFFFF);  // the button is one state high
    // The blend is put back for everything drawn after the button.
    DWORD source = 0, dest = 0;
    GetD3DDevice()->GetRenderState(D3DRS_SRCBLEND, &source);
    GetD3DDevice()->GetRenderState(D3DRS_DESTBLEND, &dest);
    EXPECT_EQ(source, DWORD(D3DBLEND_SRCALPHA));
    EXPECT_EQ(dest, DWORD(D3DBLEND_INVSRCALPHA));
}

}  // namespace
