// Reading a load's error and warning lines back from the engine's HTML log.
#include "LoadLog.h"

#include <sys/stat.h>

#include <fstream>
#include <sstream>

namespace {

constexpr char kLogFile[] = "VLMLog.html";
constexpr char kErrorColour[] = "color=\"#ff0000\">";
constexpr char kWarningColour[] = "color=\"#0000ff\">";
constexpr char kRecordEnd[] = "</font><br>";

// Drops the "[number][time]" that starts every record.
std::string WithoutPrefix(std::string line) {
    const size_t time = line.find("][");
    if (line.rfind("[", 0) == 0 && time != std::string::npos) {
        const size_t end = line.find(']', time + 2);
        if (end != std::string::npos) line.erase(0, end + 1);
    }
    return line;
}

}  // namespace

long LoadLogMark() {
    struct stat s {};
    return stat(kLogFile, &s) == 0 ? long(s.st_size) : 0;
}

std::vector<LoadLogLine> LoadLogLinesAfter(long mark) {
    std::vector<LoadLogLine> lines;
    std::ifstream in(kLogFile, std::ios::binary);
    if (!in) return lines;
    in.seekg(mark);
    std::stringstream text;
    text << in.rdbuf();
    const std::string log = text.str();
    for (size_t at = 0;;) {
        const size_t error = log.find(kErrorColour, at), warning = log.find(kWarningColour, at);
        if (error == std::string::npos && warning == std::string::npos) break;
        const bool isError = error < warning;
        at = (isError ? error : warning) + (isError ? sizeof(kErrorColour) : sizeof(kWarningColour)) - 1;
        const size_t end = log.find(kRecordEnd, at);
        if (end == std::string::npos) break;
        lines.push_back({isError, WithoutPrefix(log.substr(at, end - at))});
        at = end;
    }
    return lines;
}
