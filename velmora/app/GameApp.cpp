#include <velmora/app/GameApp.h>

#include <new>

#include <velmora/core/Log.h>
#include <velmora/core/detail/EngineObjects.h>
#include <velmora/graphics/Graphics.h>
#include <velmora/gui/GUIManager.h>
#include <velmora/input/detail/EngineInput.h>
#include <velmora/message/MessageManager.h>
#include <velmora/platform/replay/Replay.h>
#include <velmora/platform/win32/Win32.h>
#include <velmora/sound/SoundManager.h>
#include <velmora/text/detail/SystemFont.h>

namespace {

const char kWindowClassName[] = "morvalen's game engine";

// Deletes the engine log, which closes its file with the document's end.
void CloseEngineLog() {
    vlm_engine::EngineObjects& g = vlm_engine::Engine();
    if (!g.log) return;
    CLog* log = g.log;
    g.log = nullptr;
    delete log;
}

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CGameApp* app = GetMainApp();
    switch (message) {
        case WM_ACTIVATE:
            if (app) app->SetActive(LOWORD(wParam) != WA_INACTIVE && HIWORD(wParam) == 0);
            break;
        case WM_CLOSE:
            // Quit the loop but keep the window: Destroy and the game decide its end.
            PostQuitMessage(0);
            return 0;
        case WM_ENDSESSION:
            // The session ends (the display went away) and the process right after, without
            // Destroy: the log file is closed now, so that it ends complete.
            if (wParam) CloseEngineLog();
            return 0;
        case WM_SYSKEYDOWN:
            if (wParam == VK_RETURN) {
                if (CGraphics* graphics = GetGraphics()) graphics->ToggleScreen();
                break;
            }
            if (wParam == 0x51 || wParam == VK_F2 || wParam == VK_F4) {
                PostQuitMessage(0);
                return 0;
            }
            break;
        default: break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

// A recording's or replay's report lines go to the log too.
void ReportToLog(const char* line, BOOL problem) {
    if (vlm_engine::Engine().log) WriteLog(problem ? INFO_WARNING : INFO_NORMAL, "%s", line);
}

// The graphics object toggles the screen mode; the running application's flag follows.
void FollowWindowMode(bool windowed) {
    if (CGameApp* app = vlm_engine::Engine().mainApp) app->SetWindowMode(windowed);
}

}  // namespace

CGameApp::CGameApp()
    : m_bActive(true),
      m_bNotSuspend(false),
      m_bDLLFileLog(false),
      m_hWnd(nullptr),
      m_hInstance(nullptr),
      m_pGraphics(nullptr),
      m_dwLastFrameTime(0),
      m_dwFrameInterval(0),
      m_dwFPSTime(0),
      m_nFPS(0),
      m_nFrameCount(0),
      m_nWindowWidth(800),
      m_nWindowHeight(600),
      m_nWindowDepth(32),
      m_bWindowMode(true),
      m_bVSync(false),
      m_dwRefreshInterval(0) {
    vlm_engine::Engine().mainApp = this;
    vlm_engine::Engine().windowModeChanged = FollowWindowMode;
}

CGameApp::~CGameApp() {
    // A destroyed copy must not unregister the application that is still running.
    if (vlm_engine::Engine().mainApp == this) vlm_engine::Engine().mainApp = nullptr;
}

void CGameApp::SetFPS(int fps) { m_dwFrameInterval = fps > 0 ? static_cast<DWORD>(1000.0 / fps) : 0; }

HWND CGameApp::InitWindow(HINSTANCE hInstance, int nCmdShow, const char* title, const char* iconName) {
    WNDCLASSA wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = hInstance;
    wc.hIcon = LoadIconA(hInstance, iconName);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = kWindowClassName;
    if (!RegisterClassA(&wc)) {
        WriteLog(INFO_ERROR, "Register class fail!");
        return nullptr;
    }

    HWND hwnd = nullptr;
    if (m_bWindowMode) {
        int outerWidth = m_nWindowWidth + 2 * GetSystemMetrics(SM_CXDLGFRAME);
        int outerHeight = m_nWindowHeight + 2 * GetSystemMetrics(SM_CYDLGFRAME) + GetSystemMetrics(SM_CYCAPTION);
        int left = (GetSystemMetrics(SM_CXSCREEN) - outerWidth) / 2;
        int top = (GetSystemMetrics(SM_CYSCREEN) - outerHeight) / 2;
        hwnd = CreateWindowExA(0, kWindowClassName, title, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, left, top,
                               outerWidth, outerHeight, nullptr, nullptr, hInstance, nullptr);
    } else {
        hwnd = CreateWindowExA(WS_EX_TOPMOST, kWindowClassName, title, WS_POPUP, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                               GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, hInstance, nullptr);
    }
    if (!hwnd) {
        WriteLog(INFO_ERROR, "CreateWindowEx fail!");
        return nullptr;
    }
    ShowWindow(hwnd, nCmdShow);
    UpdateWindow(hwnd);
    return hwnd;
}

bool CGameApp::StartRecording(const char* file) {
    if (m_hWnd || !file || !*file) {
        WriteLog(INFO_WARNING, "StartRecording: a recording starts with the game, before InitApplication");
        return false;
    }
    return vlm_RecordNextSession(file) != FALSE;
}

int CGameApp::InitApplication(HINSTANCE hInstance, int nCmdShow, const char* title, const char* iconName) {
    vlm_engine::EngineObjects& g = vlm_engine::Engine();

    // A recording or replay (VELMORA_RECORD, VELMORA_REPLAY, StartRecording) starts before
    // anything else, so that it has everything the game gets. A replay of another game or
    // engine refuses here.
    vlm_SetSessionReport(ReportToLog);
    char refused[512];
    if (!vlm_BeginSession(title, refused, sizeof refused)) {
        if (!g.log) {
            CLog* log = new (std::nothrow) CLog();
            if (!log) return 0;
            g.log = log;
            if (m_bDLLFileLog) log->StartLog("VLMLog.html", false);
        }
        WriteLog(INFO_ERROR, "%s", refused);
        return 0;
    }

    m_hWnd = InitWindow(hInstance, nCmdShow, title, iconName);
    m_hInstance = hInstance;
    if (!m_hWnd) return 0;

    timeBeginPeriod(1);

    CLog* log = new (std::nothrow) CLog();
    if (!log) return 0;
    g.log = log;
    if (m_bDLLFileLog) log->StartLog("VLMLog.html", false);

    // Start-up goes on without input when the devices cannot be made.
    if (vlm_engine::EngineInput().CreateInput(m_hWnd)) {
        WriteLog(INFO_NORMAL, "Initiate Keyboard input device...OK");
        WriteLog(INFO_NORMAL, "Initiate Mouse input device...OK");
    }

    m_pGraphics = new (std::nothrow) CGraphics();
    if (!m_pGraphics) return 0;
    m_pGraphics->SetZBuffer(true);
    WriteLog(INFO_NORMAL, "Setup Z Buffer : true");
    m_pGraphics->SetVSync(m_bVSync);
    if (!m_pGraphics->InitGraphics(m_hWnd, m_nWindowWidth, m_nWindowHeight, m_bWindowMode, m_nWindowDepth)) return 0;
    if (m_bVSync) {
        // Where the display does not sync (a virtual or off-screen one), the loop keeps the
        // frames a refresh apart itself; where it does, the present waits longer than that.
        D3DDISPLAYMODE mode{};
        const UINT hz = SUCCEEDED(m_pGraphics->GetDevice()->GetDisplayMode(0, &mode)) && mode.RefreshRate > 0
                            ? mode.RefreshRate
                            : 60;
        m_dwRefreshInterval = static_cast<DWORD>(1000.0 / hz);
    }

    CMessageManager* messageManager = new (std::nothrow) CMessageManager();
    if (!messageManager) return 0;
    g.messageManager = messageManager;
    WriteLog(INFO_NORMAL, "Create Main Message System...");

    // Without a sound device the manager still runs, silent: the game plays the same.
    CSoundManager* soundManager = new (std::nothrow) CSoundManager();
    if (!soundManager) return 0;
    g.soundManager = soundManager;
    WriteLog(INFO_NORMAL, "Create Sound System...");
    soundManager->Init(m_hWnd);

    GUIManager* guiManager = new (std::nothrow) GUIManager();
    if (!guiManager) return 0;
    g.guiManager = guiManager;
    WriteLog(INFO_NORMAL, "Create GUI System...");

    // The SimSun face, named in code page 936.
    GFont& systemFont = vlm_engine::SystemFont();
    if (!systemFont.CreateFontA("\xCB\xCE\xCC\xE5", 12, 0, 400)) return 0;
    systemFont.SetLineCount(50);
    WriteLog(INFO_NORMAL, "Create System Font...");

    WriteLog(INFO_NORMAL, "Initiate Velmora Core Application is OK.");
    WriteLog(INFO_NORMAL, "Processing User's code...");
    return 1;
}

namespace {

// The pads that came and went at the frame's input update, as messages the frame can read.
void PostPadEvents() {
    int event = 0, pad = 0;
    while (vlm_engine::EngineInput().TakePadEvent(&event, &pad)) {
        CMessage message(event == CInput::PAD_EVENT_CONNECTED ? MSG_PAD_CONNECTED : MSG_PAD_DISCONNECTED, 0, 0);
        message.SetParameter(DWORD(pad), 0, nullptr);
        if (vlm_engine::Engine().messageManager) PostMessageA(message);
    }
}

}  // namespace

void CGameApp::Run() {
    MSG msg{};
    for (;;) {
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!GetMessageA(&msg, nullptr, 0, 0)) return;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            continue;
        }
        const bool suspended = !m_bActive && !m_bNotSuspend;
        if (CSoundManager* sound = vlm_engine::Engine().soundManager) sound->Suspend(suspended);
        if (suspended) {
            WaitMessage();
            continue;
        }
        // Never two frames in one millisecond. The wait sleeps until the next frame is due,
        // or until a message comes, which is handled first.
        DWORD interval = m_dwFrameInterval;
        if (m_bVSync && interval < m_dwRefreshInterval) interval = m_dwRefreshInterval;
        if (interval < 1) interval = 1;
        if (timeGetTime() - m_dwLastFrameTime < interval) {
            vlm_WaitMessageUntil(m_dwLastFrameTime + interval);
            continue;
        }

