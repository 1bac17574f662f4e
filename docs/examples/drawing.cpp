// Drawing: a texture made from pixels in memory, drawn on the sprite path (one by one and in
// a batch) and on the vertex path (stretched and mirrored), and the untextured primitives.
#include <vector>

#include "Example.h"

class DrawingExample : public Example {
public:
    // [setup]
    bool Setup() override {
        // A 16 x 16 picture: an orange square with a transparent border.
        std::vector<DWORD> pixels(16 * 16, 0x00000000);
        for (int y = 2; y < 14; ++y)
            for (int x = 2; x < 14; ++x) pixels[y * 16 + x] = 0xFFFF8000;
        m_hSquare = GetTextureManager()->LoadTextureFromMem(16, 16, pixels.data());
        GetGraphics()->SetBKColor(0xFF102030);  // the colour BeginScene clears to
        return m_hSquare != 0;
    }
    // [/setup]

    // [frame]
    void Frame() override {
        CGraphics* g = GetGraphics();
        if (!g->BeginScene()) return;
        // Sprite path: each draw complete by itself...
        Render(m_hSquare, 20, 20, nullptr, 0xFFFFFFFF);
        // ...or many batched between BeginSprite and EndSprite.
        g->BeginSprite();
        for (int i = 0; i < 10; ++i) Render(m_hSquare, 60 + i * 20, 20, nullptr, 0x80FFFFFF);  // half faded
        g->EndSprite();
        // Vertex path: stretched onto a rectangle, and scaled and mirrored left to right.
        const RECT big{20, 60, 148, 188};
        g->Render(m_hSquare, &big, nullptr, 0xFFFFFFFF);
        g->Render(m_hSquare, 200, 60, -4.0f, 4.0f, nullptr, 0xFF80FF80);
        // Primitives: only the vertex colour is drawn.
        g->Line(20, 220, 300, 220, 0xFFFFFFFF);
        g->Rectangle(RECT{20, 240, 120, 300}, 0xFF4080FF, true);
        g->Rectangle(RECT{140, 240, 240, 300}, 0xFFFFFF00, false);
        g->Circle(300, 270, 30, 0xFFFF4040);
        g->Point(400, 270, 0xFFFFFFFF);
        g->EndScene();
    }
    // [/frame]

private:
    DWORD m_hSquare = 0;
};

int main(int argc, char** argv) {
    DrawingExample game;
    return game.Main(argc, argv);
}
