// C2DFrame: a still picture — one texture handle with a position and a scale, drawn with the
// free Render function.
#pragma once

#include <velmora/Export.h>
#include <velmora/platform/win32/Types.h>

class VLM_API C2DFrame {
public:
    C2DFrame() = default;
    // Copies share the texture with a reference of their own, so each may release it.
    C2DFrame(const C2DFrame& other);
    C2DFrame& operator=(const C2DFrame& other);
    ~C2DFrame();

    // Loads the picture (automatic memory mode, one mip level); a picture held before is released.
    bool Load(const char* file);
    void Render() const;
    void SetPosition(const int& x, const int& y) { m_nX = x, m_nY = y; }
    void SetScale(const float& sx, const float& sy) { m_fScaleX = sx, m_fScaleY = sy; }
    DWORD GetHandle() const { return m_dwHandle; }

private:
    DWORD m_dwHandle = 0;
    int32_t m_nX = 0;
    int32_t m_nY = 0;
    float m_fScaleX = 1.0f;
    float m_fScaleY = 1.0f;
};
