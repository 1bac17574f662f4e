// Animations: four frames drawn in memory, packed into an AMF file with the engine's writer,
// then played back and forth, and once.
#include "Example.h"

// [pack]
// Four 32 x 32 frames, a bar that moves across them, written as spinner.amf.
bool PackSpinner(const char* file) {
    CFrames frames;
    for (int i = 0; i < 4; ++i) {
        CTexture* frame = new CTexture;
        D3DLOCKED_RECT locked{};
        if (!frame->CreateTexture(32, 32, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED) ||
            FAILED(frame->GetTexture()->LockRect(0, &locked, nullptr, 0))) {
            delete frame;
            return false;
        }
        for (int y = 0; y < 32; ++y) {
            DWORD* row = reinterpret_cast<DWORD*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch);
            for (int x = 0; x < 32; ++x) row[x] = x / 8 == i ? 0xFF40C0FF : 0x00000000;
        }
        frame->GetTexture()->UnlockRect(0);
        frames.LoadFrameFromTexture(frame);  // the frame set owns the texture from here on
    }
    CAniFile writer;
    writer.SetDelay(120);  // milliseconds per frame, written into the header
    return writer.SaveAMF(file, &frames);
}
// [/pack]

class AnimationExample : public Example {
public:
    // [play]
    bool Setup() override {
        if (!PackSpinner("spinner.amf") || !m_Bounce.LoadFromFile("spinner.amf", MEM_AUTO)) return false;
        m_Bounce.SetPosition(100, 100);
        m_Bounce.SetLoopType(LOOP_PINGPONG);  // 0 1 2 3 2 1 0 1 ...
        m_Bounce.Play();
        m_Once.LoadFromFile("spinner.amf", MEM_AUTO);  // shares the frame set of m_Bounce
        m_Once.SetPosition(200, 100);
        m_Once.SetLoopType(LOOP_ONCE);  // 0 1 2 3, then it stops and hides
        m_Once.Play();
        return true;
    }

    void Frame() override {
        m_Bounce.Update();  // the frame follows the clock, not the number of calls
        m_Once.Update();
        CGraphics* g = GetGraphics();
        if (!g->BeginScene()) return;
        m_Bounce.Render();
        m_Once.Render();
        m_Bounce.Render(300, 100, 2.0f, 2.0f, nullptr);  // the same frame at twice the size
        g->EndScene();
    }
    // [/play]

private:
    CAnimation m_Bounce;
    CAnimation m_Once;
};

int main(int argc, char** argv) {
    AnimationExample game;
    return game.Main(argc, argv);
}
