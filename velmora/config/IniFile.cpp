// CIniFile: scanning, typed reads and in-place edits of the INI text block.
#include <velmora/config/IniFile.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include <velmora/core/Log.h>
#include <velmora/core/TextEncoding.h>
#include <velmora/core/TextFormat.h>
#include <velmora/platform/win32/FileSystem.h>

namespace {

// Typed values are formatted into a buffer of this size; the widest ("%f" of three floats
// at their limit) needs under 150 bytes.
constexpr int kValueBuffer = 256;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Text is walked a character at a time: a GBK trail byte may be "]", which must not end a
// field in the middle of a character.
size_t CharAt(const char* p, const char* end) { return TextCharLength(p, static_cast<size_t>(end - p)); }

// Whether a character would take the byte after it as one of its own: a GBK lead byte left
// without its trail byte takes the "]" closing a header.
bool JoinsWith(const char* p, size_t length, char next) {
    char joined[5] = {};
    if (length >= sizeof(joined)) return false;
    std::memcpy(joined, p, length);
    joined[length] = next;
    return TextCharLength(joined, length + 1) > length;
}

// Whether a name could be cut back out of a line: no line break, none of the bytes that end
// a field, no "//", and no last character that would take the byte after the text (the "]"
// closing a header) as part of itself.
bool HoldsAsName(const char* text) {
    const char* end = text + std::strlen(text);
    for (const char* p = text; p < end;) {
        const size_t n = CharAt(p, end);
        if (p + n == end && JoinsWith(p, n, ']')) return false;
        char c = *p;
        if (c == '\r' || c == '\n' || c == ';' || c == '=' || c == ']' || (c == '/' && p[1] == '/')) return false;
        p += n;
    }
    return true;
}

// A key must also not start a header, a comment or an indented line, and must survive the
// trimming of its end.
bool HoldsAsKey(const char* text) {
    size_t length = std::strlen(text);
    if (length > 0 && (text[0] == '[' || IsBlank(text[0]) || IsBlank(text[length - 1]))) return false;
    return HoldsAsName(text);
}

// Whether a value reads back as written: none of the characters that end it, and no blanks
// at either end, which reading trims.
bool HoldsAsValue(const char* text) {
    size_t length = std::strlen(text);
    if (length > 0 && (IsBlank(text[0]) || IsBlank(text[length - 1]))) return false;
    return HoldsAsName(text);
}

// C atoi and 32-bit strtol: out-of-range numbers saturate.
int32_t ParseLong(const char* text, char** end) {
    long long value = std::strtoll(text, end, 10);
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(value);
}

// 32-bit strtoul with base 0: a negative number is negated modulo 2^32; out of range
// saturates to 0xFFFFFFFF.
DWORD ParseDword(const char* text, char** end) {
    long long value = std::strtoll(text, end, 0);
    if (value > 0xFFFFFFFFLL || value < -0xFFFFFFFFLL) return 0xFFFFFFFFu;
    return static_cast<DWORD>(value);
}

float ParseFloat(const char* text, char** end) { return static_cast<float>(std::strtod(text, end)); }

// Numbers as a warning shows what was read.
std::string NumberText(LONG value) { return std::to_string(value); }
std::string NumberText(float value) {
    char text[64];
    FormatText(text, sizeof(text), "%g", static_cast<double>(value));
    return text;
}
template <typename T>
std::string NumberText(const T* values, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text.append(i > 0 ? "," : "").append(NumberText(values[i]));
    return text;
}

// Whether a number parsed from text took all of it: "7px" reads as 7 and "" as 0, but neither
// is what its writer meant.
bool Whole(const char* text, const char* end) { return end != text && *end == '\0'; }

// Parses count numbers separated by any one character; components after the end of the text
// stay as they are (0). Returns whether every component read was a whole number and nothing
// followed the last one.
template <typename T, typename Parse>
bool ParseComponents(const char* text, T* out, int count, Parse parse) {
    const char* p = text;
    for (int i = 0; i < count; ++i) {
        if (i > 0) {
            if (*p == '\0') return true;
            ++p;
        }
        char* end = nullptr;
        out[i] = parse(p, &end);
        if (end == p) return false;
        p = end;
    }
    return *p == '\0';
}

}  // namespace

