// The demo game: the smallest complete game on the engine, grown as the engine grows.
#pragma once

#include <string>

#include <velmora/Velmora.h>

#include "DemoEffects.h"
#include "DemoMenu.h"
#include "DemoSettings.h"

class DemoGame : public CGameApp {
public:
    // Stops after `frames` frames (0 runs until the window is closed) and, when `snapFile`
    // is not empty, saves the last frame there as a BMP file.
    DemoGame(int frames, std::string snapFile) : m_nFrameLimit(frames), m_strSnapFile(std::move(snapFile)) {}

    void MainLoop() override;
    int FramesRun() const { return m_nFramesRun; }
    // Loads the demo's AMF art from `folder` into the frame manager, and its menu; a missing
    // file is logged as a warning and the demo runs on without it.
    void LoadArt(const std::string& folder);

private:
    void DrawScene();
    void DrawSprites();
    void DrawTexts();
    void DrainMessages();
    DWORD LoadFrames(const std::string& folder, const char* name);

    int m_nFrameLimit;
    std::string m_strSnapFile;
    int m_nFramesRun = 0;
    DWORD m_hBall = 0;  // frame handles: an 8-frame 32 x 32 bouncing ball, a 64 x 64 star
    DWORD m_hStar = 0;
    CAnimation m_Balls[3];    // the ball played three ways: cycle, ping-pong, slowed down
    int m_nDeviceResets = 0;  // device-ready messages drained from the queue
    GFont m_Font;             // a second font for the multi-line text
    bool m_bFontReady = false;
    DemoEffects m_Effects;    // fire, sparks and the ball's smoke trail
    DemoMenu m_Menu;          // the main menu, drawn over the scene
    DemoSettings m_Settings;  // the settings screen the menu opens
    float m_fSweepPhase = 0;  // how far the band of rectangles has swept
};
