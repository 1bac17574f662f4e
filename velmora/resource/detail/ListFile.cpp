// Batch list files of the texture and frame managers.
#include <velmora/resource/detail/ListFile.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <velmora/core/Log.h>
#include <velmora/platform/win32/FileSystem.h>
#include <velmora/resource/HandleTable.h>
#include <velmora/resource/detail/LoadFailure.h>

namespace vlm_engine {

bool ReadListFile(const char* file, const std::function<bool(int line, const std::vector<char*>& fields)>& record) {
    if (!file || !*file) return false;
    FILE* fp = OpenFileA(file, "r");
    if (!fp) {
        WriteLog(INFO_ERROR, "Can't open file[%s]!", file);
        return false;
    }
    bool whole = true;
    char line[256];
    int number = 0;
    bool lineStart = true;
    std::vector<char*> fields;
    while (std::fgets(line, sizeof(line), fp)) {
        if (lineStart) ++number;
        const size_t length = std::strlen(line);
        lineStart = length > 0 && line[length - 1] == '\n';
        if (line[0] != '#') continue;  // "#" marks a record; everything else is free text
        fields.clear();
        char* rest = nullptr;
        for (char* field = strtok_r(line + 1, " \t\n\r", &rest); field; field = strtok_r(nullptr, " \t\n\r", &rest))
            fields.push_back(field);
        if (!record(number, fields)) {
            whole = false;
            break;
        }
    }
    std::fclose(fp);
    return whole;
}

int FieldToInt(const char* text) {
    long value = std::strtol(text, nullptr, 10);
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

void CheckNumberFields(const char* list, int line, const std::vector<char*>& fields, size_t count) {
    for (size_t i = 0; i < count && i < fields.size(); ++i) {
        char* end = nullptr;
        std::strtol(fields[i], &end, 10);
        if (end == fields[i] || *end != '\0')
            WriteLog(INFO_WARNING, "Line %d of list file[%s]: field %zu [%s] is not a number, read as %d", line, list,
                     i + 1, fields[i], FieldToInt(fields[i]));
    }
}

void ReportFailedRecord(const char* list, int line, DWORD handle, const char* heldBy, const char* file, DWORD index,
                        bool amf) {
    if (!IsCallerHandle(handle))
        WriteLog(INFO_WARNING, "Line %d of list file[%s]: handle %d is not one of 1 to %u", line, list, int(handle),
                 unsigned(kLastCallerHandle));
    else if (heldBy)
        WriteLog(INFO_WARNING, "Line %d of list file[%s]: handle %u already holds [%s]", line, list, unsigned(handle),
                 heldBy);
    else
        WriteLog(INFO_WARNING, "Line %d of list file[%s]: [%s] did not load; %s", line, list, file,
                 WhyPictureFails(file, index, amf).c_str());
}

}  // namespace vlm_engine
