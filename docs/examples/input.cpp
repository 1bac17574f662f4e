// Input: the frame's snapshot (pointer, one key event and one mouse event a frame), keys and
// buttons held down, and the pointer's movement.
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

        CGraphics* g = GetGraphics();
        if (!g->BeginScene()) return;
        DrawSingleLine(10, 10, 0xFFFFFFFF, false, "pointer %d,%d%s", int(input.ptCursor.x), int(input.ptCursor.y),
                       input.bMoved ? " (moved)" : "");
        DrawSingleLine(10, 30, 0xFFFFFFFF, false, "jumps %d, last click %d,%d", m_nJumps, int(m_ptClick.x),
                       int(m_ptClick.y));
        DrawSingleLine(10, 50, 0xFFFFFFFF, false, "%s%s wheel %d", running ? "running " : "",
                       dragging ? "dragging" : "", int(wheel));
        g->EndScene();
    }
    // [/frame]

private:
    int m_nJumps = 0;
    POINT m_ptClick{0, 0};
};

int main(int argc, char** argv) {
    InputExample game;
    return game.Main(argc, argv);
}
