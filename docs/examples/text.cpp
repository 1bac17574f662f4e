// Text: the system font's free functions, a texture-cached font for texts that change and
// break into lines, and a simple font for a text that seldom changes.
#include "Example.h"

class TextExample : public Example {
public:
    // [setup]
    bool Setup() override {
        // Face names and texts are GBK bytes: "\xCB\xCE\xCC\xE5" is SimSun, which stands for
        // the installed Song face (AR PL UMing).
        // Lines of at most 40 bytes (70 after CreateFontA), 20 pixels apart.
        if (!m_Story.CreateFontA("\xCB\xCE\xCC\xE5", 16, 0, 400)) return false;
        m_Story.SetLineCount(40);
        m_Story.SetLineHeight(20);
        // 24 pixels, bold.
        return m_Score.CreateFontA("\xCB\xCE\xCC\xE5", 24, 0, 700);
    }
    // [/setup]

    // [frame]
    void Frame() override {
        CGraphics* g = GetGraphics();
        if (!g->BeginScene()) return;
        DrawSingleLine(10, 10, 0xFFFFFFFF, false, "The system font, frame %d", m_nFrame++);
        // (0, 0, width, height) of a text in the system font.
        const RECT extent = GetFontRect("Centred");
        DrawSingleLine(400, 50, 0xFFFFFF00, true, "Centred");  // centred both ways on (400, 50)
        g->Rectangle(RECT{400 - extent.right / 2 - 2, 50 - extent.bottom / 2 - 2, 400 + extent.right / 2 + 2,
                          50 + extent.bottom / 2 + 2},
                     0xFFFFFF00, false);
        const int lines = m_Story.DrawTextA(10, 100, 0xFF80FFFF, "%s",
                                            "A long text is broken into lines of a fixed number of bytes, "
                                            "never inside a double-byte character: \xC4\xE3\xBA\xC3.");
        m_Score.DrawTextA(10, 100 + lines * 20 + 20, 0xFFFFFFFF, false, "Score: %d", 1200);
        g->EndScene();
        m_Story.Update();  // textures of texts not drawn for 2 s go back to the texture manager
    }
    // [/frame]

private:
    GFont m_Story;     // up to 33 cached string textures: for texts that change
    CSimFont m_Score;  // one string texture, rendered again only when the text changes
    int m_nFrame = 0;
};

int main(int argc, char** argv) {
    TextExample game;
    return game.Main(argc, argv);
}
