// bench_gui [--quick]
// Two screens of N GUI controls loaded from description files, each frame
// GUIManager::ProcessEvent + Render, against the floor: the same pictures and cached texts
// drawn directly on the sprite path by the same draw calls, without the GUI's tree, hit tests
// and messages. The first screen's skinned windows hold Buttons, CoolButtons, GStatics and
// MLStatics; the second's hold list boxes of 1,000 items, scroll bars, sliders, check boxes,
// radio groups and number boxes. Both must draw the same picture; the two take turns frame by
// frame. Prints the medians per frame and their ratio for N = 50, 200 and 800, and the GUI's
// processor time per control.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <epoxy/gl.h>  // glFinish on the engine's context

#include <velmora/Velmora.h>

#include "ControlScreen.h"
#include "GuiArt.h"
#include "support/BenchReport.h"
#include "support/Pictures.h"

namespace {

using namespace GuiBench;
using VelmoraBench::Format;
using VelmoraBench::Median;

constexpr int kWidth = 800, kHeight = 600;
constexpr int kControlsPerGroup = 10;  // a window and the nine controls inside it
constexpr char kArt[] = "bench_gui.amf";
constexpr char kScreen[] = "bench_gui.ini";

bool MakeArt() {
    auto skin = Skin();
    auto button = Paint(64, 96, [](int x, int y) {
        const int state = y / 24;
        return DWORD(0xFF305080 + state * 0x202000 + (x % 8 == 0 ? 0x101010 : 0));
    });
    auto cool = Paint(64, 96, [](int x, int y) { return DWORD(0xC0603020 + (y / 24) * 0x102030 + x); });
    return WriteArt(kArt, {skin, button, cool}, {{96, 96}, {64, 96}, {64, 96}});
}

const char* const kButtonCaptions[3] = {"Play", "Load", "Quit"};
const char* const kCoolCaptions[2] = {"Go", "Back"};
const char* const kStaticCaptions[3] = {"Score", "HP", "Lv"};
const char kMultiLine[] = "Multi-line text of the panel";

// The description file of `groups` windows: a list section per window, then the sections.
bool WriteScreen(int groups) {
    std::string lists, sections;
    for (int g = 0; g < groups; ++g) {
        const Placed at = GroupPosition(g);
        const std::string panel = "Panel" + std::to_string(g);
        lists += "[List" + std::to_string(g) + "]\n";
        sections += "[" + panel + "]\nGUIType=1\nID=" + std::to_string(1000 + g * 16) + "\nFile=" + kArt +
                    "\nPicture=0\nWidth=180\nHeight=112\nUseRGN=0\nColor=0xFFD0D0FF\nPosition=" + std::to_string(at.x) +
                    "," + std::to_string(at.y) + "\n";
        for (int i = 0; i < 9; ++i) {
            const std::string name = "C" + std::to_string(g) + "_" + std::to_string(i);
            lists += "c" + std::to_string(i) + "=" + name + "\n";
            std::string keys = "ID=" + std::to_string(1000 + g * 16 + 1 + i) + "\n";
            if (i < 3) {
                keys += "GUIType=2\nFile=" + std::string(kArt) + "\nPicture=1\nPosition=8," +
                        std::to_string(8 + i * 30) + "\nCaption=" + kButtonCaptions[i] + "\n";
            } else if (i < 5) {
                keys += "GUIType=256\nFile=" + std::string(kArt) + "\nPicture=2\nPosition=84," +
                        std::to_string(8 + (i - 3) * 30) + "\nCaption=" + kCoolCaptions[i - 3] + "\n";
            } else if (i < 8) {
                keys += "GUIType=3\nPosition=" + std::to_string(84 + (i - 5) * 30) +
                        ",70\nCaption=" + kStaticCaptions[i - 5] + "\nColor=0xFFFFFF80\n";
            } else {
                keys += "GUIType=260\nPosition=8,96\nFontSize=12\nCaption=" + std::string(kMultiLine) + "\n";
            }
            sections += "[" + name + "]\n" + keys;
        }
        lists += "\nContainer=" + panel + "\n";
    }
    std::string text;
    for (char c : lists + sections) c == '\n' ? text += "\r\n" : text += c;
    FILE* file = std::fopen(kScreen, "wb");
    if (!file) return false;
    std::fwrite(text.data(), 1, text.size(), file);
    return std::fclose(file) == 0;
}

// The floor: the same draws, made directly, with fonts of its own holding the same texts.
class Floor : public DirectDraw {
public:
    explicit Floor(int groups) : m_nGroups(groups) {
        m_hSkin = LoadAMFTexture(kArt, 0);
        m_hButton = LoadAMFTexture(kArt, 1);
        m_hCool = LoadAMFTexture(kArt, 2);
        for (int g = 0; g < groups; ++g) {
            auto cool = std::make_unique<CSimFont[]>(2);
            for (int i = 0; i < 2; ++i) cool[i].CreateFontA(12, 0, 0, 0, 700, 0, 0, 0, 0, 0, 0, 0, kFace);
            auto statics = std::make_unique<CSimFont[]>(3);
            for (int i = 0; i < 3; ++i) statics[i].CreateFontA(kFace, 16, 0, 400);
            auto multi = std::make_unique<GFont>();
            multi->CreateFontA(kFace, 12, 0, 400);
            m_Cool.push_back(std::move(cool));
            m_Statics.push_back(std::move(statics));
            m_Multi.push_back(std::move(multi));
        }
    }
    ~Floor() {
        for (DWORD h : {m_hSkin, m_hButton, m_hCool}) ReleaseTexture(h);
    }