CIniFile::CIniFile()
    : m_pData(nullptr), m_nLength(0), m_szFileName{}, m_pIndexList(nullptr), m_nIndexNum(0), m_nReadSucceed(0) {}

CIniFile::CIniFile(const char* fileName) : CIniFile() { Open(fileName); }

CIniFile::~CIniFile() { Clear(); }

void CIniFile::Clear() {
    std::free(m_pData);
    m_pData = nullptr;
    m_nLength = 0;
    std::free(m_pIndexList);
    m_pIndexList = nullptr;
    m_nIndexNum = 0;
}

// --- Files --------------------------------------------------------------------------

bool CIniFile::Open(const char* fileName) {
    if (!fileName) {
        WriteLog(INFO_ERROR, "pFileName=NULL! [CIniFile::Open]");
        return false;
    }
    Clear();
    size_t nameLength = std::strlen(fileName);
    if (nameLength >= sizeof(m_szFileName)) {
        m_szFileName[0] = '\0';
        WriteLog(INFO_ERROR, "File name too long [%s] in [CIniFile::Open]", fileName);
        return false;
    }
    std::memcpy(m_szFileName, fileName, nameLength + 1);

    FILE* file = OpenFileA(fileName, "rb");
    bool loaded = file != nullptr;
    if (file) {
        long size = std::fseek(file, 0, SEEK_END) == 0 ? std::ftell(file) : -1;
        loaded = size >= 0 && size <= INT32_MAX && std::fseek(file, 0, SEEK_SET) == 0;
        if (loaded && size > 0) {
            m_pData = static_cast<char*>(std::malloc(static_cast<size_t>(size)));
            loaded = m_pData && std::fread(m_pData, 1, static_cast<size_t>(size), file) == static_cast<size_t>(size);
            m_nLength = static_cast<int32_t>(size);
        }
        // A folder opens as a stream on some file systems; only reading it fails.
        std::fgetc(file);
        loaded = loaded && !std::ferror(file);
        std::fclose(file);
    }
    if (!loaded) {
        Clear();
        WriteLog(INFO_ERROR, "Can't open Ini file [%s] !", fileName);
        return false;
    }
    CreateIndex();
    return true;
}

bool CIniFile::Save(const char* fileName) {
    const char* target = fileName ? fileName : m_szFileName;
    if (target[0] == '\0') {
        WriteLog(INFO_ERROR, "No file name to save, [CIniFile::Save] !");
        return false;
    }
    FILE* file = OpenFileA(target, "wb");
    bool saved = file != nullptr;
    if (file) {
        if (m_nLength > 0)
            saved = std::fwrite(m_pData, 1, static_cast<size_t>(m_nLength), file) == static_cast<size_t>(m_nLength);
        saved = std::fclose(file) == 0 && saved;
    }
    if (!saved) WriteLog(INFO_ERROR, "Can't save file [%s] !", target);
    return saved;
}

// --- Scanning primitives ------------------------------------------------------------

void CIniFile::CreateIndex() {
    std::free(m_pIndexList);
    m_pIndexList = nullptr;
    m_nIndexNum = 0;
    int32_t count = 0;
    for (int32_t i = 0; i < m_nLength; ++i)
        if (m_pData[i] == '[' && (i == 0 || m_pData[i - 1] == '\n')) ++count;
    if (count == 0) return;
    m_pIndexList = static_cast<int32_t*>(std::malloc(sizeof(int32_t) * static_cast<size_t>(count)));
    if (!m_pIndexList) {
        WriteLog(INFO_ERROR, "Out of memory for %d sections, [CIniFile::CreateIndex] !", count);
        return;
    }
    for (int32_t i = 0; i < m_nLength; ++i)
        if (m_pData[i] == '[' && (i == 0 || m_pData[i - 1] == '\n')) m_pIndexList[m_nIndexNum++] = i + 1;
}

CIniFile::Field CIniFile::GetString(int32_t& pos) const {
    Field field{pos, m_nLength};
    const char* end = m_pData + m_nLength;
    int32_t i = pos;
    while (i < m_nLength) {
        char c = m_pData[i];
        // A bare LF ends a line as CR LF does: files written on Linux read as Windows-made ones.
        if (c == ';' || c == '\r' || c == '\n' || c == ']' || c == '=' ||
            (c == '/' && i + 1 < m_nLength && m_pData[i + 1] == '/')) {
            field.end = i;
            pos = i + 1;
            return field;
        }
        i += static_cast<int32_t>(CharAt(m_pData + i, end));
    }
    pos = m_nLength;
    return field;
}

