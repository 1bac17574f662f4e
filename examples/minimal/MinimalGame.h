// The smallest complete game: a window, a square sliding across it and a line of text.
// Escape or the close box quits; a frame limit lets it run headless.
#pragma once

#include <velmora/Velmora.h>

class MinimalGame : public CGameApp {
public:
    static constexpr int kSquare = 64;
    static constexpr DWORD kSquareColor = 0xFFFF8000;

    int frames = 0;
    int maxFrames = 0;  // 0: run until quit

    // Where the square is in a frame: it moves 4 pixels a frame and wraps.
    int SquareX(int frame) const { return (frame * 4) % (GetWindowWidth() - kSquare); }

    void MainLoop() override {
        ++frames;
        if (IsKeyDown(DIK_ESCAPE) || (maxFrames > 0 && frames >= maxFrames)) PostQuitMessage(0);
        CGraphics* graphics = GetGraphics();
        if (!graphics->BeginScene()) return;
        const int x = SquareX(frames);
        graphics->Rectangle(RECT{x, 100, x + kSquare, 100 + kSquare}, kSquareColor, true);
        DrawSingleLine(10, 10, 0xFFFFFFFF, false, "Velmora: frame %d", frames);
        graphics->EndScene();
    }
};