    void Draw() override {
        CGraphics* g = GetGraphics();
        for (int group = 0; group < m_nGroups; ++group) {
            const Placed at = GroupPosition(group);
            DrawSkin(g, m_hSkin, at.x, at.y, 180, 112, 0xFFD0D0FF);
            const RECT state0{0, 0, 64, 24};
            for (int i = 0; i < 3; ++i) {
                const int x = at.x + 8, y = at.y + 8 + i * 30;
                g->RenderSprite(m_hButton, x, y, &state0, 0xFFFFFFFF);
                DrawSingleLine(x + 32, y + 12, 0xFFFFFFFF, true, "%s", kButtonCaptions[i]);
            }
            for (int i = 0; i < 2; ++i) {
                const int x = at.x + 84, y = at.y + 8 + i * 30;
                g->BeginSprite();
                g->RenderSprite(m_hCool, x, y, &state0, 0xFFFFFFFF);
                m_Cool[size_t(group)][i].DrawTextA(x + 32, y + 24 / 3 + 2, 0xFFFFFF00, true, "%s", kCoolCaptions[i]);
                g->EndSprite();
            }
            for (int i = 0; i < 3; ++i)
                m_Statics[size_t(group)][i].DrawTextA(at.x + 84 + i * 30, at.y + 70, 0xFFFFFF80, false, "%s",
                                                      kStaticCaptions[i]);
            m_Multi[size_t(group)]->DrawTextA(at.x + 8, at.y + 96, 0xFFFFFFFF, "%s", kMultiLine);
        }
    }

private:
    int m_nGroups;
    DWORD m_hSkin = 0, m_hButton = 0, m_hCool = 0;
    std::vector<std::unique_ptr<CSimFont[]>> m_Cool, m_Statics;
    std::vector<std::unique_ptr<GFont>> m_Multi;
};

// Processor time of the calling thread alone: the GUI's own work, without the rasteriser's
// threads.
double ThreadCpuMilliseconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

struct Sample {
    double wall, cpu;  // whole frame (with present and finish), processor time of the process
    double calls;      // processor time of this thread in the frame's calls
};

// One frame: the calls between BeginScene and EndScene, then present and finish.
Sample TimeFrame(CGraphics* graphics, const std::function<void()>& work) {
    VelmoraBench::Stopwatch frame;
    graphics->BeginScene();
    const double start = ThreadCpuMilliseconds();
    work();
    const double calls = ThreadCpuMilliseconds() - start;
    graphics->EndScene();
    glFinish();
    return {frame.Milliseconds(), frame.CpuMilliseconds(), calls};
}

std::vector<uint32_t> Picture(CGraphics* graphics, const std::function<void()>& work) {
    graphics->BeginScene();
    work();
    std::vector<uint32_t> picture = VelmoraBench::ReadBackBuffer(GetD3DDevice(), kWidth, kHeight);
    graphics->EndScene();
    return picture;
}

// One screen of the benchmark: its description file, what the game adds after loading it,
// and its floor.
struct Screen {
    const char* title;
    std::function<bool(int groups)> write;
    std::function<void(int groups)> prepare;
    std::function<std::unique_ptr<DirectDraw>(int groups)> floor;
};

}  // namespace