CIniFile::Field CIniFile::CutStringFront(Field field) const {
    while (field.begin < field.end && IsBlank(m_pData[field.begin])) ++field.begin;
    return field;
}

CIniFile::Field CIniFile::CutStringBack(Field field) const {
    while (field.end > field.begin && IsBlank(m_pData[field.end - 1])) --field.end;
    return field;
}

int32_t CIniFile::NextLinePos(int32_t pos) const {
    if (pos >= m_nLength) return m_nLength;
    const void* lf = std::memchr(m_pData + pos, '\n', static_cast<size_t>(m_nLength - pos));
    return lf ? static_cast<int32_t>(static_cast<const char*>(lf) - m_pData) + 1 : m_nLength;
}

// The end of the body that contains pos: the start of the next header line, or the end of
// the text.
int32_t CIniFile::NextIndexPos(int32_t pos) const {
    for (int32_t i = 0; i < m_nIndexNum; ++i)
        if (m_pIndexList[i] > pos) return m_pIndexList[i] - 1;
    return m_nLength;
}

int32_t CIniFile::FindIndex(const char* index) const {
    if (!index) {
        WriteLog(INFO_NORMAL, "Index is NULL, [CIniFile::FindIndex] !");
        return -1;
    }
    size_t length = std::strlen(index);
    for (int32_t i = 0; i < m_nIndexNum; ++i) {
        int32_t pos = m_pIndexList[i];
        Field name = GetString(pos);
        if (static_cast<size_t>(name.end - name.begin) == length &&
            std::memcmp(m_pData + name.begin, index, length) == 0)
            return m_pIndexList[i];
    }
    return -1;
}

// The position just after the "=" of the first line of the section whose name is the key.
// A line without "=" is no data line and never matches.
int32_t CIniFile::FindDataName(const char* index, const char* name) const {
    int32_t section = FindIndex(index);
    if (section < 0) return -1;
    if (!name) {
        WriteLog(INFO_NORMAL, "Data name is NULL, [CIniFile::FindDataName] !");
        return -1;
    }
    size_t length = std::strlen(name);
    int32_t end = NextIndexPos(section);
    for (int32_t line = NextLinePos(section); line < end; line = NextLinePos(line)) {
        int32_t pos = line;
        Field field = GetString(pos);
        bool isData = pos == field.end + 1 && m_pData[field.end] == '=';
        Field key = CutStringBack(field);
        if (isData && static_cast<size_t>(key.end - key.begin) == length &&
            std::memcmp(m_pData + key.begin, name, length) == 0)
            return pos;
    }
    return -1;
}

int32_t CIniFile::BodyLinePos(const char* index, int n) const {
    if (n < 0) {
        WriteLog(INFO_ERROR, "Invalidate parameter! line %d of [%s] [CIniFile::BodyLinePos]", n, index ? index : "");
        return -1;
    }
    int32_t section = FindIndex(index);
    if (section < 0) return -1;
    int32_t end = NextIndexPos(section);
    int32_t pos = NextLinePos(section);
    for (int i = 0; i < n && pos < end; ++i) pos = NextLinePos(pos);
    return pos < end ? pos : -1;
}

int32_t CIniFile::CopyField(Field field, char* buffer, int bufferSize, const char* caller) const {
    size_t length = static_cast<size_t>(field.end - field.begin);
    size_t count = length;
    if (count > static_cast<size_t>(bufferSize - 1)) {
        count = TextCutLength(m_pData + field.begin, static_cast<size_t>(bufferSize - 1));
        WriteLog(INFO_WARNING, "Text of %zu bytes cut to %zu, [CIniFile::%s] !", length, count, caller);
    }
    if (count > 0) std::memcpy(buffer, m_pData + field.begin, count);
    buffer[count] = '\0';
    return static_cast<int32_t>(count);
}

char* CIniFile::NewString(Field field) const {
    size_t length = static_cast<size_t>(field.end - field.begin);
    char* text = new (std::nothrow) char[length + 1];
    if (!text) return nullptr;
    if (length > 0) std::memcpy(text, m_pData + field.begin, length);
    text[length] = '\0';
    return text;
}

