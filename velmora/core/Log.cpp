#include <velmora/core/Log.h>

#include <cstdarg>
#include <cstring>

#include <velmora/core/TextEncoding.h>
#include <velmora/core/TextFormat.h>
#include <velmora/core/detail/EngineObjects.h>
#include <velmora/platform/win32/Win32.h>

namespace {

constexpr long kMaxAppendSize = 1048576;
constexpr size_t kMaxMessageChars = 994;

const char* const kLevelColours[] = {"#ff00ff", "#0000ff", "#ff0000"};

void WriteRecord(FILE* file, INFOTYPE type, const char* line) {
    std::fprintf(file, "<font face=\"Arial\" size=\"2\" color=\"%s\">", kLevelColours[type]);
    std::fputs(line, file);
    std::fputs("</font><br>\r\n", file);
}

}  // namespace

CLog::CLog() : m_nLogCount(0), m_szBuffer{}, m_pFile(nullptr), m_eLogLevel(INFO_NORMAL) {}

CLog::CLog(const char* file, bool append) : CLog() { StartLog(file, append); }

CLog::~CLog() {
    if (m_pFile) {
        std::fputs("</body></html>\n", m_pFile);
        std::fclose(m_pFile);
        m_pFile = nullptr;
    }
}

bool CLog::StartLog(const char* file, bool append) {
    if (!file) return false;
    if (m_pFile) {
        std::fclose(m_pFile);
        m_pFile = nullptr;
    }
    if (append) {
        m_pFile = OpenFileA(file, "a+");
        if (m_pFile) {
            std::fseek(m_pFile, 0, SEEK_END);
            long size = std::ftell(m_pFile);
            std::fseek(m_pFile, 0, SEEK_SET);
            if (size >= kMaxAppendSize) {
                std::fclose(m_pFile);
                m_pFile = OpenFileA(file, "w");
            }
        }
    } else {
        m_pFile = OpenFileA(file, "w");
    }
    if (!m_pFile) {
        MessageBoxA(nullptr, "Open file failed!<CLog::StartLog>", "Failure", MB_OK);
        return false;
    }
    SYSTEMTIME t{};
    GetLocalTime(&t);
    // The head says which encoding the lines are in, so that a browser shows GBK text as such.
    std::fprintf(m_pFile, "<html><head><meta charset=\"%s\"><title>Log File</title></head><body>\n",
                 TextEncodingCharset());
    std::fputs("======================</br>\r\n", m_pFile);
    std::fputs("= Morvalen 's Engine =</br>\r\n", m_pFile);
    std::fputs("======================</br>\r\n", m_pFile);
    std::fputs("<font face=\"Arial\" size=\"4\" color=\"#ff0000\"><b><u>", m_pFile);
    std::fprintf(m_pFile, "Log File Create At [%02u/%02u/%02u %02u:%02u:%02u]</u></b></font><br>\r\n", t.wMonth, t.wDay,
                 t.wYear % 100u, t.wHour, t.wMinute, t.wSecond);
    std::fflush(m_pFile);
    return true;
}

bool CLog::WriteLog(INFOTYPE type, const char* format, ...) {
    m_nLogCount += 1;
    SYSTEMTIME t{};
    GetLocalTime(&t);
    size_t prefix = static_cast<size_t>(std::snprintf(m_szBuffer, sizeof(m_szBuffer), "[%5d][%02u:%02u:%02u]",
                                                      m_nLogCount, t.wHour, t.wMinute, t.wSecond));
    va_list args;
    va_start(args, format);
    FormatTextV(m_szBuffer + prefix, sizeof(m_szBuffer) - prefix, kMaxMessageChars, format ? format : "", args);
    va_end(args);

    switch (type) {
        case INFO_ERROR:
            MessageBoxA(nullptr, m_szBuffer, "Message", MB_OK);
            if (m_pFile) WriteRecord(m_pFile, type, m_szBuffer);
            break;
        case INFO_WARNING: {
            char debugLine[sizeof(m_szBuffer) + 2];
            std::snprintf(debugLine, sizeof(debugLine), "%s\r\n", m_szBuffer);
            OutputDebugStringA(debugLine);
            if (m_eLogLevel <= INFO_WARNING && m_pFile) WriteRecord(m_pFile, type, m_szBuffer);
            break;
        }
        case INFO_NORMAL:
            if (m_eLogLevel <= INFO_NORMAL && m_pFile) WriteRecord(m_pFile, type, m_szBuffer);
            break;
        default: break;
    }
    if (!m_pFile) return false;
    std::fflush(m_pFile);
    return true;
}

void WriteLog(INFOTYPE type, const char* format, ...) {
    if (!format) return;
    char text[1024];
    va_list args;
    va_start(args, format);
    FormatTextV(text, sizeof(text), sizeof(text) - 1, format, args);
    va_end(args);
    if (CLog* log = vlm_engine::Engine().log) log->WriteLog(type, "%s", text);
}

int ShowMessage(const char* format, ...) {
    char text[1024];
    va_list args;
    va_start(args, format);
    FormatTextV(text, sizeof(text), sizeof(text) - 1, format ? format : "", args);
    va_end(args);
    return MessageBoxA(nullptr, text, "Message", MB_OK);
}
