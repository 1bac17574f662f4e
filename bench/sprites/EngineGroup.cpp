// The engine's three ways of drawing a texture at a place: the free Render on the sprite
// path (each draw complete by itself), the same between BeginSprite and EndSprite, and the
// vertex path into a rectangle. The engine is started as a game starts it; a diagnostic
// group then resets its device to a plain back buffer, to show what the engine's own one costs.
#include <epoxy/gl.h>  // glFinish on the engine's context, so that the rasteriser's work is counted

#include <cstring>

#include <velmora/Velmora.h>

#include "sprites/Group.h"
#include "sprites/Scene.h"
#include "support/Pictures.h"

namespace SpriteBench {

namespace {

class BenchGame : public CGameApp {};

class EngineGroup final : public Group {
public:
    explicit EngineGroup(bool plainBackBuffer) : m_plain(plainBackBuffer) {}
    ~EngineGroup() override { m_game.Destroy(); }

    bool Start(std::string* error) override {
        m_game.SetWindowWidth(kWidth);
        m_game.SetWindowHeight(kHeight);
        m_game.SetWindowMode(true);
        if (!m_game.InitApplication(GetModuleHandleA(nullptr), SW_SHOW, "Velmora sprite benchmark", nullptr)) {
            *error = "the engine did not start";
            return false;
        }
        m_graphics = GetGraphics();
        m_texture = LoadTexture(kTextureFile);
        m_pixel = LoadTexture(kPixelFile);
        if (!m_texture || !m_pixel) {
            *error = std::string("the texture manager did not load ") + (m_texture ? kPixelFile : kTextureFile);
            return false;
        }
        if (m_plain && !UsePlainBackBuffer()) {
            *error = "the device did not reset to a plain back buffer";
            return false;
        }
        return true;
    }

    std::string Describe() override {
        IDirect3DDevice9* device = GetD3DDevice();
        D3DSURFACE_DESC backBuffer{};
        IDirect3DSurface9* surface = nullptr;
        if (SUCCEEDED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &surface))) {
            surface->GetDesc(&backBuffer);
            surface->Release();
        }
        DWORD zEnable = 0;
        device->GetRenderState(D3DRS_ZENABLE, &zEnable);
        const int samples = backBuffer.MultiSampleType > 1 ? static_cast<int>(backBuffer.MultiSampleType) : 1;
        const GLubyte* renderer = glGetString(GL_RENDERER);
        return std::string(m_plain ? "engine, diagnostic: the device reset to a back buffer of " : "engine: ") +
               (samples > 1 ? std::to_string(samples) + " samples, " : std::string("1 sample, ")) +
               (zEnable && !m_plain ? "16-bit depth tested and written" : "no depth") +
               (m_plain ? ", not what a game gets"
                        : ", as a CGameApp sets it up (the device keeps such a back buffer flat while a frame "
                          "allows: one sample, depth writes deferred)") +
               "; GL renderer " + (renderer ? reinterpret_cast<const char*>(renderer) : "unknown");
    }

    std::vector<std::string> Variants() const override {
        const std::string suffix = m_plain ? " [1 sample, no depth]" : "";
        return {"engine: Render(h, x, y), sprite path, no BeginSprite" + suffix,
                "engine: Render(h, x, y) in BeginSprite/EndSprite" + suffix,
                "engine: CGraphics::Render(h, &dst), vertex path" + suffix};
    }

    double Frame(size_t variant, int sprites, int frame, Shape shape) override {
        m_graphics->BeginScene();
        const double start = ThreadCpuMilliseconds();
        Draw(variant, sprites, frame, shape);
        const double calls = ThreadCpuMilliseconds() - start;
        m_graphics->EndScene();
        glFinish();  // the device presented, so its context is the current one
        return calls;
    }

    std::vector<uint32_t> Picture(size_t variant, int sprites, int frame) override {
        m_graphics->BeginScene();
        Draw(variant, sprites, frame, Shape::Sprite);
        std::vector<uint32_t> picture = VelmoraBench::ReadBackBuffer(GetD3DDevice(), kWidth, kHeight);
        m_graphics->EndScene();
        return picture;
    }

    void DrainEvents() override {
        MSG msg{};
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }

private:
    void Draw(size_t variant, int sprites, int frame, Shape shape) {
        const DWORD texture = shape == Shape::Pixel ? m_pixel : m_texture;
        const int size = shape == Shape::Pixel ? 1 : kSprite;
        if (variant == 0) {
            for (int i = 0; i < sprites; ++i) {
                const SpritePlace p = PlaceOf(i, frame, shape);
                Render(texture, p.x, p.y, nullptr, p.color);
            }
        } else if (variant == 1) {
            m_graphics->BeginSprite();
            for (int i = 0; i < sprites; ++i) {
                const SpritePlace p = PlaceOf(i, frame, shape);
                Render(texture, p.x, p.y, nullptr, p.color);
            }
            m_graphics->EndSprite();
        } else {
            for (int i = 0; i < sprites; ++i) {
                const SpritePlace p = PlaceOf(i, frame, shape);
                const RECT dst{p.x, p.y, p.x + size, p.y + size};
                m_graphics->Render(texture, &dst, nullptr, p.color);
            }
        }
    }

    // Resets the device to one sample and no depth buffer, then applies the engine's 2D state
    // again (a reset returns every state to its default).
    bool UsePlainBackBuffer() {
        IDirect3DDevice9* device = GetD3DDevice();
        D3DPRESENT_PARAMETERS params{};
        params.BackBufferWidth = kWidth;
        params.BackBufferHeight = kHeight;
        params.BackBufferFormat = D3DFMT_X8R8G8B8;
        params.BackBufferCount = 1;
        params.MultiSampleType = D3DMULTISAMPLE_NONE;
        params.SwapEffect = D3DSWAPEFFECT_DISCARD;
        params.hDeviceWindow = m_game.GetWndHandle();
        params.Windowed = TRUE;
        params.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
        if (FAILED(device->Reset(&params))) return false;
        m_graphics->SetZBuffer(false);  // its frames no longer clear a depth buffer
        ApplyEngineDeviceState(device, kWidth, kHeight, false);
        return true;
    }

    bool m_plain;
    BenchGame m_game;
    CGraphics* m_graphics = nullptr;
    DWORD m_texture = 0;
    DWORD m_pixel = 0;
};

}  // namespace

std::unique_ptr<Group> MakeEngineGroup(bool plainBackBuffer) { return std::make_unique<EngineGroup>(plainBackBuffer); }

}  // namespace SpriteBench
