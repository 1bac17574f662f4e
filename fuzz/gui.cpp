// Fuzz target: GUI description files. GUIManager::LoadFromFile builds the file's windows (their
// skins are the AMF pictures and images of the scratch folder), then a few frames run through
// the real main loop: pointer moves, clicks, wheel turns and keys chosen by the bytes after the
// file's first NUL go in, and each frame runs ProcessEvent, drains the GUI messages and renders.
// An odd number of those bytes turns keyboard navigation on, so the focus walks the controls.
#include <vector>

#include "support/FuzzEngine.h"

using namespace VelmoraFuzz;

namespace {

constexpr int kWidth = 200;
constexpr int kHeight = 150;
constexpr size_t kMaxSteps = 10;

class GuiGame : public CGameApp {
public:
    int frames = 0;
    int limit = 0;

    void MainLoop() override {
        GUIManager* manager = GetGUIManager();
        manager->ProcessEvent();
        int index = 0;
        CMessage message;
        while (PeekMessageA(index, message, true)) {
        }
        CGraphics* graphics = GetGraphics();
        if (graphics->BeginScene()) {
            manager->Render();
            graphics->EndScene();
        }
        if (++frames >= limit) PostQuitMessage(0);
    }
};

GuiGame& Game() {
    static GuiGame game;
    return game;
}

// One step of input from two bytes: what to do, and where (or which key).
void Inject(HWND hwnd, uint8_t what, uint8_t where) {
    const int x = where * kWidth / 256;
    const int y = (where * 37 % 256) * kHeight / 256;
    const int keys[] = {'0',     '7',       '9', VK_BACK, VK_DELETE, VK_LEFT,   VK_RIGHT, VK_UP,
                        VK_DOWN, VK_RETURN, '-', VK_HOME, VK_TAB,    VK_ESCAPE, VK_SPACE};
    switch (what % 7) {
        case 0: VelmoraTest::InjectMouseMove(hwnd, x, y); break;
        case 1: VelmoraTest::InjectMouseButton(hwnd, 0, true); break;
        case 2: VelmoraTest::InjectMouseButton(hwnd, 0, false); break;
        case 3:
            VelmoraTest::InjectMouseMove(hwnd, x, y);
            VelmoraTest::InjectMouseButton(hwnd, 0, true);
            break;
        case 4:
            VelmoraTest::InjectKey(keys[where % (sizeof keys / sizeof keys[0])], true);
            VelmoraTest::InjectKey(keys[where % (sizeof keys / sizeof keys[0])], false);
            break;
        case 5: VelmoraTest::InjectMouseWheel(hwnd, where & 1 ? 120 : -120); break;
        default: VelmoraTest::InjectMouseButton(hwnd, 1, what & 8); break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    Prepare(argc, argv);
    StartEngine(Game(), kWidth, kHeight);
    WriteArt();
    // The main loop waits for time to pass between frames: let it pass while it polls.
    VelmoraTest::SetClockTickEveryReads(3);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    BeginInput();
    GuiGame& game = Game();
    const SplitInput input = SplitAtNul(data, size);
    const std::string path = WriteScratch("input.ini", input.text);
    GUIManager* manager = GetGUIManager();
    manager->LoadFromFile(path.c_str());
    manager->EnableNavigation(input.rest.size() % 2 == 1);

    // Step i's events are the input of frame i + 1.
    std::vector<std::pair<uint8_t, uint8_t>> steps;
    for (size_t i = 0; i + 1 < input.rest.size() && steps.size() < kMaxSteps; i += 2)
        steps.emplace_back(uint8_t(input.rest[i]), uint8_t(input.rest[i + 1]));
    const HWND hwnd = game.GetWndHandle();
    for (size_t i = 0; i < steps.size(); ++i)
        VelmoraTest::InjectAt(kStartClock + DWORD(i + 1) * 40,
                              [hwnd, step = steps[i]] { Inject(hwnd, step.first, step.second); });
    // Buttons left down must not carry into the next input.
    VelmoraTest::InjectAt(kStartClock + DWORD(steps.size() + 1) * 40, [hwnd] {
        VelmoraTest::InjectMouseButton(hwnd, 0, false);
        VelmoraTest::InjectMouseButton(hwnd, 1, false);
    });
    game.frames = 0;
    game.limit = int(steps.size()) + 3;
    game.SetFPS(25);
    game.Run();

    manager->Reset();
    EndInput();
    return 0;
}
