// Fuzz target: INI files, read as GBK text and as UTF-8. Every read form over the sections and
// keys the file has (by key, by line, into buffers of several sizes), then typed writes to
// those keys and to new ones, with names and values taken from the file's own lines. A write
// that succeeds must read back as written, at once and after Save and a fresh Open.
#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "support/FuzzEngine.h"

using namespace VelmoraFuzz;

namespace {

// Enough of a file to reach every path; more only repeats them, slower.
constexpr int kMaxSections = 8;
constexpr int kMaxLines = 12;
constexpr size_t kMaxKeysRead = 4;

bool g_hasNul = false;  // the input holds a NUL byte

struct Owned {
    void operator()(char* text) const { delete[] text; }
};
using OwnedText = std::unique_ptr<char, Owned>;

std::string Text(char* owned) {
    OwnedText held(owned);
    return held ? std::string(held.get()) : std::string();
}

// The buffer forms must give the new-string form's text, cut to the buffer on a character
// boundary.
void CheckCut(const std::string& whole, const char* cut, size_t bufferSize) {
    const size_t length = std::strlen(cut);
    FUZZ_CHECK(length < bufferSize && whole.compare(0, length, cut) == 0);
    // A NUL in the file hides the rest of a value from the string forms: no more to compare.
    if (g_hasNul) return;
    if (whole.size() < bufferSize)
        FUZZ_CHECK(whole == cut);
    else
        FUZZ_CHECK(EndsOnCharacter(whole, length));
}

// The string forms of one key: the new string and buffers large and small.
void ReadText(CIniFile& ini, const char* section, const char* key) {
    const std::string whole = Text(ini.ReadString(section, key));
    const bool found = ini.IsReadSucceed() == 1;
    char buffer[CIniFile::MAX_BUFFER];
    char small[3];
    ini.ReadString(section, key, buffer, "none");
    FUZZ_CHECK(ini.IsReadSucceed() == found);
    if (found) CheckCut(whole, buffer, sizeof buffer);
    ini.ReadString(section, key, small, sizeof small, "none");
    if (found) CheckCut(whole, small, sizeof small);
}

// The typed forms of one key.
void ReadTyped(CIniFile& ini, const char* section, const char* key) {
    ini.ReadInt(section, key, -1);
    ini.ReadDWORD(section, key, 7);
    ini.ReadFloat(section, key, 0.5f);
    ini.ReadBOOL(section, key, true);
    ini.ReadPoint(section, key);
    ini.ReadRect(section, key);
    ini.ReadVec2D(section, key, Vec2D{1, 2});
    ini.ReadVec3D(section, key, Vec3D{1, 2, 3});
    unsigned char bytes[8];
    FUZZ_CHECK(ini.ReadBinary(section, key, bytes, sizeof bytes) <= int(sizeof bytes));
}

// Reads the whole file; returns the sections and keys found, in file order.
std::vector<std::pair<std::string, std::vector<std::string>>> ReadAll(CIniFile& ini) {
    std::vector<std::pair<std::string, std::vector<std::string>>> found;
    char name[CIniFile::MAX_BUFFER];
    char small[5];
    for (int n = 0; n < ini.GetIndexNum() && n < kMaxSections; ++n) {
        FUZZ_CHECK(ini.GetIndex(n, name) == name);
        ini.GetIndex(n, small, sizeof small);
        FUZZ_CHECK(std::strlen(small) < sizeof small);
        std::vector<std::string> keys;
        const int run = ini.GetContinueData(name);
        FUZZ_CHECK(run >= 0);
        ini.ReadString(name, 0, small, sizeof small);
        ini.ReadInt(name, 0, 3);
        for (int line = 0; line < kMaxLines; ++line) {
            char value[CIniFile::MAX_BUFFER];
            const int length = ini.ReadString(name, line, value);
            // A NUL in the file's value ends the text early; the length counts the bytes copied.
            FUZZ_CHECK(length >= int(std::strlen(value)) && length < int(sizeof value));
            char* key = ini.ReadDataName(name, line);
            if (!key) break;
            keys.push_back(Text(key));
        }
        for (size_t k = 0; k < keys.size() && k < kMaxKeysRead; ++k) ReadText(ini, name, keys[k].c_str());
        if (!keys.empty()) ReadTyped(ini, name, keys[0].c_str());
        found.emplace_back(name, keys);
    }
    ini.GetIndex(-1, name);
    ini.GetIndex(ini.GetIndexNum(), name);
    ini.ReadString("no such section", "no such key", name, "default");
    FUZZ_CHECK(ini.IsReadSucceed() == 0 && std::strcmp(name, "default") == 0);
    return found;
}

// The input's lines without their line ends, cut at a NUL: names and values to write.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= text.size() && lines.size() < 8) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line.substr(0, line.find('\0')));
        start = end + 1;
    }
    return lines;
}

