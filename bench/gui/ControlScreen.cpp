// bench_gui's second screen and its floor.
#include "ControlScreen.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace GuiBench {

namespace {

// The pictures of the art file, in order.
enum Art { SKIN, BODY, HIGHLIGHT, BACKGROUND, STEP, PIN, COOL_PIN, FRAME, THUMB, CHECK, NUMBER, ART_COUNT };

constexpr DWORD kWhite = 0xFFFFFFFF;
constexpr int kSelected = 501;  // the selected item of each list; the list shows 499 to 501
constexpr int kFirstShown = 499;
constexpr char kNumber[] = "12.500000";

int BaseID(int group) { return 5000 + group * 16; }

std::string Item(int i) { return "Item " + std::to_string(i); }

}  // namespace

bool MakeControlArt() {
    auto solid = [](int w, int h, DWORD color) { return std::vector<DWORD>(size_t(w * h), color); };
    auto step =
        Paint(16, 64, [](int x, int y) { return DWORD(0xFF506070 + (y / 16) * 0x101010 + (x == 8) * 0x202020); });
    auto frame = Paint(64, 8, [](int x, int y) { return DWORD(0xFF405060 + (x / 8) * 0x080808 + y * 0x020202); });
    auto check = Paint(16, 64, [](int x, int y) { return DWORD(0xFF207040 + (y / 16) * 0x200810 + x * 0x010101); });
    return WriteArt(
        kControlArt,
        {Skin(), solid(8, 8, 0xFF283848), solid(8, 8, 0xFF806020), solid(8, 8, 0xFF102030), step,
         solid(16, 20, 0xFFA0A8B0), solid(32, 32, 0xC0C0A080), frame, solid(10, 16, 0xFFE0C040), check,
         solid(60, 20, 0xFF303890)},
        {{96, 96}, {8, 8}, {8, 8}, {8, 8}, {16, 64}, {16, 20}, {32, 32}, {64, 8}, {10, 16}, {16, 64}, {60, 20}});
}

bool WriteControlScreen(int groups) {
    const std::string file = std::string("File=") + kControlArt + "\n";
    std::string lists, sections = "[ListBar]\nGUIType=7\n" + file + "Btn1Picture=4\nBtn2Picture=4\nPinPicture=5\n";
    for (int g = 0; g < groups; ++g) {
        const Placed at = GroupPosition(g);
        const int id = BaseID(g);
        const std::string n = std::to_string(g), panel = "Win" + n;
        auto element = [&](const std::string& name, int idOffset, const std::string& keys) {
            lists += name + "=" + name + n + "\n";
            sections += "[" + name + n + "]\nID=" + std::to_string(id + idOffset) + "\n" + file + keys;
        };
        lists += "[Group" + n + "]\n";
        element(
            "List", 1,
            "GUIType=8\nBackGround=3\nHighLight=2\nPicture=1\nPosition=8,8\nSrcRect=0,0,80,64\nScrollBar=ListBar\n");
        element("HBar", 2,
                "GUIType=7\nBtn1Picture=4\nBtn2Picture=4\nPinPicture=5\nPosition=124,8\nSrcRect=0,0,40,16\n"
                "Horizontal=1\nEnd=100\nPageSize=10\nPos=30\n");
        element("Cool", 3,
                "GUIType=257\nBtn1Picture=4\nBtn2Picture=4\nPinPicture=6\nPosition=160,36\nSrcRect=0,0,16,40\n"
                "End=50\nPageSize=5\nPos=20\n");
        element("SliderA", 4, "GUIType=6\nPicture=7\nBtnPicture=8\nPosition=8,76\nSrcRect=0,0,100,16\nValue=40\n");
        element("SliderB", 5, "GUIType=6\nPicture=7\nBtnPicture=8\nPosition=8,94\nSrcRect=0,0,100,16\nValue=75\n");
        element("CheckA", 6, "GUIType=4\nPicture=9\nPosition=112,30\n");
        element("CheckB", 7, "GUIType=4\nPicture=9\nPosition=132,30\n");
        element("Radio", 8,
                "GUIType=5\nPicture=9\nPosition=112,50\nRadioNum=3\nXOffset=20\nYOffset=0\nSelect=1\nSubID0=" +
                    std::to_string(id + 10) + "\nSubID1=" + std::to_string(id + 11) +
                    "\nSubID2=" + std::to_string(id + 12) + "\n");
        element("Number", 9, "GUIType=259\nPicture=10\nPosition=112,72\n");
        lists += "\nContainer=" + panel + "\n";
        sections += "[" + panel + "]\nGUIType=1\nID=" + std::to_string(id) + "\n" + file +
                    "Picture=0\nWidth=180\nHeight=112\nUseRGN=0\nColor=0xFFD0D0FF\nPosition=" + std::to_string(at.x) +
                    "," + std::to_string(at.y) + "\n";
    }
    std::string text;
    for (char c : lists + sections) c == '\n' ? text += "\r\n" : text += c;
    FILE* out = std::fopen(kControlScreen, "wb");
    if (!out) return false;
    std::fwrite(text.data(), 1, text.size(), out);
    return std::fclose(out) == 0;
}

