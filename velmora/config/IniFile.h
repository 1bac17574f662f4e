// CIniFile: the engine's INI text files. The whole file is kept as one block of bytes;
// reads scan it, writes edit it in place, and Save writes it back with comments, blank lines
// and order intact. GUI and particle descriptions are read through it.
#pragma once

#include <string>

#include <velmora/Export.h>
#include <velmora/core/VecRecords.h>
#include <velmora/platform/win32/Types.h>

// Text format: lines end in CR LF or in a bare LF. "[name]" at the start of a line opens a
// section; "key = value" lines follow. ";" and "//" start a comment anywhere in a line. Names
// compare exactly and case-sensitively; values lose their leading and trailing spaces and
// tabs. Strings are GBK bytes and are never converted. A typed read of a value that is not
// wholly a number logs a warning.
class VLM_API CIniFile {
public:
    // Bytes (NUL included) that the buffer forms without a size argument may fill. Longer
    // texts are cut on a character boundary; pass a size to use other buffers.
    static constexpr int MAX_BUFFER = 256;
    // Longest section name a write may create: its header "\r\n[name]\r\n" stays in 256 bytes.
    static constexpr int MAX_INDEX_NAME = 249;

    CIniFile();
    explicit CIniFile(const char* fileName);
    ~CIniFile();

    CIniFile(const CIniFile&) = delete;  // owns its text and index table
    CIniFile& operator=(const CIniFile&) = delete;

    // Loads the whole file. The name is recorded even when the file can't be read, so a
    // missing file starts empty and Save(nullptr) creates it.
    bool Open(const char* fileName);
    // Writes the text back byte for byte; null means the name of the last Open.
    bool Save(const char* fileName = nullptr);
    // The name given to the last Open ("" when none was), as log lines name the file.
    const char* GetFileName() const { return m_szFileName; }
    // 1 if the last read found its key, else 0.
    int IsReadSucceed() const { return m_nReadSucceed; }

    int GetIndexNum() const { return m_nIndexNum; }
    // Copies the name of section n (0-based, file order) into buffer and returns it; null,
    // with the buffer emptied, when n is out of range.
    char* GetIndex(const int& n, char* buffer, int bufferSize) const;
    char* GetIndex(const int& n, char* buffer) const { return GetIndex(n, buffer, MAX_BUFFER); }
    // The number of data lines that directly follow the section's header (the run that ends
    // at a blank, indented, "/", "[" line or the end of the text).
    int GetContinueData(const char* index) const;

    // Reads by key. Each sets the read flag and yields the default when the key is missing.
    // The value in a new string that the caller frees with delete[], or null.
    char* ReadString(const char* index, const char* name);
    char* ReadString(const char* index, const char* name, char* buffer, int bufferSize, const char* defaultText);
    char* ReadString(const char* index, const char* name, char* buffer, const char* defaultText) {
        return ReadString(index, name, buffer, MAX_BUFFER, defaultText);
    }
    int ReadInt(const char* index, const char* name, int defaultValue);
    // Automatic base: "0x" hexadecimal, leading "0" octal, otherwise decimal.
    DWORD ReadDWORD(const char* index, const char* name, DWORD defaultValue);
    float ReadFloat(const char* index, const char* name, float defaultValue);
    // False for "false" (any case) and "0"; true for any other text, the empty one included.
    bool ReadBOOL(const char* index, const char* name, bool defaultValue);
    // Components separated by any one character ("10,20", "10 20"); missing ones are 0.
    POINT ReadPoint(const char* index, const char* name);
    RECT ReadRect(const char* index, const char* name);
    Vec2D ReadVec2D(const char* index, const char* name, const Vec2D& defaultValue);
    Vec3D ReadVec3D(const char* index, const char* name, const Vec3D& defaultValue);
    // Decodes up to nBytes bytes written by WriteBinary; returns how many were decoded.
    int ReadBinary(const char* index, const char* name, unsigned char* data, unsigned int nBytes);

    // Reads by line: line n (0-based) of the section's body, every physical line counted.
    // The value after the line's "=" into buffer; returns its length, 0 (buffer emptied) if
    // there is no such line or it has no "=".
    int ReadString(const char* index, int n, char* buffer, int bufferSize);
    int ReadString(const char* index, int n, char* buffer) { return ReadString(index, n, buffer, MAX_BUFFER); }
    int ReadInt(const char* index, int n, int defaultValue);
    // The key part of line n in a new string that the caller frees with delete[], or null.
    // Leaves the read flag alone.
    char* ReadDataName(const char* index, int n) const;

    // Writes change the text in memory only. A missing section is appended; a missing key
    // joins the run of lines under its section's header; an existing value is replaced and
    // its comment kept. New lines end as the text's first line does (CR LF when it has no line
    // break yet). False for null arguments and for names or values the format can't hold
    // (line breaks, ";", "=", "]" or "//" in names).
    bool WriteString(const char* index, const char* name, const char* value);
    bool WriteInt(const char* index, const char* name, int value);
    // Hexadecimal with the "0x" prefix, so that ReadDWORD reads it back.
    bool WriteDWORD(const char* index, const char* name, DWORD value);
    bool WriteFloat(const char* index, const char* name, float value);
    bool WriteBOOL(const char* index, const char* name, bool value);
    bool WritePoint(const char* index, const char* name, const POINT& value);
    bool WriteRect(const char* index, const char* name, const RECT& value);
    bool WriteVec2D(const char* index, const char* name, const Vec2D& value);
    bool WriteVec3D(const char* index, const char* name, const Vec3D& value);
    // Two letters "A"-"P" per byte, low nibble first.
    bool WriteBinary(const char* index, const char* name, const unsigned char* data, unsigned int nBytes);

protected:
    // A run of bytes of the text: [begin, end).
    struct Field {
        int32_t begin;
        int32_t end;
    };

    void Clear();
    void CreateIndex();
    int32_t FindIndex(const char* index) const;
    int32_t FindDataName(const char* index, const char* name) const;
    int32_t NextIndexPos(int32_t pos) const;
    int32_t NextLinePos(int32_t pos) const;
    Field GetString(int32_t& pos) const;
    Field CutStringFront(Field field) const;
    Field CutStringBack(Field field) const;
    int32_t BodyLinePos(const char* index, int n) const;
    bool FindValue(const char* index, const char* name, Field& value);
    bool ReadValue(const char* index, const char* name, std::string& value);
    // Logs a value that a typed read could not take whole, and what it was read as.
    void WarnUnparsed(const char* index, const char* name, const std::string& value, const char* kind,
                      const char* readAs) const;
    int32_t CopyField(Field field, char* buffer, int bufferSize, const char* caller) const;
    char* NewString(Field field) const;
    const char* LineEnd() const;
    bool AddIndex(const char* index);
    bool AddData(int32_t pos, const char* name, const char* value);
    bool ModifyData(int32_t pos, const char* value);
    bool Splice(int32_t pos, int32_t removed, const char* bytes, int32_t count);

    char* m_pData;
    int32_t m_nLength;
    char m_szFileName[260];
    int32_t* m_pIndexList;
    int32_t m_nIndexNum;
    int32_t m_nReadSucceed;
};
