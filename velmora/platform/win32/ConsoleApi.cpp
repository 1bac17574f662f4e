// Win32 stand-in: the console is the process's standard output.
#include <velmora/platform/win32/ConsoleApi.h>

#include <unistd.h>

#include <cstdint>

namespace {
bool g_consoleOpen = false;
// Distinct non-null values standing for the console's standard handles.
HANDLE HandleFor(DWORD which) { return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x1000u + (~which & 0xF))); }
}  // namespace

BOOL AllocConsole() {
    if (g_consoleOpen) return FALSE;  // a process has at most one console
    g_consoleOpen = true;
    return TRUE;
}

BOOL FreeConsole() {
    if (!g_consoleOpen) return FALSE;
    g_consoleOpen = false;
    return TRUE;
}

HANDLE GetStdHandle(DWORD stdHandle) {
    if (stdHandle != STD_INPUT_HANDLE && stdHandle != STD_OUTPUT_HANDLE && stdHandle != STD_ERROR_HANDLE)
        return INVALID_HANDLE_VALUE;
    return g_consoleOpen ? HandleFor(stdHandle) : nullptr;
}

BOOL WriteConsoleA(HANDLE console, const void* buffer, DWORD charsToWrite, LPDWORD charsWritten, LPVOID) {
    if (charsWritten) *charsWritten = 0;
    int fd = -1;
    if (g_consoleOpen && console == HandleFor(STD_OUTPUT_HANDLE)) fd = STDOUT_FILENO;
    if (g_consoleOpen && console == HandleFor(STD_ERROR_HANDLE)) fd = STDERR_FILENO;
    if (fd < 0 || (!buffer && charsToWrite)) return FALSE;
    const char* p = static_cast<const char*>(buffer);
    DWORD done = 0;
    while (done < charsToWrite) {
        ssize_t n = write(fd, p + done, charsToWrite - done);
        if (n <= 0) break;
        done += static_cast<DWORD>(n);
    }
    if (charsWritten) *charsWritten = done;
    return done == charsToWrite ? TRUE : FALSE;
}
