// The engine's HTML log ("VLMLog.html"): numbered, time-stamped, coloured lines. Errors also
// raise a message box and warnings also reach the debugger output, file or no file.
#pragma once

#include <cstdio>

#include <velmora/Export.h>

// A fixed underlying type: levels and thresholds beyond INFO_ERROR are valid values.
enum INFOTYPE : int { INFO_NORMAL = 0, INFO_WARNING = 1, INFO_ERROR = 2 };

class VLM_API CLog {
public:
    CLog();
    CLog(const char* file, bool append);
    virtual ~CLog();

    CLog(const CLog&) = delete;  // owns an open file
    CLog& operator=(const CLog&) = delete;

    bool StartLog(const char* file, bool append);
    // Returns whether a file is open, not whether this line was written.
    bool WriteLog(INFOTYPE type, const char* format, ...) __attribute__((format(printf, 3, 4)));
    void SetLogLevel(INFOTYPE level) { m_eLogLevel = level; }
    INFOTYPE GetLogLevel() const { return m_eLogLevel; }

protected:
    int m_nLogCount;
    char m_szBuffer[1024];
    FILE* m_pFile;
    INFOTYPE m_eLogLevel;
};

// Writes one line to the engine log (GetLog()); does nothing when there is none.
VLM_API void WriteLog(INFOTYPE type, const char* format, ...) __attribute__((format(printf, 2, 3)));
// A formatted message box captioned "Message"; returns the box's result.
VLM_API int ShowMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));
