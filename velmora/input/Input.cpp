// CInput and the free input functions.
#include <velmora/input/Input.h>

#include <algorithm>
#include <iterator>
#include <vector>

#include <velmora/core/Log.h>
#include <velmora/input/detail/EngineInput.h>
#include <velmora/input/detail/SharedDirectInput.h>
#include <velmora/platform/win32/Window.h>

CInput::CInput()
    : m_hWnd(nullptr),
      m_ptLast{0, 0},
      m_PadGuid{},
      m_bPadUsed{},
      m_fStickDeadZone(CPad::kDefaultStickDeadZone),
      m_fTriggerDeadZone(CPad::kDefaultTriggerDeadZone) {}

CInput::~CInput() { ReleaseInput(); }

int CInput::CreateInput(HWND hWnd) {
    if (!vlm_engine::SharedDirectInput()) return 0;
    m_hWnd = hWnd;
    // A game started again starts afresh: nothing of an earlier run decides its first frame's
    // pointer move or its pads' numbers (a replay of its session must find the same).
    m_ptLast = POINT{0, 0};
    for (bool& used : m_bPadUsed) used = false;
    m_Key.CreateDevice(hWnd);
    m_Mouse.CreateDevice(hWnd);
    return 1;
}

void CInput::ReleaseInput() {
    m_Key.ReleaseDevice();
    m_Mouse.ReleaseDevice();
    for (CPad& pad : m_Pad) pad.ReleaseDevice();
    m_PadEvents.clear();
}

int CInput::UpdateBufferInput(stInputInfo* info) {
    if (!info) {
        WriteLog(INFO_ERROR, "Invalidate parameter!");
        return 0;
    }
    GetCursorPos(&info->ptCursor);
    ScreenToClient(m_hWnd, &info->ptCursor);
    m_Key.GetData();
    m_Mouse.GetData();
    m_Key.GetState();
    m_Mouse.GetState();
    info->dwKey = m_Key.GetBufferKey();
    info->dwMouse = m_Mouse.GetBufferKey();
    info->bMoved = info->ptCursor.x != m_ptLast.x || info->ptCursor.y != m_ptLast.y;
    m_ptLast = info->ptCursor;
    UpdatePads();
    return 1;
}

namespace {

BOOL CollectController(LPCDIDEVICEINSTANCEA device, LPVOID ref) {
    static_cast<std::vector<GUID>*>(ref)->push_back(device->guidInstance);
    return DIENUM_CONTINUE;
}

}  // namespace

void CInput::UpdatePads() {
    IDirectInput8* input = m_hWnd ? vlm_engine::SharedDirectInput() : nullptr;
    if (!input) return;
    std::vector<GUID> attached;
    input->EnumDevices(DI8DEVCLASS_GAMECTRL, CollectController, &attached, DIEDFL_ATTACHEDONLY);
    auto isAttached = [&](const GUID& g) { return std::find(attached.begin(), attached.end(), g) != attached.end(); };
    for (CPad& pad : m_Pad) pad.BeginFrame();
    for (int i = 0; i < MAX_PADS; ++i) {
        if (!m_Pad[i].HasDevice() || isAttached(m_Pad[i].GetInstance())) continue;
        m_Pad[i].ReleaseDevice();
        m_PadEvents.emplace_back(PAD_EVENT_DISCONNECTED, i);
    }
    for (const GUID& guid : attached) {
        int index = -1;
        for (int i = 0; i < MAX_PADS && index < 0; ++i)
            if (m_Pad[i].HasDevice() && m_Pad[i].GetInstance() == guid) index = MAX_PADS;  // already open
        // A pad that comes back takes its old index; a new one the first index never used,
        // else the first one free.
        for (int i = 0; i < MAX_PADS && index < 0; ++i)
            if (m_bPadUsed[i] && m_PadGuid[i] == guid) index = i;
        for (int i = 0; i < MAX_PADS && index < 0; ++i)
            if (!m_bPadUsed[i]) index = i;
        for (int i = 0; i < MAX_PADS && index < 0; ++i)
            if (!m_Pad[i].HasDevice()) index = i;
        if (index < 0 || index == MAX_PADS) continue;
        if (!m_Pad[index].CreateDevice(m_hWnd, guid)) continue;
        m_PadGuid[index] = guid;
        m_bPadUsed[index] = true;
        m_PadEvents.emplace_back(PAD_EVENT_CONNECTED, index);
    }
    for (int i = 0; i < MAX_PADS; ++i) {
        if (!m_Pad[i].HasDevice() || m_Pad[i].Update(m_fStickDeadZone, m_fTriggerDeadZone)) continue;
        m_Pad[i].ReleaseDevice();
        m_PadEvents.emplace_back(PAD_EVENT_DISCONNECTED, i);
    }
}

