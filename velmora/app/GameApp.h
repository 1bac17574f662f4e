// CGameApp: the root of every game. A game derives from it, overrides MainLoop, and calls
// InitApplication, Run and Destroy in that order.
#pragma once

#include <velmora/Export.h>
#include <velmora/app/EngineGlobals.h>
#include <velmora/platform/win32/Types.h>

class VLM_API CGameApp {
public:
    CGameApp();
    CGameApp(const CGameApp&) = default;
    CGameApp& operator=(const CGameApp&) = default;
    virtual ~CGameApp();

    // 1 when the engine is ready, 0 on failure (Destroy cleans up whatever was made).
    virtual int InitApplication(HINSTANCE hInstance, int nCmdShow, const char* title, const char* iconName);
    // Always 1; safe after a failed start-up and more than once.
    virtual int Destroy();
    // Pumps messages and runs paced frames until the quit message arrives.
    virtual void Run();
    // The game's per-frame routine.
    virtual void MainLoop() {}

    void SetWindowWidth(int width) { m_nWindowWidth = width; }
    int GetWindowWidth() const { return m_nWindowWidth; }
    void SetWindowHeight(int height) { m_nWindowHeight = height; }
    int GetWindowHeight() const { return m_nWindowHeight; }
    void SetWindowDepth(int depth) { m_nWindowDepth = depth; }
    int GetWindowDepth() const { return m_nWindowDepth; }
    void SetWindowMode(bool windowed) { m_bWindowMode = windowed; }
    bool GetWindowMode() const { return m_bWindowMode; }
    void SetNotSuspend(bool notSuspend) { m_bNotSuspend = notSuspend; }
    bool GetNotSuspend() const { return m_bNotSuspend; }
    void SetDLLFileLog(bool fileLog) { m_bDLLFileLog = fileLog; }
    bool GetDLLFileLog() const { return m_bDLLFileLog; }
    void SetActive(bool active) { m_bActive = active; }
    bool GetActive() const { return m_bActive; }
    HWND GetWndHandle() const { return m_hWnd; }
    HINSTANCE GetInstance() const { return m_hInstance; }
    // The measured frame rate of the last closed one-second window.
    int GetFPS() const { return m_nFPS; }
    // Least time between frame starts: 1000 / fps ms, truncated; 0 removes the pacing.
    void SetFPS(int fps);
    // Before InitApplication: present in step with the display's refresh (off by default).
    // The present then paces the frames; where the display has no sync, the loop starts
    // frames at most once a refresh interval. SetFPS still sets the least time between them.
    void SetVSync(bool on) { m_bVSync = on; }
    bool GetVSync() const { return m_bVSync; }
    // Records the session into `file` from InitApplication on, as VELMORA_RECORD=FILE does: every
    // clock value, window-system event and controller change the game gets, and a checksum of
    // every 60th picture (docs/replay.md). A replay of the file (VELMORA_REPLAY=FILE) runs the game
    // through the same session again. Call it before InitApplication: a recording starts with
    // the game, as its replay does. False when the game runs already or `file` is empty.
    bool StartRecording(const char* file);

protected:
    HWND InitWindow(HINSTANCE hInstance, int nCmdShow, const char* title, const char* iconName);

    bool m_bActive;
    bool m_bNotSuspend;
    bool m_bDLLFileLog;
    HWND m_hWnd;
    HINSTANCE m_hInstance;
    CGraphics* m_pGraphics;
    DWORD m_dwLastFrameTime;
    DWORD m_dwFrameInterval;
    DWORD m_dwFPSTime;
    int32_t m_nFPS;
    int32_t m_nFrameCount;
    int32_t m_nWindowWidth;
    int32_t m_nWindowHeight;
    int32_t m_nWindowDepth;
    bool m_bWindowMode;
    bool m_bVSync;
    DWORD m_dwRefreshInterval;  // with the vertical sync: the display's refresh interval, ms
};
