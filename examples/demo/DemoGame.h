// The demo game: the smallest complete game on the engine, grown as the engine grows.
#pragma once

#include <velmora/Velmora.h>

class DemoGame : public CGameApp {
public:
    // Stops after `frames` frames; 0 runs until the window is closed.
    explicit DemoGame(int frames) : m_nFrameLimit(frames) {}

    void MainLoop() override;
    int FramesRun() const { return m_nFramesRun; }

private:
    int m_nFrameLimit;
    int m_nFramesRun = 0;
};