// --- Sections -------------------------------------------------------------------------

char* CIniFile::GetIndex(const int& n, char* buffer, int bufferSize) const {
    if (!buffer || bufferSize <= 0) {
        WriteLog(INFO_ERROR, "Invalidate parameter! [CIniFile::GetIndex]");
        return nullptr;
    }
    if (n < 0 || n >= m_nIndexNum) {
        buffer[0] = '\0';
        WriteLog(INFO_NORMAL, "IndexNum is out of range, [CIniFile::GetIndex] !");
        return nullptr;
    }
    int32_t pos = m_pIndexList[n];
    CopyField(GetString(pos), buffer, bufferSize, "GetIndex");
    return buffer;
}

int CIniFile::GetContinueData(const char* index) const {
    int32_t section = FindIndex(index);
    if (section < 0) return 0;
    int count = 0;
    for (int32_t pos = NextLinePos(section); pos < m_nLength; pos = NextLinePos(pos)) {
        unsigned char c = static_cast<unsigned char>(m_pData[pos]);
        if (c == '\r' || c == '\n' || c == ' ' || c == '\t' || c == '[' || c == '/' || c == 0xFF) break;
        ++count;
    }
    return count;
}

// --- Reading by key ---------------------------------------------------------------------

bool CIniFile::FindValue(const char* index, const char* name, Field& value) {
    int32_t pos = FindDataName(index, name);
    m_nReadSucceed = pos >= 0 ? 1 : 0;
    if (pos < 0) return false;
    value = CutStringBack(CutStringFront(GetString(pos)));
    return true;
}

bool CIniFile::ReadValue(const char* index, const char* name, std::string& value) {
    Field field{};
    if (!FindValue(index, name, field)) return false;
    value.assign(m_pData + field.begin, static_cast<size_t>(field.end - field.begin));
    return true;
}

char* CIniFile::ReadString(const char* index, const char* name) {
    Field value{};
    return FindValue(index, name, value) ? NewString(value) : nullptr;
}

char* CIniFile::ReadString(const char* index, const char* name, char* buffer, int bufferSize, const char* defaultText) {
    if (!buffer || bufferSize <= 0) {
        m_nReadSucceed = 0;
        WriteLog(INFO_ERROR, "Invalidate parameter! [CIniFile::ReadString]");
        return buffer;
    }
    Field value{};
    if (FindValue(index, name, value)) {
        CopyField(value, buffer, bufferSize, "ReadString");
    } else {
        const char* text = defaultText ? defaultText : "";
        size_t count = std::strlen(text);
        if (count > static_cast<size_t>(bufferSize - 1))
            count = TextCutLength(text, static_cast<size_t>(bufferSize - 1));
        std::memcpy(buffer, text, count);
        buffer[count] = '\0';
    }
    return buffer;
}

void CIniFile::WarnUnparsed(const char* index, const char* name, const std::string& value, const char* kind,
                            const char* readAs) const {
    WriteLog(INFO_WARNING, "Key %s of section [%s] in file[%s]: the value [%s] is not %s, read as %s", name, index,
             m_szFileName, value.c_str(), kind, readAs);
}

int CIniFile::ReadInt(const char* index, const char* name, int defaultValue) {
    std::string value;
    if (!ReadValue(index, name, value)) return defaultValue;
    char* end = nullptr;
    const int32_t result = ParseLong(value.c_str(), &end);
    if (!Whole(value.c_str(), end)) WarnUnparsed(index, name, value, "a number", NumberText(result).c_str());
    return result;
}

DWORD CIniFile::ReadDWORD(const char* index, const char* name, DWORD defaultValue) {
    std::string value;
    if (!ReadValue(index, name, value)) return defaultValue;
    char* end = nullptr;
    const DWORD result = ParseDword(value.c_str(), &end);
    if (!Whole(value.c_str(), end)) WarnUnparsed(index, name, value, "a number", std::to_string(result).c_str());
    return result;
}

float CIniFile::ReadFloat(const char* index, const char* name, float defaultValue) {
    std::string value;
    if (!ReadValue(index, name, value)) return defaultValue;
    char* end = nullptr;
    const float result = ParseFloat(value.c_str(), &end);
    if (!Whole(value.c_str(), end)) WarnUnparsed(index, name, value, "a number", NumberText(result).c_str());
    return result;
}