int main(int argc, char** argv) {
    const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
    CGameApp game;
    game.SetWindowWidth(kWidth);
    game.SetWindowHeight(kHeight);
    if (!game.InitApplication(GetModuleHandleA(nullptr), SW_SHOW, "bench_gui", nullptr) || !MakeArt() ||
        !MakeControlArt()) {
        std::fprintf(stderr, "bench_gui: the engine did not start or the art could not be written\n");
        return 1;
    }
    CGraphics* graphics = GetGraphics();
    GUIManager* manager = GetGUIManager();
    graphics->SetBKColor(0xFF101820);
    const int frames = quick ? 3 : 60;

    const Screen screens[] = {
        {"Buttons and texts: windows of three Buttons, two CoolButtons, three GStatics, one MLStatic",
         [](int groups) { return WriteScreen(groups) && GetGUIManager()->LoadFromFile(kScreen); }, nullptr,
         [](int groups) { return std::unique_ptr<DirectDraw>(new Floor(groups)); }},
        {"Lists, scroll bars and sliders: windows of a GListBox of 1,000 items, a horizontal GScrollBar, a "
         "CoolScroll, two CSliders, two CCheckBoxes, a RadioGroup of three and a CNumberInputBox",
         [](int groups) { return WriteControlScreen(groups) && GetGUIManager()->LoadFromFile(kControlScreen); },
         [](int groups) { PrepareControlScreen(GetGUIManager(), groups); },
         [](int groups) { return std::unique_ptr<DirectDraw>(new ControlFloor(groups)); }},
    };
    bool met = true, same = true;
    std::printf("%d timed frames per variant and size, %dx%d, load average %s\n", frames, kWidth, kHeight,
                VelmoraBench::LoadAverage().c_str());
    for (const Screen& screen : screens) {
        VelmoraBench::Table frameTable(
            {"controls", "GUI ms/frame", "floor ms/frame", "ratio", "GUI CPU ms", "floor CPU ms", "CPU ratio"});
        VelmoraBench::Table ownTable({"controls", "GUI calls ms", "floor calls ms", "GUI - floor ms", "ProcessEvent us",
                                      "ProcessEvent ns/control", "GUI calls us/control"});
        bool screenMet = true;
        for (int controls : {50, 200, 800}) {
            const int groups = controls / kControlsPerGroup;
            manager->Reset();
            if (!screen.write(groups)) {
                std::fprintf(stderr, "bench_gui: the screen of %d controls did not load\n", controls);
                return 1;
            }
            if (screen.prepare) screen.prepare(groups);
            std::unique_ptr<DirectDraw> floor = screen.floor(groups);
            std::vector<double> processTimes;  // this thread's time in ProcessEvent
            auto gui = [&] {
                const double start = ThreadCpuMilliseconds();
                manager->ProcessEvent();
                processTimes.push_back(ThreadCpuMilliseconds() - start);
                manager->Render();
            };
            auto direct = [&] { floor->Draw(); };
            // Both draw the same picture (the fonts' caches warm up on the way).
            for (int i = 0; i < 2; ++i) Picture(graphics, gui), Picture(graphics, direct);
            const VelmoraBench::PictureDifference d =
                VelmoraBench::ComparePictures(Picture(graphics, gui), Picture(graphics, direct), 0);
            if (d.pixels) {
                same = false;
                std::fprintf(stderr, "bench_gui: %d controls: %zu pixels differ (by up to %d)\n", controls, d.pixels,
                             d.largest);
            }
            processTimes.clear();
            std::vector<double> gw, fw, gc, fc, gk, fk;
            for (int i = 0; i < frames; ++i) {
                const Sample a = TimeFrame(graphics, gui), b = TimeFrame(graphics, direct);
                gw.push_back(a.wall), gc.push_back(a.cpu), gk.push_back(a.calls);
                fw.push_back(b.wall), fc.push_back(b.cpu), fk.push_back(b.calls);
            }
            const double ratio = Median(gw) / Median(fw);
            if (controls == 200) screenMet = ratio <= 1.3;
            frameTable.AddRow({std::to_string(controls), Format("%.3f", Median(gw)), Format("%.3f", Median(fw)),
                               Format("%.2f", ratio), Format("%.3f", Median(gc)), Format("%.3f", Median(fc)),
                               Format("%.2f", Median(gc) / Median(fc))});
            const double process = Median(processTimes);
            ownTable.AddRow({std::to_string(controls), Format("%.3f", Median(gk)), Format("%.3f", Median(fk)),
                             Format("%.3f", Median(gk) - Median(fk)), Format("%.1f", process * 1000.0),
                             Format("%.0f", process * 1e6 / controls), Format("%.2f", Median(gk) * 1000.0 / controls)});
        }
        met = met && screenMet;
        std::printf("\n%s.\n", screen.title);
        std::printf("Whole frames: wall time with present and glFinish, and the processor time of the process.\n");
        frameTable.Print();
        std::printf("The calls alone: processor time of the calling thread (the GUI's own work).\n");
        ownTable.Print();
        std::printf("goal: the GUI's frame at most 1.3 x the floor at 200 controls: %s\n",
                    screenMet ? "met" : "NOT met");
    }
    std::printf("\nsame picture as the floor on every screen: %s\n", same ? "yes" : "NO");
    std::printf("goal met on every screen: %s\n", met ? "yes" : "NO");
    manager->RemoveAll();
    game.Destroy();
    DestroyWindow(game.GetWndHandle());
    return same ? 0 : 1;
}
