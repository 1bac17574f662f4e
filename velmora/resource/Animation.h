// CAnimation: plays one frame set of the frame manager — position, colour, visibility, play
// state and loop policy — choosing the current frame from the millisecond clock. The game
// calls Update and Render once per frame.
#pragma once

#include <velmora/Export.h>
#include <velmora/resource/Frames.h>
#include <velmora/resource/Texture.h>

enum ANI_STATE : int { ANI_STOP = 0, ANI_PAUSE = 1, ANI_PLAY = 2 };
enum LOOP_TYPE : int { LOOP_ONCE = 0, LOOP_CYCLE = 1, LOOP_PINGPONG = 2 };

class VLM_API CAnimation {
public:
    CAnimation();
    // Copies share the frame set with a reference of their own, so each may be released.
    CAnimation(const CAnimation& other);
    CAnimation& operator=(const CAnimation& other);
    virtual ~CAnimation();

    // Loads (or shares) an AMF frame set through the frame manager; the play state stays.
    bool LoadFromFile(const char* file, MemoryMode mode);
    // Hands a frame set built elsewhere to the frame manager, which then owns it.
    bool LoadFromFrame(CFrames* frames);
    virtual void Release();
    virtual void Play();
    virtual void Stop();
    virtual void Pause();
    virtual void Replay();
    virtual void Update();
    // The current frame at the position, at the frame set's size.
    virtual void Render();
    void Render(int x, int y, float sx, float sy, RECT* src) const;
    void Render(RECT* dst, RECT* src) const;
    void RenderFrame(const DWORD& frame) const;
    // Jumps to `frame` modulo the frame count; a playing animation returns to the clock's
    // frame at the next Update.
    void SetCurrentFrame(DWORD frame);

    DWORD GetCurrentFrame() const { return m_dwCurrentFrame; }
    DWORD GetFrameCount() const { return static_cast<DWORD>(m_Desc.nFrameCount); }
    DWORD GetDelay() const { return m_Desc.dwDelay; }
    void SetDelay(DWORD delay) { m_Desc.dwDelay = delay; }
    int GetWidth() const { return m_Desc.nWidth; }
    int GetHeight() const { return m_Desc.nHeight; }
    void SetPosition(int x, int y) { m_nX = x, m_nY = y; }
    void GetPosition(POINT* point) const;
    void Show(bool visible) { m_bVisible = visible; }
    bool IsVisual() const { return m_bVisible; }
    void SetLoopType(LOOP_TYPE type) { m_LoopType = type; }
    LOOP_TYPE GetLoopType() const { return m_LoopType; }
    ANI_STATE GetState() const { return m_State; }
    void SetColor(DWORD color) { m_dwColor = color; }
    DWORD GetColor() const { return m_dwColor; }

protected:
    bool CanDraw() const { return m_bVisible && m_dwFrameHandle != 0; }
    void CopyDescription();
    void CopyFrom(const CAnimation& other);

    DWORD m_dwFrameHandle;
    LOOP_TYPE m_LoopType;
    ANI_STATE m_State;
    DWORD m_dwCurrentFrame;
    int32_t m_nX;
    int32_t m_nY;
    DWORD m_dwColor;
    bool m_bVisible;
    DWORD m_dwStartTime;
    DWORD m_dwPauseTime;
    FrameDesc m_Desc;
};