bool CIniFile::ReadBOOL(const char* index, const char* name, bool defaultValue) {
    std::string value;
    if (!ReadValue(index, name, value)) return defaultValue;
    for (char& c : value)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return value != "false" && value != "0";
}

POINT CIniFile::ReadPoint(const char* index, const char* name) {
    LONG xy[2] = {0, 0};
    std::string value;
    if (ReadValue(index, name, value) && !ParseComponents(value.c_str(), xy, 2, ParseLong))
        WarnUnparsed(index, name, value, "a point x,y", NumberText(xy, 2).c_str());
    return POINT{xy[0], xy[1]};
}

RECT CIniFile::ReadRect(const char* index, const char* name) {
    LONG edges[4] = {0, 0, 0, 0};
    std::string value;
    if (ReadValue(index, name, value) && !ParseComponents(value.c_str(), edges, 4, ParseLong))
        WarnUnparsed(index, name, value, "a rectangle left,top,right,bottom", NumberText(edges, 4).c_str());
    return RECT{edges[0], edges[1], edges[2], edges[3]};
}

Vec2D CIniFile::ReadVec2D(const char* index, const char* name, const Vec2D& defaultValue) {
    float xy[2] = {0.0f, 0.0f};
    std::string value;
    if (!ReadValue(index, name, value)) return defaultValue;
    if (!ParseComponents(value.c_str(), xy, 2, ParseFloat))
        WarnUnparsed(index, name, value, "a vector x,y", NumberText(xy, 2).c_str());
    return Vec2D{xy[0], xy[1]};
}

Vec3D CIniFile::ReadVec3D(const char* index, const char* name, const Vec3D& defaultValue) {
    float xyz[3] = {0.0f, 0.0f, 0.0f};
    std::string value;
    if (!ReadValue(index, name, value)) return defaultValue;
    if (!ParseComponents(value.c_str(), xyz, 3, ParseFloat))
        WarnUnparsed(index, name, value, "a vector x,y,z", NumberText(xyz, 3).c_str());
    return Vec3D{xyz[0], xyz[1], xyz[2]};
}

int CIniFile::ReadBinary(const char* index, const char* name, unsigned char* data, unsigned int nBytes) {
    if (!data || nBytes == 0) {
        m_nReadSucceed = 0;
        WriteLog(INFO_ERROR, "pData==NULL or nBytes==0 in [CIniFile::ReadBinary]");
        return 0;
    }
    Field value{};
    if (!FindValue(index, name, value)) return 0;
    int32_t length = value.end - value.begin;
    if (length == 0 || length % 2 != 0) {
        m_nReadSucceed = 0;
        WriteLog(INFO_ERROR, "Read Binary Error in [CIniFile::ReadBinary]");
        return 0;
    }
    uint32_t count = static_cast<uint32_t>(length / 2);
    if (count > nBytes) {
        WriteLog(INFO_WARNING, "Binary data of %u bytes cut to %u, [CIniFile::ReadBinary] !", count, nBytes);
        count = nBytes;
    }
    const char* letters = m_pData + value.begin;
    for (uint32_t i = 0; i < count; ++i)
        data[i] = static_cast<unsigned char>((letters[2 * i] - 'A') + 16 * (letters[2 * i + 1] - 'A'));
    return static_cast<int>(count);
}

// --- Reading by line number ----------------------------------------------------------

int CIniFile::ReadString(const char* index, int n, char* buffer, int bufferSize) {
    m_nReadSucceed = 0;
    if (!buffer || bufferSize <= 0) {
        WriteLog(INFO_ERROR, "Invalidate parameter! [CIniFile::ReadString]");
        return 0;
    }
    buffer[0] = '\0';
    int32_t pos = BodyLinePos(index, n);
    if (pos < 0) return 0;
    while (pos < m_nLength && m_pData[pos] != '=') {
        if (m_pData[pos] == '\r' || m_pData[pos] == '\n') return 0;
        ++pos;
    }
    if (pos >= m_nLength) return 0;
    ++pos;
    m_nReadSucceed = 1;
    return CopyField(CutStringBack(CutStringFront(GetString(pos))), buffer, bufferSize, "ReadString");
}

