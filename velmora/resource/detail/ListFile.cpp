// Batch list files of the texture and frame managers.
#include <velmora/resource/detail/ListFile.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <velmora/core/Log.h>
#include <velmora/platform/win32/FileSystem.h>

namespace vlm_engine {

bool ReadListFile(const char* file, const std::function<bool(const std::vector<char*>& fields)>& record) {
    if (!file || !*file) return false;
    FILE* fp = OpenFileA(file, "r");
    if (!fp) {
        WriteLog(INFO_ERROR, "Can't open file[%s]!", file);
        return false;
    }
    bool whole = true;
    char line[256];
    std::vector<char*> fields;
    while (std::fgets(line, sizeof(line), fp)) {
        if (line[0] != '#') continue;  // "#" marks a record; everything else is free text
        fields.clear();
        char* rest = nullptr;
        for (char* field = strtok_r(line + 1, " \t\n\r", &rest); field; field = strtok_r(nullptr, " \t\n\r", &rest))
            fields.push_back(field);
        if (!record(fields)) {
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

}  // namespace vlm_engine