int32_t NumberOf(const std::string& text) {
    uint32_t n = 2166136261u;
    for (unsigned char c : text) n = (n ^ c) * 16777619u;
    return int32_t(n);
}

using Written = std::map<std::pair<std::string, std::string>, std::string>;

// Typed writes to one key; each that succeeds must read back. Records the key's last text.
void WriteKey(CIniFile& ini, const std::string& section, const std::string& key, const std::string& value,
              Written& written) {
    const char* s = section.c_str();
    const char* k = key.c_str();
    const int32_t number = NumberOf(value);
    auto record = [&] { written[{section, key}] = Text(ini.ReadString(s, k)); };

    if (ini.WriteString(s, k, value.c_str())) {
        FUZZ_CHECK(Text(ini.ReadString(s, k)) == value);
        record();
    }
    if (ini.WriteInt(s, k, number)) {
        FUZZ_CHECK(ini.ReadInt(s, k, 0) == number);
        record();
    }
    if (ini.WriteDWORD(s, k, DWORD(number))) {
        FUZZ_CHECK(ini.ReadDWORD(s, k, 0) == DWORD(number));
        record();
    }
    if (ini.WriteBOOL(s, k, number & 1)) {
        FUZZ_CHECK(ini.ReadBOOL(s, k, !(number & 1)) == bool(number & 1));
        record();
    }
    const POINT point{number, -number / 3};
    if (ini.WritePoint(s, k, point)) {
        const POINT read = ini.ReadPoint(s, k);
        FUZZ_CHECK(read.x == point.x && read.y == point.y);
        record();
    }
    const RECT rect{number, 1, -2, number / 7};
    if (ini.WriteRect(s, k, rect)) {
        const RECT read = ini.ReadRect(s, k);
        FUZZ_CHECK(std::memcmp(&read, &rect, sizeof rect) == 0);
        record();
    }
    if (ini.WriteFloat(s, k, float(number) / 1024.0f)) record();
    if (ini.WriteVec3D(s, k, Vec3D{1.5f, float(number), -0.25f})) record();
    const size_t bytes = std::min<size_t>(value.size(), 64);
    if (ini.WriteBinary(s, k, reinterpret_cast<const unsigned char*>(value.data()), unsigned(bytes))) {
        unsigned char read[64];
        if (bytes) {
            FUZZ_CHECK(ini.ReadBinary(s, k, read, sizeof read) == int(bytes));
            FUZZ_CHECK(std::memcmp(read, value.data(), bytes) == 0);
        }
        record();
    }
}

// Reads and writes the file under the current text encoding.
void Exercise(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    g_hasNul = text.find('\0') != std::string::npos;
    const std::string path = WriteScratch("input.ini", data, size);

    CIniFile ini(path.c_str());
    const auto found = ReadAll(ini);

    // Keys that exist, and new sections and keys named by the file's lines.
    const std::vector<std::string> lines = Lines(text);
    std::vector<std::pair<std::string, std::string>> targets;
    for (size_t s = 0; s < found.size() && s < 3; ++s)
        for (size_t k = 0; k < found[s].second.size() && k < 3; ++k)
            targets.emplace_back(found[s].first, found[s].second[k]);
    for (size_t i = 0; i + 1 < lines.size(); i += 2) targets.emplace_back(lines[i], lines[i + 1]);
    if (!found.empty() && !lines.empty()) targets.emplace_back(found[0].first, lines.back());

    Written written;
    for (size_t i = 0; i < targets.size(); ++i)
        WriteKey(ini, targets[i].first, targets[i].second, lines[i % lines.size()], written);

    // Every key keeps its last write, in this object and in the file saved and opened again.
    FUZZ_CHECK(ini.Save("saved.ini"));
    CIniFile again("saved.ini");
    FUZZ_CHECK(again.GetIndexNum() == ini.GetIndexNum());
    for (const auto& [where, value] : written) {
        FUZZ_CHECK(Text(ini.ReadString(where.first.c_str(), where.second.c_str())) == value);
        FUZZ_CHECK(Text(again.ReadString(where.first.c_str(), where.second.c_str())) == value);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    Prepare(argc, argv);
    CaptureReports();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The same file as a game reading GBK text and as one reading UTF-8 reads it.
    for (TextEncoding encoding : {TEXT_ENCODING_GBK, TEXT_ENCODING_UTF8}) {
        SetTextEncoding(encoding);
        Exercise(data, size);
    }
    SetTextEncoding(TEXT_ENCODING_GBK);
    EndInput();
    return 0;
}
