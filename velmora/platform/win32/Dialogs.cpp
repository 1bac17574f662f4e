// Win32 stand-in: message boxes (SDL or standard error) and debugger output, both shown in UTF-8.
#include <velmora/platform/win32/Dialogs.h>

#include <SDL.h>
#include <unistd.h>

#include <cstdio>

#include <velmora/platform/win32/CodePage.h>
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
    // SDL and the terminal read UTF-8; the game writes in its own code page.
    const std::string title8 = vlm_ToUtf8(CP_ACP, title), body8 = vlm_ToUtf8(CP_ACP, body);
    // A box nobody can answer would block the process forever.
    if (isatty(STDIN_FILENO) && vlm_platform::HasRealDisplay()) {
        Uint32 flags = (type & MB_ICONERROR) ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION;
        if (SDL_ShowSimpleMessageBox(flags, title8.c_str(), body8.c_str(), nullptr) == 0) return IDOK;
    }
    std::fprintf(stderr, "[%s] %s\n", title8.c_str(), body8.c_str());
    return IDOK;
}

void OutputDebugStringA(LPCSTR text) {
    if (!text) return;
    vlm_platform::DialogCapture& d = vlm_platform::Dialogs();
    if (d.captureDebug) {
        d.debugText += text;
        return;
    }
    std::fputs(vlm_ToUtf8(CP_ACP, text).c_str(), stderr);
}
