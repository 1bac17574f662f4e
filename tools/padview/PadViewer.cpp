// PadViewer: the controllers' list, their reading through DirectInput, and the picture of
// their state: a bar for each axis, a box for each button, and each hat's direction.
#include "PadViewer.h"

#include <cstdarg>
#include <cstring>

namespace {

constexpr DWORD kPaper = 0xFF101820;
constexpr DWORD kText = 0xFFE0E8F0;
constexpr DWORD kDim = 0xFF405060;
constexpr DWORD kLit = 0xFF40E060;
constexpr int kPanelHeight = 150;

const char* const kAxisNames[8] = {"X", "Y", "Z", "Rx", "Ry", "Rz", "S0", "S1"};

LONG AxisOf(const DIJOYSTATE2& state, int axis) {
    const LONG values[8] = {state.lX,  state.lY,  state.lZ,           state.lRx,
                            state.lRy, state.lRz, state.rglSlider[0], state.rglSlider[1]};
    return values[axis];
}

BOOL CollectController(LPCDIDEVICEINSTANCEA device, LPVOID ref) {
    static_cast<std::vector<DIDEVICEINSTANCEA>*>(ref)->push_back(*device);
    return DIENUM_CONTINUE;
}

}  // namespace

PadViewer::PadViewer(PadViewOptions options, FILE* out) : m_Options(options), m_pOut(out) {}

PadViewer::~PadViewer() {
    for (Pad& pad : m_Pads) pad.device->Release();
    if (m_pInput) m_pInput->Release();
}

void PadViewer::Print(const char* format, ...) {
    if (!m_Options.print || !m_pOut) return;
    va_list args;
    va_start(args, format);
    std::vfprintf(m_pOut, format, args);
    va_end(args);
    std::fputc('\n', m_pOut);
    std::fflush(m_pOut);
}

std::string PadViewer::GuidText(const GUID& g) {
    char text[40];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", unsigned(g.Data1),
                  unsigned(g.Data2), unsigned(g.Data3), g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4],
                  g.Data4[5], g.Data4[6], g.Data4[7]);
    return text;
}

std::string PadViewer::StateText(const DIJOYSTATE2& state, const DIDEVCAPS& caps) {
    std::string text;
    char part[32];
    for (DWORD a = 0; a < caps.dwAxes && a < 8; ++a) {
        std::snprintf(part, sizeof part, "%s%s=%d", text.empty() ? "" : " ", kAxisNames[a], int(AxisOf(state, a)));
        text += part;
    }
    for (DWORD p = 0; p < caps.dwPOVs && p < 4; ++p) {
        std::snprintf(part, sizeof part, " POV%u=%d", unsigned(p), int(state.rgdwPOV[p]));
        text += part;
    }
    text += " buttons:";
    bool any = false;
    for (DWORD b = 0; b < caps.dwButtons && b < 128; ++b)
        if (state.rgbButtons[b] & 0x80) {
            std::snprintf(part, sizeof part, " %u", unsigned(b));
            text += part;
            any = true;
        }
    if (!any) text += " none";
    return text;
}

bool PadViewer::Start() {
    void* created = nullptr;
    if (FAILED(
            DirectInput8Create(GetModuleHandleA(nullptr), DIRECTINPUT_VERSION, IID_IDirectInput8A, &created, nullptr)))
        return false;
    m_pInput = static_cast<IDirectInput8*>(created);
    m_Font.CreateFontA("\xCB\xCE\xCC\xE5", 14, 0, 400);  // SimSun, the Song face
    Refresh();
    if (m_Pads.empty()) Print("padview: no game controller is plugged in");
    return true;
}