void PrepareControlScreen(GUIManager* manager, int groups) {
    for (int g = 0; g < groups; ++g) {
        auto* list = static_cast<GListBox*>(manager->GetElement(DWORD(BaseID(g) + 1)));
        auto* number = static_cast<CNumberInputBox*>(manager->GetElement(DWORD(BaseID(g) + 9)));
        if (!list || !number) continue;
        for (int i = 0; i < kListItems; ++i) list->AddItem(Item(i).c_str(), nullptr);
        list->SelectItem(kSelected, false);
        number->SetValue(12.5f);
    }
}

ControlFloor::ControlFloor(int groups) : m_nGroups(groups) {
    for (int i = 0; i < ART_COUNT; ++i) m_hPictures[i] = LoadAMFTexture(kControlArt, DWORD(i));
    for (int g = 0; g < groups; ++g) {
        m_Fonts.push_back(std::make_unique<GFont>());
        m_Fonts.back()->CreateFontA(kFace, 12, 0, 700);
    }
}

ControlFloor::~ControlFloor() {
    for (DWORD h : m_hPictures)
        if (h) ReleaseTexture(h);
}

// The list at (x, y), 80 x 64, and its scroll bar: a track 16 x 32 at (x + 80, y + 16)
// between its buttons, the thumb at its minimum length of 8.
void ControlFloor::DrawList(CGraphics* g, GFont& font, int x, int y) {
    const RECT list{x, y, x + 80, y + 64};
    g->RenderSprite(m_hPictures[BODY], &list, nullptr, kWhite);
    const RECT state0{0, 0, 16, 16}, pin{0, 0, 16, 20};
    const int X = x + 80, Y = y + 16;
    g->RenderSprite(m_hPictures[STEP], X, Y - 16, &state0, kWhite);
    g->RenderSprite(m_hPictures[STEP], X, Y + 32, &state0, kWhite);
    const int top = Y + (32 - 8) * kFirstShown / (kListItems - 3);
    const RECT thumb{X, top, X + 16, top + 8};
    g->RenderSprite(m_hPictures[PIN], &thumb, &pin, kWhite);
    font.Update();
    for (int line = 0; line < 3; ++line) {
        const int item = kFirstShown + line, ly = y + 6 + 16 * line;
        const bool lit = item == kSelected;
        if (lit) {
            const RECT band{x + 6, ly - 2, x + 74, ly + 14};
            g->RenderSprite(m_hPictures[HIGHLIGHT], &band, nullptr, kWhite);
        }
        font.DrawTextA(x + 11, ly, lit ? 0xFFFFFFFF : 0xFFFFFF00, "%s", Item(item).c_str());
    }
}

