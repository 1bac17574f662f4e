// Textures and frame sets: handles chosen in list files, handles the managers issue, shared
// loads and their references, and a frame set drawn frame by frame.
#include "Example.h"

class TexturesExample : public Example {
public:
    // [load]
    bool Setup() override {
        CTextureManager* textures = GetTextureManager();
        CFrameManager* frames = GetFrameManager();
        // Caller-chosen handles from list files: textures 1 to 3, frame set 1.
        if (!textures->BatchLoad("lists/textures.lst") || !frames->BatchLoad("lists/frames.lst")) return false;
        // A handle the manager issues (above 5000). Loading the same file again without a
        // handle shares the texture and takes one more reference, which must be given back.
        m_hStar = LoadTexture("art/star.png");
        const DWORD again = LoadTexture("art/star.png");  // == m_hStar
        ReleaseTexture(again);
        return m_hStar != 0 && again == m_hStar && textures->GetTexture(1) && frames->GetFrame(1);
    }
    // [/load]

    // [frame]
    void Frame() override {
        CGraphics* g = GetGraphics();
        if (!g->BeginScene()) return;
        Render(1, 20, 20, nullptr, 0xFFFFFFFF);         // texture 1 of the list file
        Render(2, 60, 20, nullptr, 0xFFFFFFFF);         // description only: loaded by this first draw
        Render(m_hStar, 100, 20, nullptr, 0xFF80C0FF);  // tinted light blue
        // Frame set 1, one frame after the other: frame numbers wrap around the set.
        g->RenderAnimation(1, m_nFrame++ / 30, 140, 20, 1.0f, 1.0f, nullptr, 0xFFFFFFFF);
        g->EndScene();
    }
    // [/frame]

    ~TexturesExample() override { ReleaseTexture(m_hStar); }  // nothing once the engine is down

private:
    DWORD m_hStar = 0;
    DWORD m_nFrame = 0;
};

int main(int argc, char** argv) {
    TexturesExample game;
    return game.Main(argc, argv);
}
