// The smallest game: opens its window, runs three frames, quits.
#include <velmora/Velmora.h>

#include <cstdio>

class TinyGame : public CGameApp {
public:
    int frames = 0;
    void MainLoop() override {
        if (++frames == 3) PostQuitMessage(0);
    }
};

int main() {
    TinyGame game;
    if (!game.InitApplication(GetModuleHandleA(nullptr), SW_SHOW, "Tiny", nullptr)) return 1;
    game.Run();
    game.Destroy();
    std::printf("tiny game ran %d frames\n", game.frames);
    return game.frames == 3 ? 0 : 1;
}
