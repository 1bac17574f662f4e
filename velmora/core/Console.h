// CConsole: a debugging console beside the game window (the process's standard output),
// which keeps every line it was given so the run can be saved as an HTML page.
#pragma once

#include <string>
#include <vector>

#include <velmora/Export.h>

class VLM_API CConsole {
public:
    CConsole() = default;
    CConsole(const CConsole&) = default;
    CConsole& operator=(const CConsole&) = default;
    virtual ~CConsole() = default;

    // Non-zero when a console was opened.
    int CreateConsole();
    void Close();
    // Records the text and writes it to the console; no line break is added.
    void Print(const char* text);
    void Printf(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // Records the text for the saved page only.
    void Log(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void Clear();
    // Writes name + ".html" ("Console_log.html" for a null name).
    void SaveToLogFile(const char* name);

    const std::vector<std::string>& GetLines() const { return m_Lines; }

protected:
    std::vector<std::string> m_Lines;
};
