#include <velmora/graphics/Graphics.h>

#include <cstring>
#include <new>

#include <velmora/core/Log.h>
#include <velmora/core/detail/EngineObjects.h>
#include <velmora/graphics/DeviceState.h>
#include <velmora/graphics/detail/GraphicsResourceDrawing.h>
#include <velmora/message/MessageManager.h>
#include <velmora/platform/gdi/Gdi.h>
#include <velmora/platform/win32/Win32.h>
#include <velmora/resource/FrameManager.h>
#include <velmora/resource/TextureManager.h>

namespace {

const DWORD kWindowedStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
// The texture stages of a Direct3D 9 device.
const DWORD kTextureStages = 8;

template <class T>
void ReleaseCom(T*& object) {
    if (object) {
        object->Release();
        object = nullptr;
    }
}

// The first listed mode of `format` that is exactly width x height.
bool FindMode(IDirect3D9* d3d, D3DFORMAT format, int width, int height, D3DDISPLAYMODE* found) {
    UINT count = d3d->GetAdapterModeCount(D3DADAPTER_DEFAULT, format);
    for (UINT i = 0; i < count; ++i) {
        D3DDISPLAYMODE mode{};
        if (FAILED(d3d->EnumAdapterModes(D3DADAPTER_DEFAULT, format, i, &mode))) continue;
        if (static_cast<int>(mode.Width) == width && static_cast<int>(mode.Height) == height) {
            *found = mode;
            return true;
        }
    }
    return false;
}

}  // namespace

CGraphics::CGraphics()
    : m_pD3D(nullptr),
      m_pDevice(nullptr),
      m_pSprite(nullptr),
      m_pFont(nullptr),
      m_Caps{},
      m_pPresentParams(nullptr),
      m_ppWindowed{},
      m_ppFullScreen{},
      m_matProjection{},
      m_matView{},
      m_nWidth(0),
      m_nHeight(0),
      m_nDepth(32),
      m_hWnd(nullptr),
      m_bWindowed(true),
      m_bZBuffer(false),
      m_dwBKColor(0xFF000000),
      m_pTextureManager(nullptr),
      m_pFrameManager(nullptr),
      m_bVSync(false) {
    vlm_engine::Engine().graphics = this;
    vlm_engine::Engine().resourceDrawing = &vlm_engine::GraphicsResourceDrawing();
}

CGraphics::~CGraphics() {
    vlm_engine::EngineObjects& g = vlm_engine::Engine();
    ReleaseCom(m_pSprite);
    ReleaseCom(m_pFont);
    if (m_pDevice) {
        // Textures keep their device alive and the device its bound textures: unbound, the
        // device goes with the last texture the managers delete below, instead of both leaking.
        for (DWORD stage = 0; stage < kTextureStages; ++stage) m_pDevice->SetTexture(stage, nullptr);
        ReleaseCom(m_pDevice);
        g.device = nullptr;
    }
    ReleaseCom(m_pD3D);
    if (m_pTextureManager && g.textureManager == m_pTextureManager) g.textureManager = nullptr;
    delete m_pTextureManager;
    m_pTextureManager = nullptr;
    if (m_pFrameManager && g.frameManager == m_pFrameManager) g.frameManager = nullptr;
    delete m_pFrameManager;
    m_pFrameManager = nullptr;
    if (g.graphics == this) {
        g.graphics = nullptr;
        g.resourceDrawing = nullptr;
    }
}