int CIniFile::ReadInt(const char* index, int n, int defaultValue) {
    char value[MAX_BUFFER];
    if (ReadString(index, n, value, sizeof(value)) == 0) {
        m_nReadSucceed = 0;
        return defaultValue;
    }
    char* end = nullptr;
    const int32_t result = ParseLong(value, &end);
    if (!Whole(value, end))
        WriteLog(INFO_WARNING, "Line %d of section [%s] in file[%s]: the value [%s] is not a number, read as %d", n,
                 index, m_szFileName, value, result);
    return result;
}

char* CIniFile::ReadDataName(const char* index, int n) const {
    int32_t pos = BodyLinePos(index, n);
    return pos < 0 ? nullptr : NewString(CutStringBack(GetString(pos)));
}

// --- Writing ------------------------------------------------------------------------------

bool CIniFile::WriteString(const char* index, const char* name, const char* value) {
    if (!index || !name || !value) {
        WriteLog(INFO_ERROR, "Invalidate parameter! [CIniFile::WriteString]");
        return false;
    }
    // What the format cannot hold is refused, not written to come back cut.
    if (!HoldsAsName(index) || !HoldsAsKey(name) || !HoldsAsValue(value) ||
        std::strlen(name) + std::strlen(value) > INT32_MAX / 2) {
        WriteLog(INFO_ERROR,
                 "Can't write [%s] %s=%s: not a section, key or value of an INI line [CIniFile::WriteString]", index,
                 name, value);
        return false;
    }
    int32_t pos = FindDataName(index, name);
    if (pos >= 0) return ModifyData(pos, value);

    int32_t section = FindIndex(index);
    if (section < 0) return AddIndex(index) && AddData(m_nLength, name, value);
    // New data joins the run of lines under the header: it stops at the next header, an
    // indented line, a ";" comment or a blank line.
    int32_t end = NextIndexPos(section);
    pos = NextLinePos(section);
    while (pos < end) {
        char c = m_pData[pos];
        if (c == '[' || c == ' ' || c == '\t' || c == ';' || c == '\r' || c == '\n') break;
        pos = NextLinePos(pos);
    }
    return AddData(pos, name, value);
}

// Lines written into a file end as its first line does, so a file made on Linux stays LF and
// one made on Windows stays CR LF; a text without a line break yet gets CR LF.
const char* CIniFile::LineEnd() const {
    const void* lf = m_nLength > 0 ? std::memchr(m_pData, '\n', static_cast<size_t>(m_nLength)) : nullptr;
    if (!lf) return "\r\n";
    const char* at = static_cast<const char*>(lf);
    return at > m_pData && at[-1] == '\r' ? "\r\n" : "\n";
}

bool CIniFile::AddIndex(const char* index) {
    size_t length = std::strlen(index);
    if (length > static_cast<size_t>(MAX_INDEX_NAME)) {
        WriteLog(INFO_ERROR, "Section name of %zu bytes is too long (at most %d), [CIniFile::AddIndex] !", length,
                 MAX_INDEX_NAME);
        return false;
    }
    char header[kValueBuffer];
    const char* lineEnd = LineEnd();
    size_t count = FormatText(header, sizeof(header), "%s[%s]%s", lineEnd, index, lineEnd);
    return Splice(m_nLength, 0, header, static_cast<int32_t>(count));
}

bool CIniFile::AddData(int32_t pos, const char* name, const char* value) {
    std::string line;
    const char* lineEnd = LineEnd();
    // A last line without a line break is ended first, so the new line stands on its own.
    if (pos > 0 && m_pData[pos - 1] != '\n') line = lineEnd;
    line.append(name).append("=").append(value).append(lineEnd);
    return Splice(pos, 0, line.data(), static_cast<int32_t>(line.size()));
}

// Replaces the old value with its surrounding blanks; the "=", a following comment and the
// line break stay.
bool CIniFile::ModifyData(int32_t pos, const char* value) {
    int32_t next = pos;
    Field old = GetString(next);
    const size_t length = std::strlen(value);
    if (length > 0 && value[length - 1] == '/' && old.end < m_nLength && m_pData[old.end] == '/') {
        // The value's last "/" would join the comment's "//" and end the value one early.
        const std::string spaced = std::string(value) + " ";
        return Splice(pos, old.end - old.begin, spaced.data(), static_cast<int32_t>(spaced.size()));
    }
    return Splice(pos, old.end - old.begin, value, static_cast<int32_t>(length));
}

