// The demo game: the smallest complete game on the engine, grown as the engine grows.
#pragma once

#include <string>

#include <velmora/Velmora.h>

class DemoGame : public CGameApp {
public:
    // Stops after `frames` frames (0 runs until the window is closed) and, when `snapFile`
    // is not empty, saves the last frame there as a BMP file.
    DemoGame(int frames, std::string snapFile) : m_nFrameLimit(frames), m_strSnapFile(std::move(snapFile)) {}

    void MainLoop() override;
    int FramesRun() const { return m_nFramesRun; }

private:
    void DrawScene();

    int m_nFrameLimit;
    std::string m_strSnapFile;
    int m_nFramesRun = 0;
};
