// bench_gui's second screen: windows each holding a list box of 1,000 items, a horizontal
// scroll bar, a skinned scroll bar, two sliders, two check boxes, a radio group of three and a
// number box; and its floor, the same pictures drawn directly.
#pragma once

#include <memory>
#include <vector>

#include "GuiArt.h"

namespace GuiBench {

constexpr char kControlArt[] = "bench_gui_controls.amf";
constexpr char kControlScreen[] = "bench_gui_controls.ini";
// Items in each list box.
constexpr int kListItems = 1000;

bool MakeControlArt();
// The description file of `groups` windows of ten controls (the window included).
bool WriteControlScreen(int groups);
// What a game does after loading: fills the lists, selects and scrolls, sets the numbers.
void PrepareControlScreen(GUIManager* manager, int groups);

class ControlFloor : public DirectDraw {
public:
    explicit ControlFloor(int groups);
    ~ControlFloor() override;
    void Draw() override;

private:
    void DrawList(CGraphics* g, GFont& font, int x, int y);
    void DrawSlider(CGraphics* g, int x, int y, int value);

    int m_nGroups;
    DWORD m_hPictures[11] = {};
    // One font per list box, as each list box has its own.
    std::vector<std::unique_ptr<GFont>> m_Fonts;
};

}  // namespace GuiBench
