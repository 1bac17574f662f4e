// The Velmora starter: a ship the arrow keys move, a line of text, and Escape (or the close
// box) to quit. `starter --frames N` stops after N frames, which lets it run headless.
#include <cstdlib>
#include <cstring>

#include <velmora/Velmora.h>

class StarterGame : public CGameApp {
public:
    DWORD ship = 0;  // texture handle of ship.png
    int x = 384, y = 400;
    int frameLimit = 0;  // 0: run until quit
    int frames = 0;

    void MainLoop() override {
        if (IsKeyDown(DIK_ESCAPE) || (frameLimit > 0 && ++frames >= frameLimit)) PostQuitMessage(0);
        if (IsKeyDown(DIK_LEFT)) x -= 4;
        if (IsKeyDown(DIK_RIGHT)) x += 4;
        CGraphics* graphics = GetGraphics();
        if (!graphics->BeginScene()) return;  // nothing may be drawn this frame
        Render(ship, x, y, nullptr, 0xFFFFFFFF);
        DrawSingleLine(10, 10, 0xFFFFFFFF, false, "Arrows move the ship, Escape quits. %d fps", GetFPS());
        graphics->EndScene();
    }
};

int main(int argc, char** argv) {
    StarterGame game;
    if (argc == 3 && std::strcmp(argv[1], "--frames") == 0) game.frameLimit = std::atoi(argv[2]);
    game.SetFPS(60);
    game.SetDLLFileLog(true);  // writes VLMLog.html into the working directory
    if (game.InitApplication(GetModuleHandleA(nullptr), SW_SHOW, "Starter", nullptr)) {
        game.ship = LoadTexture("ship.png");  // looked up from the working directory
        game.Run();
    }
    game.Destroy();
    return game.ship ? 0 : 1;
}
