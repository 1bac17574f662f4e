// FxViewer: the window of fxview. It runs one particle effect from a description file, fires
// it at a point or lets the pointer drag it, shows the live particle count with the system's
// update and draw time per frame, reloads the file when it changes on disk, and shows and
// prints the error and warning lines each load logged.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <velmora/Velmora.h>

#include "LoadLog.h"

// A time per frame as fxview shows it, on screen and on standard output alike: in
// microseconds below a millisecond ("13.4 µs", µ in UTF-8 or, for GBK text, as Greek mu),
// else in milliseconds ("2.50 ms").
std::string FrameTimeText(double ms, bool utf8);

class FxViewer : public CGameApp {
public:
    struct Options {
        std::string file;      // the effect's description file
        std::string snapFile;  // BMP of the last frame, when not empty
        int frames = 0;        // frames to run; 0 runs until the window closes
        float x = -1, y = -1;  // where the effect is fired; negative: the window's centre
    };

    // The engine's log goes to VLMLog.html, from which the lines of each load are shown.
    explicit FxViewer(Options options) : m_Options(std::move(options)) { SetDLLFileLog(true); }

    // Loads the effect and fires it.
    void Start();
    void MainLoop() override;

    int FramesRun() const { return m_nFrames; }
    int ParticlesAlive() const { return m_System.GetParticlesAlive(); }
    // Mean milliseconds per frame of Update and of Render over the whole run.
    double MeanUpdateMs() const { return m_nFrames ? m_fTotalUpdateMs / m_nFrames : 0.0; }
    double MeanDrawMs() const { return m_nFrames ? m_fTotalDrawMs / m_nFrames : 0.0; }
    int Reloads() const { return m_nReloads; }
    // The status line shown on screen: the file, the live particles and the mean update and
    // draw times of the last second (of the run so far, until a second has passed).
    std::string StatusText() const;

private:
    void Load();
    void HandleInput();
    void WatchFile();
    void DrawStatus();

    Options m_Options;
    ParticleSystem m_System;
    float m_fX = 0, m_fY = 0;  // where the effect is
    int m_nFrames = 0;
    double m_fTotalUpdateMs = 0, m_fTotalDrawMs = 0;
    double m_fShownUpdateMs = 0, m_fShownDrawMs = 0;  // means over the last second, on screen
    bool m_bShownWindow = false;                      // whether a second has passed yet
    double m_fWindowUpdateMs = 0, m_fWindowDrawMs = 0;
    int m_nWindowFrames = 0;
    DWORD m_dwWindowStart = 0;
    DWORD m_dwLastCheck = 0;
    std::filesystem::file_time_type m_FileTime{};
    std::uintmax_t m_nFileSize = 0;
    int m_nReloads = 0;
    std::vector<LoadLogLine> m_Lines;  // the error and warning lines of the last load
};
