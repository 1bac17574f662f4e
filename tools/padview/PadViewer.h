// PadViewer: the game behind padview. Lists the game controllers DirectInput offers (name,
// instance GUID, axes, buttons, hats), opens each as it is plugged in, and shows the live state
// of all of them each frame; it can also print the list and every change as lines of text.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include <velmora/Velmora.h>

struct PadViewOptions {
    int frames = 0;      // frames to run; 0 runs until the window is closed or Esc
    bool print = false;  // the controllers and each change of their state as lines on `out`
};

class PadViewer : public CGameApp {
public:
    PadViewer(PadViewOptions options, FILE* out);
    ~PadViewer() override;
    PadViewer(const PadViewer&) = delete;
    PadViewer& operator=(const PadViewer&) = delete;

    // Starts DirectInput after InitApplication; false when it cannot be had.
    bool Start();
    void MainLoop() override;

    int FramesRun() const { return m_nFramesRun; }
    // How many controllers are open now.
    int PadCount() const { return static_cast<int>(m_Pads.size()); }

    // "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", as Windows writes a GUID.
    static std::string GuidText(const GUID& guid);
    // One controller's state as a line: every axis, the hats, the buttons down.
    static std::string StateText(const DIJOYSTATE2& state, const DIDEVCAPS& caps);

private:
    struct Pad {
        GUID instance;
        std::string name;
        IDirectInputDevice8* device;
        DIDEVCAPS caps;
        DIJOYSTATE2 state;
        std::string last;  // the state line printed last
    };

    // Opens the controllers plugged in since the last frame and closes those pulled out.
    void Refresh();
    void Read();
    void Draw();
    void Print(const char* format, ...) __attribute__((format(printf, 2, 3)));

    PadViewOptions m_Options;
    FILE* m_pOut;
    IDirectInput8* m_pInput = nullptr;
    std::vector<Pad> m_Pads;
    int m_nFramesRun = 0;
    GFont m_Font;
};
