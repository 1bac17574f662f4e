// Win32 stand-in: message boxes (SDL or standard error) and debugger output.
#include <velmora/platform/win32/Dialogs.h>

#include <SDL.h>
#include <unistd.h>

#include <cstdio>

#include <velmora/platform/win32/detail/DialogCapture.h>
#include <velmora/platform/win32/detail/SdlVideo.h>

namespace vlm_platform {
DialogCapture& Dialogs() {
    static DialogCapture capture;
    return capture;
}
}  // namespace vlm_platform

int MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type) {
    const char* body = text ? text : "";
    const char* title = caption ? caption : "Error";
    vlm_platform::DialogCapture& d = vlm_platform::Dialogs();
    if (d.captureBoxes) {
        d.boxes.push_back({body, title, type});
        return IDOK;
    }
    // A box nobody can answer would block the process forever.
    if (isatty(STDIN_FILENO) && vlm_platform::HasRealDisplay()) {
        Uint32 flags = (type & MB_ICONERROR) ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION;
        if (SDL_ShowSimpleMessageBox(flags, title, body, nullptr) == 0) return IDOK;
    }
    std::fprintf(stderr, "[%s] %s\n", title, body);
    return IDOK;
}

void OutputDebugStringA(LPCSTR text) {
    if (!text) return;
    vlm_platform::DialogCapture& d = vlm_platform::Dialogs();
    if (d.captureDebug) {
        d.debugText += text;
        return;
    }
    std::fputs(text, stderr);
}
