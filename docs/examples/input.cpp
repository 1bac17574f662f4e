// Input: the frame's snapshot (pointer, one key event and one mouse event a frame), keys and
// buttons held down, the pointer's movement, and game pads.
#include <cstdio>

#include "Example.h"

class InputExample : public Example {
public:
    // [frame]
    void Frame() override {
        const stInputInfo input = GetInputInfo();  // taken by the main loop before MainLoop
        if (input.dwKey == DIK_SPACE) ++m_nJumps;  // Space went down (its release is DIK_SPACE + 256)
        if (input.dwMouse == MOUSE_LDOWN) m_ptClick = input.ptCursor;
        const bool running = IsKeyDown(DIK_LSHIFT) || IsKeyDown(DIK_RSHIFT);  // held now
        const bool dragging = IsMouseDown(0);                                 // left button held
        LONG dx = 0, dy = 0, wheel = 0;
        GetPointerOffset(&dx, &dy, &wheel);  // movement since the previous frame
        Pads();

        CGraphics* g = GetGraphics();
        if (!g->BeginScene()) return;
        DrawSingleLine(10, 10, 0xFFFFFFFF, false, "pointer %d,%d%s", int(input.ptCursor.x), int(input.ptCursor.y),
                       input.bMoved ? " (moved)" : "");
        DrawSingleLine(10, 30, 0xFFFFFFFF, false, "jumps %d, last click %d,%d", m_nJumps, int(m_ptClick.x),
                       int(m_ptClick.y));
        DrawSingleLine(10, 50, 0xFFFFFFFF, false, "%s%s wheel %d", running ? "running " : "",
                       dragging ? "dragging" : "", int(wheel));
        DrawSingleLine(10, 70, 0xFFFFFFFF, false, "%d pads, ship at %.0f,%.0f", GetPadCount(), m_fShipX, m_fShipY);
        g->EndScene();
    }
    // [/frame]

    // [pads]
    void Pads() {
        // A pad plugged in or pulled out posts a message with its index (0 to 3).
        int index = 0;
        CMessage message;
        while (PeekMessageA(index, message, true))
            if (message.m_dwMessage == MSG_PAD_CONNECTED) std::printf("pad %u is here\n", unsigned(message.m_dwParam1));
        const stPadInfo* pad = GetPadInfo(0);  // never null for 0 to MAX_PADS - 1
        if (!pad->bConnected) return;
        // Sticks run from -1 to 1 (right and down positive) after a round dead zone.
        m_fShipX += 4 * pad->fAxis[PAD_AXIS_LEFT_X];
        m_fShipY += 4 * pad->fAxis[PAD_AXIS_LEFT_Y];
        if (IsPadButtonDown(0, PAD_BUTTON_DPAD_LEFT)) m_fShipX -= 4;  // held now
        if (pad->dwPressed & (1u << PAD_BUTTON_A)) ++m_nJumps;        // went down this frame
        if (pad->fAxis[PAD_AXIS_RIGHT_TRIGGER] > 0.5f) SetPadRumble(0, 0.2f, 0.6f, 100);
    }
    // [/pads]

private:
    int m_nJumps = 0;
    POINT m_ptClick{0, 0};
    float m_fShipX = 400, m_fShipY = 300;
};

int main(int argc, char** argv) {
    InputExample game;
    return game.Main(argc, argv);
}
