#include <velmora/resource/Animation.h>

#include <velmora/core/Log.h>
#include <velmora/core/detail/EngineObjects.h>
#include <velmora/platform/win32/Time.h>
#include <velmora/resource/FrameManager.h>
#include <velmora/resource/detail/ResourceDrawing.h>

CAnimation::CAnimation()
    : m_dwFrameHandle(0),
      m_LoopType(LOOP_CYCLE),
      m_State(ANI_STOP),
      m_dwCurrentFrame(0),
      m_nX(0),
      m_nY(0),
      m_dwColor(0xFFFFFFFF),
      m_bVisible(true),
      m_dwStartTime(0),
      m_dwPauseTime(0),
      m_Desc{} {}

CAnimation::CAnimation(const CAnimation& other) : CAnimation() { CopyFrom(other); }

CAnimation& CAnimation::operator=(const CAnimation& other) {
    if (this != &other) {
        CAnimation::Release();
        CopyFrom(other);
    }
    return *this;
}

void CAnimation::CopyFrom(const CAnimation& other) {
    CFrameManager* manager = vlm_engine::Engine().frameManager;
    CFrames* frames = manager && other.m_dwFrameHandle ? manager->GetFrame(other.m_dwFrameHandle) : nullptr;
    if (frames) frames->AddRef();
    m_dwFrameHandle = frames ? other.m_dwFrameHandle : 0;
    m_LoopType = other.m_LoopType;
    m_State = other.m_State;
    m_dwCurrentFrame = other.m_dwCurrentFrame;
    m_nX = other.m_nX;
    m_nY = other.m_nY;
    m_dwColor = other.m_dwColor;
    m_bVisible = other.m_bVisible;
    m_dwStartTime = other.m_dwStartTime;
    m_dwPauseTime = other.m_dwPauseTime;
    m_Desc = other.m_Desc;
}

// Not virtual dispatch: a derived class is already gone when this runs.
CAnimation::~CAnimation() { CAnimation::Release(); }

void CAnimation::CopyDescription() {
    CFrameManager* manager = vlm_engine::Engine().frameManager;
    CFrames* frames = manager ? manager->GetFrame(m_dwFrameHandle) : nullptr;
    if (frames) frames->GetFrameDesc(&m_Desc);
}

bool CAnimation::LoadFromFile(const char* file, MemoryMode mode) {
    if (!file || !*file) {
        WriteLog(INFO_ERROR, "Invalidate parameter!");
        return false;
    }
    CFrameManager* manager = vlm_engine::Engine().frameManager;
    if (!manager) return false;
    if (m_dwFrameHandle) Release();
    m_dwFrameHandle = manager->LoadFrame(file, mode);
    if (!m_dwFrameHandle) {
        WriteLog(INFO_ERROR, "Load Animation Error!");
        return false;
    }
    CopyDescription();
    return true;
}

bool CAnimation::LoadFromFrame(CFrames* frames) {
    if (!frames) {
        WriteLog(INFO_ERROR, "Invalidate parameter!");
        return false;
    }
    CFrameManager* manager = vlm_engine::Engine().frameManager;
    if (!manager) return false;
    if (m_dwFrameHandle && manager->GetFrame(m_dwFrameHandle) == frames) {
        CopyDescription();
        return true;
    }
    if (m_dwFrameHandle) Release();
    m_dwFrameHandle = manager->InsertFrame(frames, MEM_STATIC);
    if (!m_dwFrameHandle) {
        WriteLog(INFO_ERROR, "Load Animation Error!");
        return false;
    }
    CopyDescription();
    return true;
}

void CAnimation::Release() {
    if (CFrameManager* manager = vlm_engine::Engine().frameManager) manager->ReleaseFrame(m_dwFrameHandle);
    m_dwFrameHandle = 0;
    m_Desc.nFrameCount = 0;
    m_dwCurrentFrame = 0;
}

void CAnimation::Play() {
    DWORD now = timeGetTime();
    if (m_State == ANI_STOP) m_dwStartTime = now;
    if (m_State == ANI_PAUSE) m_dwStartTime += now - m_dwPauseTime;  // skip the paused span
    m_State = ANI_PLAY;
    m_bVisible = true;
}

void CAnimation::Stop() {
    m_State = ANI_STOP;
    m_dwCurrentFrame = 0;
}

void CAnimation::Pause() {
    if (m_State != ANI_PLAY) return;
    m_State = ANI_PAUSE;
    m_dwPauseTime = timeGetTime();
}

void CAnimation::Replay() {
    m_dwCurrentFrame = 0;
    m_dwStartTime = timeGetTime();
    m_State = ANI_PLAY;
}

void CAnimation::Update() {
    const DWORD n = GetFrameCount();
    if (m_State != ANI_PLAY || m_Desc.dwDelay == 0 || n == 0) return;
    if (m_LoopType == LOOP_PINGPONG && n == 1) return;
    const DWORD periods = (timeGetTime() - m_dwStartTime) / m_Desc.dwDelay;
    switch (m_LoopType) {
        case LOOP_CYCLE: m_dwCurrentFrame = periods % n; break;
        case LOOP_PINGPONG: {
            DWORD p = periods % (2 * n - 2);
            m_dwCurrentFrame = p < n ? p : 2 * n - 2 - p;
            break;
        }
        case LOOP_ONCE: {
            DWORD f = periods % n;
            if (f > m_dwCurrentFrame) {
                m_dwCurrentFrame = f;
            } else if (f < m_dwCurrentFrame) {  // the sequence wrapped: the pass is over
                m_State = ANI_STOP;
                m_bVisible = false;
            }
            break;
        }
        default: break;
    }
}

void CAnimation::Render() {
    if (!CanDraw()) return;
    vlm_engine::ResourceDrawing* graphics = vlm_engine::Engine().resourceDrawing;
    if (!graphics) return;
    RECT dst{m_nX, m_nY, m_nX + m_Desc.nWidth, m_nY + m_Desc.nHeight};
    graphics->RenderAnimation(m_dwFrameHandle, m_dwCurrentFrame, &dst, nullptr, m_dwColor);
}

void CAnimation::Render(int x, int y, float sx, float sy, RECT* src) const {
    vlm_engine::ResourceDrawing* graphics = vlm_engine::Engine().resourceDrawing;
    if (CanDraw() && graphics)
        graphics->RenderAnimation(m_dwFrameHandle, m_dwCurrentFrame, x, y, sx, sy, src, m_dwColor);
}

void CAnimation::Render(RECT* dst, RECT* src) const {
    vlm_engine::ResourceDrawing* graphics = vlm_engine::Engine().resourceDrawing;
    if (CanDraw() && graphics) graphics->RenderAnimation(m_dwFrameHandle, m_dwCurrentFrame, dst, src, m_dwColor);
}

void CAnimation::RenderFrame(const DWORD& frame) const {
    vlm_engine::ResourceDrawing* graphics = vlm_engine::Engine().resourceDrawing;
    if (!CanDraw() || !graphics) return;
    RECT dst{m_nX, m_nY, m_nX + m_Desc.nWidth, m_nY + m_Desc.nHeight};
    graphics->RenderAnimation(m_dwFrameHandle, frame, &dst, nullptr, m_dwColor);
}

void CAnimation::SetCurrentFrame(DWORD frame) {
    DWORD n = GetFrameCount();
    m_dwCurrentFrame = n ? frame % n : 0;
}

void CAnimation::GetPosition(POINT* point) const {
    if (point) *point = POINT{m_nX, m_nY};
}