// A 100 x 16 track framed by eight 8 x 8 cells (the sides have no room), and its thumb.
void ControlFloor::DrawSlider(CGraphics* g, int x, int y, int value) {
    auto cell = [](int k) { return RECT{k * 8, 0, k * 8 + 8, 8}; };
    const DWORD frame = m_hPictures[FRAME];
    RECT c = cell(0);
    g->RenderSprite(frame, x, y, &c, kWhite);
    c = cell(2);
    g->RenderSprite(frame, x + 92, y, &c, kWhite);
    c = cell(3);
    g->RenderSprite(frame, x, y + 8, &c, kWhite);
    c = cell(5);
    g->RenderSprite(frame, x + 92, y + 8, &c, kWhite);
    RECT edge{x + 8, y, x + 92, y + 8};
    c = cell(1);
    g->RenderSprite(frame, &edge, &c, kWhite);
    edge = RECT{x + 8, y + 8, x + 92, y + 16};
    c = cell(4);
    g->RenderSprite(frame, &edge, &c, kWhite);
    const RECT thumb{0, 0, 10, 16};
    g->RenderSprite(m_hPictures[THUMB], x + int(std::trunc(90.0 / 100.0 * value)), y, &thumb, kWhite);
}

void ControlFloor::Draw() {
    CGraphics* g = GetGraphics();
    const RECT state0{0, 0, 16, 16}, pin{0, 0, 16, 20}, coolPin{0, 0, 32, 32}, image0{0, 0, 16, 16},
        image1{0, 16, 16, 32};
    for (int group = 0; group < m_nGroups; ++group) {
        const Placed at = GroupPosition(group);
        const int px = at.x, py = at.y;
        DrawSkin(g, m_hPictures[SKIN], px, py, 180, 112, 0xFFD0D0FF);
        DrawList(g, *m_Fonts[size_t(group)], px + 8, py + 8);

        // Horizontal bar: track 40 x 16 at (124, 8), position 30 of 0 to 90.
        int X = px + 124, Y = py + 8;
        g->RenderSprite(m_hPictures[STEP], X - 16, Y, &state0, kWhite);
        g->RenderSprite(m_hPictures[STEP], X + 40, Y, &state0, kWhite);
        const int left = X + (40 - 8) * 30 / 90;
        RECT thumb{left, Y + 8 - 10, left + 8, Y + 8 + 10};
        g->RenderSprite(m_hPictures[PIN], &thumb, &pin, kWhite);

        // Skinned bar: track 16 x 40 at (160, 36), position 20 of 0 to 45.
        X = px + 160, Y = py + 36;
        g->BeginSprite();
        g->RenderSprite(m_hPictures[STEP], X, Y - 26, &state0, kWhite);
        g->RenderSprite(m_hPictures[STEP], X, Y + 40 - 6, &state0, kWhite);
        const int top = Y + (40 - 20) * 20 / 45 - 6;
        thumb = RECT{X, top, X + 32, top + 32};
        g->RenderSprite(m_hPictures[COOL_PIN], &thumb, &coolPin, kWhite);
        g->EndSprite();

        DrawSlider(g, px + 8, py + 76, 40);
        DrawSlider(g, px + 8, py + 94, 75);
        g->RenderSprite(m_hPictures[CHECK], px + 112, py + 30, &image0, kWhite);
        g->RenderSprite(m_hPictures[CHECK], px + 132, py + 30, &image0, kWhite);
        for (int i = 0; i < 3; ++i)
            g->RenderSprite(m_hPictures[CHECK], px + 112 + 20 * i, py + 50, i == 1 ? &image1 : &image0, kWhite);
        g->RenderSprite(m_hPictures[NUMBER], px + 112, py + 72, nullptr, kWhite);
        DrawSingleLine(px + 116, py + 76, 0xFFFFFFFF, false, "%s", kNumber);
    }
}

}  // namespace GuiBench
