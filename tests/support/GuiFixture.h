// Fixture for the GUI tests: a started game on the manual clock whose frames run through the
// real main loop with injected pointer events, the GUI messages each frame posted, frames read
// back from the device, and writers for description files and AMF skin pictures.
#pragma once

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "support/ResourceFixture.h"

// Writes an INI file from text with "\n" line ends, which the files carry as CR LF.
inline void WriteIni(const std::string& path, const std::string& text) {
    std::string crlf;
    for (char c : text) c == '\n' ? crlf += "\r\n" : crlf += c;
    WriteFile(path, crlf);
}

// One solid-colour picture.
inline Picture Solid(LONG width, LONG height, DWORD color) {
    return Picture{width, height, Pixels(size_t(width * height), color)};
}

// A picture filled by a function of the texel position.
inline Picture Painted(LONG width, LONG height, const std::function<DWORD(int, int)>& paint) {
    Picture p{width, height, {}};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) p.pixels.push_back(paint(x, y));
    return p;
}

// A GUI message as the game drains it, with the frame it was drained in.
struct GuiEvent {
    int frame;
    DWORD id;
    DWORD code;
    DWORD param2;
    void* data;
    bool operator==(const GuiEvent& o) const {
        return id == o.id && code == o.code && param2 == o.param2 && data == o.data;
    }
};

inline std::ostream& operator<<(std::ostream& out, const GuiEvent& e) {
    return out << "{frame " << e.frame << ", id " << e.id << ", code " << e.code << ", param2 " << e.param2 << "}";
}

// Each frame: the GUI's ProcessEvent, the drain of the message queue, then the test's step.
class GuiGame : public CGameApp {
public:
    std::function<void(int)> onFrame;
    int frames = 0;
    int limit = 0;
    std::vector<GuiEvent> events;
    std::vector<bool> handled;  // ProcessEvent's result per frame

    void MainLoop() override {
        handled.push_back(GetGUIManager()->ProcessEvent());
        int index = 0;
        CMessage message;
        while (PeekMessageA(index, message, true))
            if (message.m_dwMessage == MSG_GUI_EVENT)
                events.push_back(
                    {frames, message.m_dwSourceID, message.m_dwParam1, message.m_dwParam2, message.m_pData});
        if (onFrame) onFrame(frames);
        if (++frames >= limit) PostQuitMessage(0);
    }
};

class GuiTest : public EngineTest {
public:
    static constexpr int kWidth = 320;
    static constexpr int kHeight = 240;
    static constexpr DWORD kPaper = 0xFF102030;

protected:
    void SetUp() override {
        EngineTest::SetUp();
        VelmoraTest::ResetGraphicsConditions();
        VelmoraTest::SetClockTickEveryReads(3);  // time passes while the loop polls
        game.SetWindowWidth(kWidth);
        game.SetWindowHeight(kHeight);
        ASSERT_EQ(game.InitApplication(GetModuleHandleA(nullptr), SW_SHOW, "gui", nullptr), 1);
        hwnd = game.GetWndHandle();
        manager = GetGUIManager();
        ASSERT_NE(manager, nullptr);
        GetGraphics()->SetBKColor(kPaper);
        VelmoraTest::TakeMessageBoxes();  // no full-screen mode has this size
    }
    void TearDown() override {
        game.Destroy();
        if (hwnd) DestroyWindow(hwnd);
        VelmoraTest::ResetGraphicsConditions();
        EngineTest::TearDown();
    }

    // Runs the main loop for steps.size() + 1 frames. Step i runs at the end of frame i, and
    // the events it injects make the input of frame i + 1.
    void Run(const std::vector<std::function<void()>>& steps) {
        game.frames = 0;
        game.events.clear();
        game.handled.clear();
        game.limit = int(steps.size()) + 1;
        game.onFrame = [&steps](int frame) {
            if (size_t(frame) < steps.size() && steps[size_t(frame)]) steps[size_t(frame)]();
        };
        game.Run();
        game.onFrame = nullptr;
    }
    // Steps that inject.
    std::function<void()> MoveTo(int x, int y) {
        return [this, x, y] { VelmoraTest::InjectMouseMove(hwnd, x, y); };
    }
    std::function<void()> Left(bool down) {
        return [this, down] { VelmoraTest::InjectMouseButton(hwnd, 0, down); };
    }
    std::function<void()> MoveAndButton(int x, int y, bool down) {
        return [this, x, y, down] {
            VelmoraTest::InjectMouseMove(hwnd, x, y);
            VelmoraTest::InjectMouseButton(hwnd, 0, down);
        };
    }

    // The events drained in one frame.
    std::vector<GuiEvent> EventsOf(int frame) const {
        std::vector<GuiEvent> out;
        for (const GuiEvent& e : game.events)
            if (e.frame == frame) out.push_back(e);
        return out;
    }

    // The back buffer after `draw`, each pixel 0x00RRGGBB, top row first.
    std::vector<DWORD> Frame(const std::function<void()>& draw) {
        std::vector<DWORD> pixels;
        CGraphics* graphics = GetGraphics();
        if (!graphics->BeginScene()) return pixels;
        draw();
        IDirect3DSurface9* surface = nullptr;
        D3DLOCKED_RECT locked{};
        if (SUCCEEDED(GetD3DDevice()->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &surface)) &&
            SUCCEEDED(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
            for (int y = 0; y < kHeight; ++y) {
                const DWORD* row =
                    reinterpret_cast<const DWORD*>(static_cast<const char*>(locked.pBits) + y * locked.Pitch);
                for (int x = 0; x < kWidth; ++x) pixels.push_back(row[x] & 0xFFFFFF);
            }
            surface->UnlockRect();
        }
        if (surface) surface->Release();
        graphics->EndScene();
        return pixels;
    }
    static DWORD At(const std::vector<DWORD>& pixels, int x, int y) { return pixels.at(size_t(y * kWidth + x)); }

    // Error lines shown since the last call, without their "[number][time]" prefix.
    static std::vector<std::string> Errors() {
        std::vector<std::string> texts;
        for (const auto& box : VelmoraTest::TakeMessageBoxes()) {
            std::string text = box.text;
            size_t number = text.find("][");
            if (text.rfind("[", 0) == 0 && number != std::string::npos)
                text = text.substr(text.find(']', number + 2) + 1);
            texts.push_back(text);
        }
        return texts;
    }

    GuiGame game;
    HWND hwnd = nullptr;
    GUIManager* manager = nullptr;
};

// Colour arithmetic of the device: a channel times a tint channel, and source-alpha blending.
inline DWORD Channel(DWORD c, int shift) { return (c >> shift) & 0xFF; }
inline DWORD Modulate(DWORD texel, DWORD tint) {
    DWORD out = 0;
    for (int shift : {0, 8, 16, 24}) out |= ((Channel(texel, shift) * Channel(tint, shift) + 127) / 255) << shift;
    return out;
}
inline DWORD Over(DWORD source, DWORD dest) {
    const DWORD a = Channel(source, 24);
    DWORD out = 0;
    for (int shift : {0, 8, 16})
        out |= ((Channel(source, shift) * a + Channel(dest, shift) * (255 - a) + 127) / 255) << shift;
    return out;
}
// Whether two 0x00RRGGBB colours differ by at most `tolerance` in every channel.
inline bool Near(DWORD a, DWORD b, int tolerance = 1) {
    for (int shift : {0, 8, 16})
        if (std::abs(int(Channel(a, shift)) - int(Channel(b, shift))) > tolerance) return false;
    return true;
}