        DWORD now = timeGetTime();
        m_dwLastFrameTime = now;
        if (now - m_dwFPSTime > 1000) {
            m_nFPS = m_nFrameCount;
            m_nFrameCount = 0;
            m_dwFPSTime = now;
        } else {
            m_nFrameCount += 1;
        }
        vlm_engine::EngineInput().UpdateBufferInput(&vlm_engine::InputSnapshot());
        PostPadEvents();
        if (CSoundManager* sound = vlm_engine::Engine().soundManager) sound->Update();
        MainLoop();
        if (!m_bWindowMode) Sleep(1);
    }
}

int CGameApp::Destroy() {
    vlm_engine::EngineObjects& g = vlm_engine::Engine();
    // While the log and the device are there: a replay's report goes into the log and the
    // last picture is compared.
    vlm_EndSession();
    CloseEngineLog();
    if (g.guiManager) {
        // Unregistered first: the windows being deleted must not reach the manager.
        GUIManager* guiManager = g.guiManager;
        g.guiManager = nullptr;
        delete guiManager;
    }
    if (g.soundManager) {
        // Before the message queue, which its last messages go to.
        CSoundManager* soundManager = g.soundManager;
        g.soundManager = nullptr;
        delete soundManager;
    }
    if (g.messageManager) {
        delete g.messageManager;
        g.messageManager = nullptr;
    }
    if (m_pGraphics) {
        delete m_pGraphics;
        m_pGraphics = nullptr;
        g.graphics = nullptr;
    }
    vlm_engine::EngineInput().ReleaseInput();
    timeEndPeriod(1);
    UnregisterClassA(kWindowClassName, m_hInstance);
    return 1;
}
