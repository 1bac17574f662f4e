// CWindow: loading from a description section (sizes, expansion, frame cell, limits), the
// tree operations, releasing pictures, and hit masks from picture alpha.
#include <cstring>

#include "support/GuiFixture.h"

namespace {

// A window whose protected parts the tests look into.
class ProbeWindow : public CWindow {
public:
    using CWindow::CheckInRGN;
    using CWindow::CWindow;
    using CWindow::GetRGNCenter;
    bool Expanded() const { return m_bExpand; }
    bool MaskInUse() const { return m_bUseRGN && m_pRgnMask; }
    int FrameCell() const { return m_nFrameCell; }
    int FrameInset() const { return m_nFrameInset; }
    std::string Caption() const { return m_szCaption; }
    std::string File() const { return m_szFile; }
    DWORD Picture() const { return m_hPicture; }
    bool Hits(int x, int y) {
        POINT p{m_ptPos.x + x, m_ptPos.y + y};
        return CheckInRGN(GetRect(), &p);
    }
};

// Counts its deletions.
class CountedWindow : public CWindow {
public:
    CountedWindow(DWORD id, int* deaths) : CWindow(nullptr), m_pDeaths(deaths) { SetID(id); }
    ~CountedWindow() override { ++*m_pDeaths; }

private:
    int* m_pDeaths;
};

using WindowTest = GuiTest;

TEST_F(WindowTest, SizeExpansionAndMaskFollowTheKeys) {
    WriteAmf("skin.amf", {Solid(96, 96, 0xFF808080)});
    struct Case {
        const char* keys;
        int width, height;
        bool expanded, mask;
    };
    const Case cases[] = {
        {"", 96, 96, false, false},
        {"Width=200\nHeight=100\n", 200, 100, true, true},
        {"Width=50\nHeight=40\n", 96, 96, false, false},  // never smaller than the picture
        {"Width=200\nHeight=40\n", 200, 40, true, true},  // one side larger: expanded as given
        {"Width=200\nHeight=100\nUseRGN=0\n", 200, 100, true, false},
        {"UseRGN=1\n", 96, 96, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        WriteIni("w.ini", std::string("[W]\nGUIType=1\nID=5\nFile=skin.amf\nPicture=0\n") + c.keys);
        ProbeWindow w;
        EXPECT_TRUE(w.LoadFromIni("w.ini", "W"));
        EXPECT_EQ(w.GetWidth(), c.width);
        EXPECT_EQ(w.GetHeight(), c.height);
        EXPECT_EQ(w.Expanded(), c.expanded);
        EXPECT_EQ(w.MaskInUse(), c.mask);
        EXPECT_EQ(w.GetID(), 5u);
    }
}

TEST_F(WindowTest, FrameCellIsThePictureHeightAndTheInsetFollowsIt) {
    WriteAmf("frames.amf", {Solid(64, 8, 0xFFFFFFFF), Solid(128, 16, 0xFFFFFFFF), Solid(256, 32, 0xFFFFFFFF),
                            Solid(160, 20, 0xFFFFFFFF)});
    const int insets[] = {3, 5, 10, 0};
    const int heights[] = {8, 16, 32, 20};
    for (int i = 0; i < 4; ++i) {
        WriteIni("f.ini", "[F]\nFile=frames.amf\nPicture=" + std::to_string(i) + "\n");
        ProbeWindow w;
        w.LoadFromIni("f.ini", "F");
        EXPECT_EQ(w.FrameCell(), heights[i]) << i;
        EXPECT_EQ(w.FrameInset(), insets[i]) << i;
    }
}

TEST_F(WindowTest, DefaultsPositionsRelativeToTheParentAndLongTextsCut) {
    WriteIni("w.ini", "[Parent]\nPosition=100,50\nWidth=300\nHeight=200\n[Child]\nPosition=10,10\nCaption=" +
                          std::string(300, 'c') + "\nFile=" + std::string(300, 'f') + "\n");
    ProbeWindow parent;
    parent.LoadFromIni("w.ini", "Parent");
    EXPECT_EQ(parent.GetColor(), 0xFFFFFFFFu);
    EXPECT_TRUE(parent.IsShow());
    EXPECT_TRUE(parent.IsEnable());
    EXPECT_FALSE(parent.IsDragable());
    EXPECT_FALSE(parent.IsActive());
    EXPECT_EQ(parent.GetRect(), GRect(100, 50, 400, 250));  // no picture: the given size
    auto* child = new ProbeWindow(&parent);
    parent.AddWindow(child);
    child->LoadFromIni("w.ini", "Child");
    EXPECT_EQ(child->GetPosition(), GPoint(110, 60));
    EXPECT_EQ(child->Caption(), std::string(255, 'c'));
    EXPECT_EQ(child->File(), std::string(255, 'f'));
    parent.MoveTo(0, 0);  // the subtree moves along
    EXPECT_EQ(child->GetPosition(), GPoint(10, 10));
}

TEST_F(WindowTest, TreeOperationsWorkOnDirectChildrenOnly) {
    int deaths = 0;
    CWindow root;
    auto* first = new CountedWindow(7, &deaths);
    auto* grandchild = new CountedWindow(7, &deaths);
    auto* other = new CountedWindow(9, &deaths);
    auto* second = new CountedWindow(7, &deaths);
    first->AddWindow(grandchild);
    root.AddWindow(first);
    root.AddWindow(other);
    root.AddWindow(second);
    root.AddWindow(second);  // already there
    root.AddWindow(&root);   // itself
    root.AddWindow(nullptr);
    EXPECT_EQ(root.GetSubWindowsCount(), 3);
    EXPECT_EQ(root.GetSubWindow(7), first);

    root.RemoveWindow(DWORD(7), true);  // the first direct child, with its own child
    EXPECT_EQ(deaths, 2);
    EXPECT_EQ(root.GetSubWindow(7), second);
    root.RemoveWindow(other, false);  // unlinked, not deleted
    EXPECT_EQ(deaths, 2);
    EXPECT_EQ(root.GetSubWindowsCount(), 1);
    other->SetParent(&root);  // joins the parent's list
    EXPECT_EQ(root.GetSubWindow(9), other);
    EXPECT_EQ(other->GetParent(), &root);
    root.Release();
    EXPECT_EQ(deaths, 4);
    EXPECT_EQ(root.GetSubWindowsCount(), 0);
}

TEST_F(WindowTest, EnableAndDisableReachTheSubtreeHidingDoesNot) {
    CWindow root;
    auto* child = new CWindow(&root);
    auto* grandchild = new CWindow(child);
    root.AddWindow(child);
    child->AddWindow(grandchild);
    root.Disable();
    EXPECT_FALSE(grandchild->IsEnable());
    root.Enable();
    EXPECT_TRUE(grandchild->IsEnable());
    root.Show(false);
    EXPECT_TRUE(child->IsShow());
    root.SetDragable(true);
    root.SetActive(true);
    EXPECT_TRUE(root.IsDragable() && root.IsActive());
    EXPECT_FALSE(child->IsDragable());
}

TEST_F(WindowTest, ReleasingTwiceDropsThePicturesOnce) {
    WriteAmf("shared.amf", {Solid(16, 16, 0xFFFF0000)});
    WriteIni("w.ini", "[W]\nFile=shared.amf\nPicture=0\n");
    ProbeWindow a, b;
    a.LoadFromIni("w.ini", "W");
    b.LoadFromIni("w.ini", "W");
    const DWORD handle = b.Picture();
    ASSERT_NE(handle, 0u);
    EXPECT_EQ(a.Picture(), handle);  // one texture, two references
    a.Release();
    a.Release();
    EXPECT_EQ(a.Picture(), 0u);
    EXPECT_NE(GetTextureManager()->GetTexture(handle), nullptr);  // b's reference is intact
    b.Release();
    EXPECT_EQ(GetTextureManager()->GetTexture(handle), nullptr);
}

// Opaque only in the rectangle (10, 20)-(29, 39) of a 40 x 60 picture.
Picture OpaqueBlock() {
    return Painted(40, 60, [](int x, int y) { return x >= 10 && x <= 29 && y >= 20 && y <= 39 ? 0xFF00FF00 : 0; });
}

TEST_F(WindowTest, MaskFromAlphaHitsOpaquePixelsOnly) {
    WriteAmf("block.amf", {OpaqueBlock()});
    WriteIni("w.ini", "[W]\nFile=block.amf\nPicture=0\nPosition=30,40\nUseRGN=1\n");
    ProbeWindow w;
    w.LoadFromIni("w.ini", "W");
    ASSERT_TRUE(w.MaskInUse());
    EXPECT_EQ(w.GetRGNCenter().x, 19);
    EXPECT_EQ(w.GetRGNCenter().y, 29);
    EXPECT_TRUE(w.Hits(10, 20));
    EXPECT_TRUE(w.Hits(29, 39));
    EXPECT_FALSE(w.Hits(9, 20));
    EXPECT_FALSE(w.Hits(30, 39));
    EXPECT_FALSE(w.Hits(40, 30));  // outside the rectangle
    // Widened after the mask was made: the mask keeps its own rows.
    w.SetWidth(200);
    w.SetHeight(100);
    EXPECT_TRUE(w.Hits(15, 25));
    EXPECT_FALSE(w.Hits(100, 25));
    EXPECT_FALSE(w.Hits(15, 80));

    ProbeWindow plain;  // no mask: the rectangle decides, and the centre is (0, 0)
    WriteIni("p.ini", "[P]\nFile=block.amf\nPicture=0\n");
    plain.LoadFromIni("p.ini", "P");
    EXPECT_TRUE(plain.Hits(0, 0));
    EXPECT_EQ(plain.GetRGNCenter().x, 0);
}

TEST_F(WindowTest, ExpandedMaskKeepsTheBordersAtTheEdges) {
    // Opaque columns 32 and 95 and rows 32 and 95 of a 96 x 96 skin.
    WriteAmf("skin.amf", {Painted(96, 96, [](int x, int y) {
                 return (x == 32 || x == 95) && (y == 32 || y == 95) ? 0xFFFFFFFF : 0x00FFFFFF;
             })});
    WriteIni("w.ini", "[W]\nFile=skin.amf\nPicture=0\nWidth=200\nHeight=150\n");
    ProbeWindow w;
    w.LoadFromIni("w.ini", "W");
    ASSERT_TRUE(w.MaskInUse());
    // Columns: 0-31 from 0-31, 32-167 from 32, 168-199 from 64-95. Rows alike up to 150.
    struct Probe {
        int x, y;
        bool hit;
    };
    for (const Probe& p : {Probe{100, 75, true}, Probe{199, 149, true}, Probe{199, 75, true}, Probe{10, 75, false},
                           Probe{168, 75, false}, Probe{100, 10, false}, Probe{100, 118, false}, Probe{32, 32, true}})
        EXPECT_EQ(w.Hits(p.x, p.y), p.hit) << p.x << "," << p.y;
}

TEST_F(WindowTest, ExpandedMaskOfASmallPictureStaysInsideIt) {
    // 16 x 16, transparent only at its top-left texel: the borders would read past it.
    WriteAmf("small.amf", {Painted(16, 16, [](int x, int y) { return x || y ? 0xFFFFFFFF : 0; })});
    WriteIni("w.ini", "[W]\nFile=small.amf\nPicture=0\nWidth=100\nHeight=80\n");
    ProbeWindow w;
    w.LoadFromIni("w.ini", "W");
    ASSERT_TRUE(w.MaskInUse());
    EXPECT_FALSE(w.Hits(0, 0));
    EXPECT_TRUE(w.Hits(50, 40));
    EXPECT_TRUE(w.Hits(99, 79));
    EXPECT_TRUE(w.Hits(40, 0));
}

TEST_F(WindowTest, HugeSizesFromAFileMakeNoMask) {
    WriteAmf("skin.amf", {Solid(96, 96, 0xFFFFFFFF)});
    WriteIni("w.ini", "[W]\nFile=skin.amf\nPicture=0\nWidth=100000\nHeight=100000\n");
    ProbeWindow w;
    w.LoadFromIni("w.ini", "W");
    EXPECT_TRUE(w.Expanded());
    EXPECT_FALSE(w.MaskInUse());
    EXPECT_TRUE(w.Hits(5000, 5000));  // the rectangle decides
}

// Positions and sizes past any screen, from a file or a caller, are held at +-2^24 so that
// a rectangle, a parent's offset or a move never overflows.
TEST_F(WindowTest, FarOutGeometryIsHeldInsideTheCoordinateRange) {
    constexpr int kFar = 1 << 24;
    WriteIni("w.ini",
             "[Parent]\nPosition=2147483647,-2147483648\nSrcRect=-2147483648,0,2147483647,1\n"
             "Width=2147483647\nHeight=99999999999999\n[Child]\nPosition=2147483647,10\n");
    ProbeWindow parent;
    parent.LoadFromIni("w.ini", "Parent");
    EXPECT_EQ(parent.GetRect(), GRect(kFar, -kFar, 2 * kFar, 0));
    auto* child = new ProbeWindow(&parent);
    parent.AddWindow(child);
    child->LoadFromIni("w.ini", "Child");
    EXPECT_EQ(child->GetPosition(), GPoint(kFar, -kFar + 10));
    parent.MoveTo(-2147483647 - 1, 2147483647);
    EXPECT_EQ(parent.GetPosition(), GPoint(-kFar, kFar));
    parent.OffSet(2147483647, 2147483647);
    EXPECT_EQ(parent.GetPosition(), GPoint(kFar, kFar));
    parent.SetWidth(-2147483647 - 1);
    parent.SetHeight(2147483647);
    EXPECT_EQ(parent.GetRect(), GRect(kFar, kFar, 0, 2 * kFar));
}

}  // namespace
