// The game that the display tests run under an X server of their own: an 800 × 600 picture of
// four coloured quarters, its log file, and one line on standard output per frame with the
// frame's number, the window mode and the pointer as the game sees it. `display_game N` ends
// after N frames (0, the default: when the player quits).
#include <velmora/Velmora.h>

#include <cstdio>
#include <cstdlib>

namespace {

class DisplayGame : public CGameApp {
public:
    int frames = 0;
    int maxFrames = 0;

    void MainLoop() override {
        ++frames;
        CGraphics* graphics = GetGraphics();
        if (graphics->BeginScene()) {
            const LONG w = GetWindowWidth(), h = GetWindowHeight();
            graphics->Rectangle(RECT{0, 0, w / 2, h / 2}, 0xFFFF0000, true);
            graphics->Rectangle(RECT{w / 2, 0, w, h / 2}, 0xFF00FF00, true);
            graphics->Rectangle(RECT{0, h / 2, w / 2, h}, 0xFF0000FF, true);
            graphics->Rectangle(RECT{w / 2, h / 2, w, h}, 0xFFFFFFFF, true);
            graphics->EndScene();
        }
        // After the frame was presented: what a test reads next is on the screen.
        const POINT pointer = GetInputInfo().ptCursor;
        std::printf("frame %d windowed %d pointer %d %d\n", frames, GetWindowMode() ? 1 : 0,
                    static_cast<int>(pointer.x), static_cast<int>(pointer.y));
        std::fflush(stdout);
        if (maxFrames > 0 && frames >= maxFrames) PostQuitMessage(0);
    }
};

}  // namespace

int main(int argc, char** argv) {
    DisplayGame game;
    if (argc > 1) game.maxFrames = std::atoi(argv[1]);
    game.SetFPS(60);
    game.SetDLLFileLog(true);
    game.SetNotSuspend(true);  // no window manager hands out the focus
    if (!game.InitApplication(GetModuleHandleA(nullptr), SW_SHOW, "velmora display test", nullptr)) {
        game.Destroy();
        return 1;
    }
    game.Run();
    game.Destroy();
    std::printf("ended after %d frames\n", game.frames);
    return 0;
}
