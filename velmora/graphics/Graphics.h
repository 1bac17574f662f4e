// CGraphics: the engine's Direct3D objects — interface, device, sprite and font objects —
// with the display mode choice, two sets of presentation parameters (windowed and full
// screen), the fixed 2D render state, the frame, lost-device recovery and the full-screen
// toggle. Positions are back-buffer pixels, y downwards.
#pragma once

#include <velmora/Export.h>
#include <velmora/platform/d3d9/Direct3D9.h>
#include <velmora/platform/d3dx9/D3DX9.h>

class CTextureManager;
class CFrameManager;

class VLM_API CGraphics {
public:
    // Becomes the engine graphics object (GetGraphics).
    CGraphics();
    ~CGraphics();
    CGraphics(const CGraphics&) = delete;
    CGraphics& operator=(const CGraphics&) = delete;

    bool InitGraphics(HWND hWnd, int width, int height, bool windowed, int depth);
    // Clears the back buffer (and depth) and begins the scene; false when nothing should be drawn.
    bool BeginScene();
    // Ends and presents the frame, recovers a lost device, runs the managers' housekeeping.
    void EndScene();
    void BeginSprite();
    void EndSprite();
    void ToggleScreen();
    // Saves the back buffer as a BMP file.
    void SnapToFile(const char* file);
    // A fixed perspective set-up for 3D drawing, kept until the next reset.
    void Render3DObject();

    // Drawing (between BeginScene and EndScene). Textures are named by texture-manager handles,
    // animation frames by frame-set handle and frame index; colours multiply the texels.
    // Sprite path: through the sprite object, batched inside BeginSprite/EndSprite.
    void RenderSprite(DWORD handle, int x, int y, const RECT* src, DWORD color);
    void Render(DWORD handle, int x, int y, const RECT* src, DWORD color);
    void RenderSprite(DWORD handle, const RECT* dst, const RECT* src, DWORD color);
    void RenderAnimation(DWORD frameSet, DWORD frameIndex, const RECT* dst, const RECT* src, DWORD color);
    // Negative scales mirror the picture in place.
    void RenderAnimation(DWORD frameSet, DWORD frameIndex, int x, int y, float sx, float sy, const RECT* src,
                         DWORD color);
    // Vertex path: straight to the device as four-vertex triangle strips.
    void Render(DWORD handle, const RECT* dst, const RECT* src, DWORD color);
    void Render(DWORD handle, int x, int y, float sx, float sy, const RECT* src, DWORD color);
    void Render(IDirect3DTexture9* texture, int x, int y, RECT rect, DWORD color);
    // Untextured primitives.
    void Point(int x, int y, DWORD color);
    void Line(int x1, int y1, int x2, int y2, DWORD color);
    void Rectangle(RECT rect, DWORD color, bool fill);
    void Circle(int x, int y, int radius, DWORD color);
    // Text is drawn by the fonts; these two draw nothing.
    void DrawCaption(int x, int y, DWORD color, const char* format, ...) __attribute__((format(printf, 5, 6)));
    void DrawTextA(int x, int y, DWORD color, const char* text);

    bool IsWindowed() const { return m_bWindowed; }
    void SetBKColor(DWORD color) { m_dwBKColor = color; }
    void SetZBuffer(bool on) { m_bZBuffer = on; }
    bool GetZBuffer() const { return m_bZBuffer; }
    // Before InitGraphics: present in step with the display's refresh (D3DPRESENT_INTERVAL_ONE)
    // rather than at once.
    void SetVSync(bool on) { m_bVSync = on; }
    bool GetVSync() const { return m_bVSync; }
    IDirect3DDevice9* GetDevice() const { return m_pDevice; }
    ID3DXSprite* GetSprite() const { return m_pSprite; }

protected:
    void InitDevice();
    void OnLostDevice();
    void OnResetDevice();
    // The texture of a handle with its pixels resident, or null.
    IDirect3DTexture9* ResidentTexture(DWORD handle, int* width, int* height);
    void DrawSprite(IDirect3DTexture9* texture, const RECT* src, const D3DXVECTOR2* scaling, float x, float y,
                    DWORD color);
    void DrawQuad(IDirect3DTexture9* texture, float left, float top, float right, float bottom, float u0, float v0,
                  float u1, float v1, DWORD color);

    IDirect3D9* m_pD3D;
    IDirect3DDevice9* m_pDevice;
    ID3DXSprite* m_pSprite;
    ID3DXFont* m_pFont;
    D3DCAPS9 m_Caps;
    D3DPRESENT_PARAMETERS* m_pPresentParams;
    D3DPRESENT_PARAMETERS m_ppWindowed;
    D3DPRESENT_PARAMETERS m_ppFullScreen;
    D3DMATRIX m_matProjection;
    D3DMATRIX m_matView;
    int32_t m_nWidth;
    int32_t m_nHeight;
    int32_t m_nDepth;
    HWND m_hWnd;
    bool m_bWindowed;
    bool m_bZBuffer;
    DWORD m_dwBKColor;
    CTextureManager* m_pTextureManager;
    CFrameManager* m_pFrameManager;
    bool m_bVSync;
};