bool CGraphics::InitGraphics(HWND hWnd, int width, int height, bool windowed, int depth) {
    m_hWnd = hWnd;
    m_nWidth = width;
    m_nHeight = height;
    m_bWindowed = windowed;
    m_nDepth = depth;
    WriteLog(INFO_NORMAL, "Initiating Graphics...");

    m_pD3D = Direct3DCreate9(D3D_SDK_VERSION);
    if (!m_pD3D) {
        WriteLog(INFO_ERROR, "Can't create D3D interface");
        return false;
    }

    D3DDISPLAYMODE desktop{};
    if (FAILED(m_pD3D->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &desktop))) {
        WriteLog(INFO_ERROR, "Can't determine desktop video mode");
        if (windowed) return false;
    }

    D3DFORMAT listed = depth == 32 ? D3DFMT_X8R8G8B8 : D3DFMT_R5G6B5;
    if (depth != 32 && m_pD3D->GetAdapterModeCount(D3DADAPTER_DEFAULT, listed) == 0) listed = D3DFMT_X1R5G5B5;
    D3DDISPLAYMODE mode{};
    D3DFORMAT fullScreenFormat = D3DFMT_UNKNOWN;
    if (FindMode(m_pD3D, listed, width, height, &mode)) {
        fullScreenFormat = mode.Format;
    } else {
        WriteLog(INFO_ERROR, "Can't find appropriate full screen video mode");
        if (!windowed) return false;
    }
    D3DFORMAT windowedFormat = m_pD3D->GetAdapterModeCount(D3DADAPTER_DEFAULT, listed) ? listed : desktop.Format;

    std::memset(&m_ppWindowed, 0, sizeof(m_ppWindowed));
    m_ppWindowed.BackBufferWidth = static_cast<UINT>(width);
    m_ppWindowed.BackBufferHeight = static_cast<UINT>(height);
    m_ppWindowed.BackBufferFormat = windowedFormat;
    m_ppWindowed.BackBufferCount = 1;
    m_ppWindowed.MultiSampleType = D3DMULTISAMPLE_4_SAMPLES;
    m_ppWindowed.SwapEffect = D3DSWAPEFFECT_DISCARD;
    m_ppWindowed.hDeviceWindow = hWnd;
    m_ppWindowed.Windowed = TRUE;
    m_ppWindowed.PresentationInterval = m_bVSync ? D3DPRESENT_INTERVAL_ONE : D3DPRESENT_INTERVAL_IMMEDIATE;
    if (m_bZBuffer) {
        m_ppWindowed.EnableAutoDepthStencil = TRUE;
        m_ppWindowed.AutoDepthStencilFormat = D3DFMT_D16;
    }
    m_ppFullScreen = m_ppWindowed;
    m_ppFullScreen.BackBufferFormat = fullScreenFormat;
    m_ppFullScreen.Windowed = FALSE;
    m_ppFullScreen.FullScreen_RefreshRateInHz = 0;

    if (SUCCEEDED(m_pD3D->CheckDeviceMultiSampleType(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, windowedFormat, TRUE,
                                                     D3DMULTISAMPLE_4_SAMPLES, nullptr))) {
        WriteLog(INFO_NORMAL, "Supported Full_windowed MultiSampling 4X: TRUE");
    } else {
        m_ppWindowed.MultiSampleType = D3DMULTISAMPLE_NONE;
        WriteLog(INFO_NORMAL, "Supported Full_windowed MultiSampling 4X: FALSE");
    }
    vlm_engine::EngineObjects& g = vlm_engine::Engine();
    if (SUCCEEDED(m_pD3D->CheckDeviceMultiSampleType(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, fullScreenFormat, FALSE,
                                                     D3DMULTISAMPLE_4_SAMPLES, nullptr))) {
        g.supportFSAA = true;
        WriteLog(INFO_NORMAL, "Supported Full_scene MultiSampling 4X: TRUE");
    } else {
        g.supportFSAA = false;
        m_ppFullScreen.MultiSampleType = D3DMULTISAMPLE_NONE;
        WriteLog(INFO_NORMAL, "Supported Full_scene MultiSampling 4X: FALSE");
    }
    m_pPresentParams = windowed ? &m_ppWindowed : &m_ppFullScreen;

    std::memset(&m_Caps, 0, sizeof(m_Caps));
    if (FAILED(m_pD3D->GetDeviceCaps(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, &m_Caps))) {
        WriteLog(INFO_ERROR, "GetDeviceCaps fail!");
        return false;
    }
    DWORD behaviour = (m_Caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT) ? D3DCREATE_HARDWARE_VERTEXPROCESSING
                                                                        : D3DCREATE_SOFTWARE_VERTEXPROCESSING;
    if (FAILED(
            m_pD3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, hWnd, behaviour, m_pPresentParams, &m_pDevice))) {
        WriteLog(INFO_ERROR, "Can't create Direct3D device.");
        return false;
    }
    g.device = m_pDevice;

    m_pTextureManager = new (std::nothrow) CTextureManager();
    if (!m_pTextureManager) {
        WriteLog(INFO_ERROR, "Can't Create Texture Manager.");
        return false;
    }
    g.textureManager = m_pTextureManager;
    m_pFrameManager = new (std::nothrow) CFrameManager();
    if (!m_pFrameManager) {
        WriteLog(INFO_ERROR, "Can't Create Frame Manager.");
        return false;
    }
    g.frameManager = m_pFrameManager;

    WriteLog(INFO_NORMAL, "Graphics Width(%d), Height(%d), Color(%d)", width, height, depth);
    WriteLog(INFO_NORMAL, "Initiate Graphics Successful.");

    if (FAILED(D3DXCreateSprite(m_pDevice, &m_pSprite))) {
        WriteLog(INFO_ERROR, "Can't create D3DXSprite.");
        return false;
    }
    HFONT font = CreateFontA(12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, nullptr);
    HRESULT fontResult = D3DXCreateFont(m_pDevice, font, &m_pFont);
    if (font) DeleteObject(font);
    if (FAILED(fontResult)) {
        WriteLog(INFO_ERROR, "Can't create D3DXFont.");
        return false;
    }
    InitDevice();
    return true;
}