void PadViewer::Refresh() {
    std::vector<DIDEVICEINSTANCEA> attached;
    m_pInput->EnumDevices(DI8DEVCLASS_GAMECTRL, CollectController, &attached, DIEDFL_ATTACHEDONLY);
    for (size_t i = 0; i < m_Pads.size();) {
        bool there = false;
        for (const DIDEVICEINSTANCEA& device : attached) there = there || device.guidInstance == m_Pads[i].instance;
        if (there) {
            ++i;
            continue;
        }
        Print("frame %d: %s pulled out", m_nFramesRun, m_Pads[i].name.c_str());
        m_Pads[i].device->Release();
        m_Pads.erase(m_Pads.begin() + static_cast<std::ptrdiff_t>(i));
    }
    for (const DIDEVICEINSTANCEA& device : attached) {
        bool open = false;
        for (const Pad& pad : m_Pads) open = open || pad.instance == device.guidInstance;
        if (open) continue;
        Pad pad{device.guidInstance, device.tszProductName, nullptr, {}, {}, {}};
        if (FAILED(m_pInput->CreateDevice(device.guidInstance, &pad.device, nullptr))) continue;
        pad.caps.dwSize = sizeof(pad.caps);
        // In the background too: a viewer is watched while the pad is played.
        if (FAILED(pad.device->SetDataFormat(&c_dfDIJoystick2)) ||
            FAILED(pad.device->SetCooperativeLevel(GetWndHandle(), DISCL_BACKGROUND | DISCL_NONEXCLUSIVE)) ||
            FAILED(pad.device->GetCapabilities(&pad.caps))) {
            pad.device->Release();
            continue;
        }
        pad.device->Acquire();
        const bool gamepad = GET_DIDEVICE_TYPE(pad.caps.dwDevType) == DI8DEVTYPE_GAMEPAD;
        Print("pad %d: \"%s\" %s, %u axes, %u buttons, %u POVs, %s", int(m_Pads.size()), pad.name.c_str(),
              GuidText(pad.instance).c_str(), unsigned(pad.caps.dwAxes), unsigned(pad.caps.dwButtons),
              unsigned(pad.caps.dwPOVs), gamepad ? "game controller layout" : "joystick's own layout");
        m_Pads.push_back(pad);
    }
}

void PadViewer::Read() {
    for (size_t i = 0; i < m_Pads.size(); ++i) {
        Pad& pad = m_Pads[i];
        if (FAILED(pad.device->Poll())) pad.device->Acquire();
        if (FAILED(pad.device->GetDeviceState(sizeof(pad.state), &pad.state))) continue;
        const std::string line = StateText(pad.state, pad.caps);
        if (line != pad.last) Print("frame %d: pad %d: %s", m_nFramesRun, int(i), line.c_str());
        pad.last = line;
    }
}

void PadViewer::Draw() {
    CGraphics* graphics = GetGraphics();
    int y = 10;
    if (m_Pads.empty()) m_Font.DrawSingleLine(20, y, kText, false, "No game controller is plugged in.");
    for (size_t i = 0; i < m_Pads.size(); ++i, y += kPanelHeight) {
        const Pad& pad = m_Pads[i];
        m_Font.DrawSingleLine(20, y, kText, false, "%d: %s  %s", int(i), pad.name.c_str(),
                              GuidText(pad.instance).c_str());
        // Axes: bars from the range's minimum (0) to its maximum (65535).
        for (DWORD a = 0; a < pad.caps.dwAxes && a < 8; ++a) {
            const int top = y + 22 + int(a) * 14, width = int(AxisOf(pad.state, int(a)) * 200 / 65535);
            m_Font.DrawSingleLine(20, top - 2, kText, false, "%s", kAxisNames[a]);
            graphics->Rectangle(RECT{50, top, 250, top + 10}, kDim, true);
            graphics->Rectangle(RECT{50, top, 50 + width, top + 10}, kLit, true);
        }
        // Buttons: a box each, lit while down; the hats' directions beneath.
        for (DWORD b = 0; b < pad.caps.dwButtons && b < 128; ++b) {
            const int left = 280 + int(b % 16) * 20, top = y + 22 + int(b / 16) * 20;
            graphics->Rectangle(RECT{left, top, left + 16, top + 16}, (pad.state.rgbButtons[b] & 0x80) ? kLit : kDim,
                                true);
        }
        for (DWORD p = 0; p < pad.caps.dwPOVs && p < 4; ++p) {
            const DWORD pov = pad.state.rgdwPOV[p];
            if (pov > 36000)
                m_Font.DrawSingleLine(280, y + 100 + int(p) * 16, kText, false, "POV %u: centred", unsigned(p));
            else
                m_Font.DrawSingleLine(280, y + 100 + int(p) * 16, kText, false, "POV %u: %u.%02u degrees", unsigned(p),
                                      unsigned(pov / 100), unsigned(pov % 100));
        }
    }
    m_Font.Update();
}

void PadViewer::MainLoop() {
    ++m_nFramesRun;
    Refresh();
    Read();
    if (GetInputInfo().dwKey == DIK_ESCAPE) PostQuitMessage(0);
    CGraphics* graphics = GetGraphics();
    graphics->SetBKColor(kPaper);
    if (graphics->BeginScene()) {
        Draw();
        graphics->EndScene();
    }
    if (m_Options.frames > 0 && m_nFramesRun >= m_Options.frames) PostQuitMessage(0);
}
