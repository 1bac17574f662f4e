#include <velmora/core/Console.h>

#include <cstdarg>
#include <cstring>

#include <velmora/core/Log.h>
#include <velmora/core/TextEncoding.h>
#include <velmora/core/TextFormat.h>
#include <velmora/platform/win32/Win32.h>

int CConsole::CreateConsole() { return AllocConsole(); }

void CConsole::Close() { FreeConsole(); }

void CConsole::Print(const char* text) {
    if (!text || !*text) return;
    m_Lines.emplace_back(text);
    DWORD written = 0;
    WriteConsoleA(GetStdHandle(STD_OUTPUT_HANDLE), text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
}

void CConsole::Printf(const char* format, ...) {
    char text[1024];
    va_list args;
    va_start(args, format);
    FormatTextV(text, sizeof(text), sizeof(text) - 1, format, args);
    va_end(args);
    Print(text);
}

void CConsole::Log(const char* format, ...) {
    char text[1024];
    va_list args;
    va_start(args, format);
    FormatTextV(text, sizeof(text), sizeof(text) - 1, format, args);
    va_end(args);
    m_Lines.emplace_back(text);
}

void CConsole::Clear() { std::vector<std::string>().swap(m_Lines); }

void CConsole::SaveToLogFile(const char* name) {
    char fileName[256];
    int n = std::snprintf(fileName, sizeof(fileName), "%s.html", name ? name : "Console_log");
    if (n < 0 || static_cast<size_t>(n) >= sizeof(fileName)) {
        // A cut name would write some other file.
        WriteLog(INFO_WARNING, "Console log file name too long[%s]", name);
        return;
    }
    FILE* file = OpenFileA(fileName, "w");
    if (!file) return;
    std::fprintf(file, "<HTML><HEAD><META charset=\"%s\"><TITLE>Console Log </TITLE>", TextEncodingCharset());
    for (const std::string& line : m_Lines) {
        std::fwrite(line.data(), 1, line.size(), file);
        std::fputs("<br>", file);
    }
    std::fputs("</HEAD>\n</HTML>\n", file);
    std::fclose(file);
}
