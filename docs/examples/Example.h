// What the example programs of the guides share: each is a game whose Setup loads what it
// needs and whose Frame runs one frame. `example N` quits after N frames, so the tests run
// every example headless; the program fails (exit status 1) when start-up or Setup did.
#pragma once

#include <cstdlib>

#include <velmora/Velmora.h>

class Example : public CGameApp {
public:
    virtual bool Setup() { return true; }
    virtual void Frame() = 0;

    void MainLoop() override {
        if (IsKeyDown(DIK_ESCAPE) || (m_nLimit > 0 && ++m_nFrames >= m_nLimit)) PostQuitMessage(0);
        Frame();
    }

    int Main(int argc, char** argv) {
        m_nLimit = argc > 1 ? std::atoi(argv[1]) : 0;
        const bool ok = InitApplication(GetModuleHandleA(nullptr), SW_SHOW, "Velmora example", nullptr) && Setup();
        if (ok) Run();
        Destroy();
        return ok ? 0 : 1;
    }

private:
    int m_nLimit = 0;
    int m_nFrames = 0;
};