int CInput::GetPadCount() const {
    return int(std::count_if(std::begin(m_Pad), std::end(m_Pad), [](const CPad& p) { return p.HasDevice(); }));
}

const stPadInfo* CInput::GetPadInfo(int pad) const {
    if (pad < 0 || pad >= MAX_PADS) {
        WriteLog(INFO_WARNING, "Invalidate parameter!");
        return nullptr;
    }
    return &m_Pad[pad].GetInfo();
}

bool CInput::IsPadButtonDown(int pad, int button) const {
    if (pad < 0 || pad >= MAX_PADS || button < 0 || button >= PAD_BUTTON_COUNT) {
        WriteLog(INFO_WARNING, "Invalidate parameter!");
        return false;
    }
    return (m_Pad[pad].GetInfo().dwButtons >> button) & 1;
}

bool CInput::SetPadRumble(int pad, float low, float high, DWORD ms) {
    if (pad < 0 || pad >= MAX_PADS) {
        WriteLog(INFO_WARNING, "Invalidate parameter!");
        return false;
    }
    return m_Pad[pad].Rumble(low, high, ms);
}

void CInput::SetPadDeadZone(float stick, float trigger) {
    // Below 1, so that a full push still reaches 1; NaN reads as none.
    m_fStickDeadZone = stick >= 0 ? std::min(stick, 0.95f) : 0.0f;
    m_fTriggerDeadZone = trigger >= 0 ? std::min(trigger, 0.95f) : 0.0f;
}

bool CInput::TakePadEvent(int* event, int* pad) {
    if (m_PadEvents.empty()) return false;
    if (event) *event = m_PadEvents.front().first;
    if (pad) *pad = m_PadEvents.front().second;
    m_PadEvents.pop_front();
    return true;
}

bool IsKeyDown(int key) {
    // Passed on as is, a code out of the key range would name another key.
    if (key < 0 || key > 255) {
        WriteLog(INFO_WARNING, "Invalidate parameter!");
        return false;
    }
    return vlm_engine::EngineInput().GetKeyPtr()->IsKeyDown(static_cast<unsigned char>(key));
}

bool IsMouseDown(unsigned char button) { return vlm_engine::EngineInput().GetMousePtr()->IsKeyDown(button); }

bool GetPointerOffset(LONG* x, LONG* y, LONG* z) {
    vlm_engine::EngineInput().GetMousePtr()->GetPointerOffset(x, y, z);
    return true;
}

stInputInfo GetInputInfo() { return vlm_engine::InputSnapshot(); }

int GetPadCount() { return vlm_engine::EngineInput().GetPadCount(); }
const stPadInfo* GetPadInfo(int pad) { return vlm_engine::EngineInput().GetPadInfo(pad); }
bool IsPadButtonDown(int pad, int button) { return vlm_engine::EngineInput().IsPadButtonDown(pad, button); }
bool SetPadRumble(int pad, float low, float high, DWORD ms) {
    return vlm_engine::EngineInput().SetPadRumble(pad, low, high, ms);
}
void SetPadDeadZone(float stick, float trigger) { vlm_engine::EngineInput().SetPadDeadZone(stick, trigger); }
