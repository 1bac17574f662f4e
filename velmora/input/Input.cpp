// CInput and the free input functions.
#include <velmora/input/Input.h>

#include <velmora/core/Log.h>
#include <velmora/input/detail/EngineInput.h>
#include <velmora/input/detail/SharedDirectInput.h>
#include <velmora/platform/win32/Window.h>

CInput::CInput() : m_hWnd(nullptr), m_ptLast{0, 0} {}

CInput::~CInput() { ReleaseInput(); }

int CInput::CreateInput(HWND hWnd) {
    if (!vlm_engine::SharedDirectInput()) return 0;
    m_hWnd = hWnd;
    m_Key.CreateDevice(hWnd);
    m_Mouse.CreateDevice(hWnd);
    return 1;
}

void CInput::ReleaseInput() {
    m_Key.ReleaseDevice();
    m_Mouse.ReleaseDevice();
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
    return 1;
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