void CGraphics::InitDevice() {
    m_matProjection = ApplyEngineDeviceState(m_pDevice, m_nWidth, m_nHeight, m_bZBuffer);
    D3DXMATRIX view;
    m_matView = *D3DXMatrixIdentity(&view);

    // The game learns that device state of its own must be restored. During start-up there
    // is no message queue yet, so the first one goes nowhere.
    PostMessageA(CMessage(MSG_DEVICE_READY, 0, 0));
}

bool CGraphics::BeginScene() {
    if (!m_pDevice) return false;
    DWORD flags = D3DCLEAR_TARGET | (m_bZBuffer ? D3DCLEAR_ZBUFFER : 0);
    m_pDevice->Clear(0, nullptr, flags, m_dwBKColor, 1.0f, 0);
    return SUCCEEDED(m_pDevice->BeginScene());
}

void CGraphics::EndScene() {
    if (!m_pDevice) return;
    m_pDevice->EndScene();
    HRESULT presented = m_pDevice->Present(nullptr, nullptr, nullptr, nullptr);
    if (presented == D3DERR_DEVICELOST && m_pDevice->TestCooperativeLevel() == D3DERR_DEVICENOTRESET) {
        OnLostDevice();
        OnResetDevice();
    }
    // Housekeeping runs every frame, lost device or not.
    if (m_pTextureManager) m_pTextureManager->Update();
    if (m_pFrameManager) m_pFrameManager->Update();
}

void CGraphics::OnLostDevice() {
    if (m_pSprite) m_pSprite->OnLostDevice();
    if (m_pFont) m_pFont->OnLostDevice();
}

void CGraphics::OnResetDevice() {
    if (FAILED(m_pDevice->Reset(m_pPresentParams))) return;
    if (m_pSprite) m_pSprite->OnResetDevice();
    if (m_pFont) m_pFont->OnResetDevice();
    InitDevice();
}

void CGraphics::BeginSprite() {
    if (m_pSprite) m_pSprite->Begin(0);
}

void CGraphics::EndSprite() {
    if (m_pSprite) m_pSprite->End();
}

void CGraphics::ToggleScreen() {
    if (!m_pDevice) return;
    OnLostDevice();
    m_bWindowed = !m_bWindowed;
    m_pPresentParams = m_bWindowed ? &m_ppWindowed : &m_ppFullScreen;
    if (SUCCEEDED(m_pDevice->Reset(m_pPresentParams))) {
        if (m_pSprite) m_pSprite->OnResetDevice();
        if (m_pFont) m_pFont->OnResetDevice();
        InitDevice();
    }
    if (!m_bWindowed) {
        SetWindowLongA(m_hWnd, GWL_STYLE, static_cast<LONG>(WS_POPUP));
        SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                     SWP_SHOWWINDOW);
    } else {
        int outerWidth = m_nWidth + 2 * GetSystemMetrics(SM_CXDLGFRAME);
        int outerHeight = m_nHeight + 2 * GetSystemMetrics(SM_CYDLGFRAME) + GetSystemMetrics(SM_CYCAPTION);
        SetWindowLongA(m_hWnd, GWL_STYLE, static_cast<LONG>(kWindowedStyle));
        SetWindowPos(m_hWnd, HWND_NOTOPMOST, (GetSystemMetrics(SM_CXSCREEN) - outerWidth) / 2,
                     (GetSystemMetrics(SM_CYSCREEN) - outerHeight) / 2, outerWidth, outerHeight, SWP_SHOWWINDOW);
    }
    if (auto changed = vlm_engine::Engine().windowModeChanged) changed(m_bWindowed);
}

void CGraphics::SnapToFile(const char* file) {
    if (!m_pDevice) return;
    IDirect3DSurface9* surface = nullptr;
    m_pDevice->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &surface);
    if (!surface) return;
    D3DXSaveSurfaceToFileA(file, D3DXIFF_BMP, surface, nullptr, nullptr);
    surface->Release();
}

void CGraphics::Render3DObject() {
    if (!m_pDevice) return;
    D3DXMATRIX world, projection;
    m_pDevice->SetTransform(D3DTS_WORLD, D3DXMatrixIdentity(&world));
    D3DXMatrixPerspectiveFovLH(&projection, 1.0471976f, 1.3333334f, 0.5f, 100000.0f);
    m_pDevice->SetTransform(D3DTS_PROJECTION, &projection);
    D3DVIEWPORT9 viewport{0, 0, 800, 600, 0.0f, 1.0f};
    m_pDevice->SetViewport(&viewport);
}