bool CIniFile::Splice(int32_t pos, int32_t removed, const char* bytes, int32_t count) {
    int64_t length = static_cast<int64_t>(m_nLength) - removed + count;
    if (length > INT32_MAX) {
        WriteLog(INFO_ERROR, "Ini text would pass 2 GiB, [CIniFile::Splice] !");
        return false;
    }
    if (length > m_nLength) {
        char* grown = static_cast<char*>(std::realloc(m_pData, static_cast<size_t>(length)));
        if (!grown) {
            WriteLog(INFO_ERROR, "Out of memory for %lld bytes, [CIniFile::Splice] !", static_cast<long long>(length));
            return false;
        }
        m_pData = grown;
    }
    int32_t tail = m_nLength - pos - removed;
    if (tail > 0) std::memmove(m_pData + pos + count, m_pData + pos + removed, static_cast<size_t>(tail));
    if (count > 0) std::memcpy(m_pData + pos, bytes, static_cast<size_t>(count));
    if (length == 0) {
        std::free(m_pData);
        m_pData = nullptr;
    } else if (length < m_nLength) {
        if (char* shrunk = static_cast<char*>(std::realloc(m_pData, static_cast<size_t>(length)))) m_pData = shrunk;
    }
    m_nLength = static_cast<int32_t>(length);
    CreateIndex();
    return true;
}

bool CIniFile::WriteInt(const char* index, const char* name, int value) {
    char text[kValueBuffer];
    FormatText(text, sizeof(text), "%d", value);
    return WriteString(index, name, text);
}

bool CIniFile::WriteDWORD(const char* index, const char* name, DWORD value) {
    char text[kValueBuffer];
    FormatText(text, sizeof(text), "0x%x", value);
    return WriteString(index, name, text);
}

bool CIniFile::WriteFloat(const char* index, const char* name, float value) {
    char text[kValueBuffer];
    FormatText(text, sizeof(text), "%f", static_cast<double>(value));
    return WriteString(index, name, text);
}

bool CIniFile::WriteBOOL(const char* index, const char* name, bool value) {
    return WriteString(index, name, value ? "true" : "false");
}

bool CIniFile::WritePoint(const char* index, const char* name, const POINT& value) {
    char text[kValueBuffer];
    FormatText(text, sizeof(text), "%d,%d", value.x, value.y);
    return WriteString(index, name, text);
}

bool CIniFile::WriteRect(const char* index, const char* name, const RECT& value) {
    char text[kValueBuffer];
    FormatText(text, sizeof(text), "%d,%d,%d,%d", value.left, value.top, value.right, value.bottom);
    return WriteString(index, name, text);
}

bool CIniFile::WriteVec2D(const char* index, const char* name, const Vec2D& value) {
    char text[kValueBuffer];
    FormatText(text, sizeof(text), "%f,%f", static_cast<double>(value.x), static_cast<double>(value.y));
    return WriteString(index, name, text);
}

bool CIniFile::WriteVec3D(const char* index, const char* name, const Vec3D& value) {
    char text[kValueBuffer];
    FormatText(text, sizeof(text), "%f,%f,%f", static_cast<double>(value.x), static_cast<double>(value.y),
               static_cast<double>(value.z));
    return WriteString(index, name, text);
}

bool CIniFile::WriteBinary(const char* index, const char* name, const unsigned char* data, unsigned int nBytes) {
    if (!data || nBytes > INT32_MAX / 4) {
        WriteLog(INFO_ERROR, "Invalidate parameter! [CIniFile::WriteBinary]");
        return false;
    }
    std::unique_ptr<char[]> text(new (std::nothrow) char[2 * static_cast<size_t>(nBytes) + 1]);
    if (!text) {
        WriteLog(INFO_ERROR, "Out of memory for %u bytes, [CIniFile::WriteBinary] !", nBytes);
        return false;
    }
    for (unsigned int i = 0; i < nBytes; ++i) {
        text[2 * i] = static_cast<char>('A' + (data[i] & 0x0F));
        text[2 * i + 1] = static_cast<char>('A' + (data[i] >> 4));
    }
    text[2 * static_cast<size_t>(nBytes)] = '\0';
    return WriteString(index, name, text.get());
}
