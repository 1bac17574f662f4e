// AMF animation files: a 24-byte header, a 16-byte index entry per picture and the
// pictures' 32-bit ARGB pixels, each run-length compressed on its own so that any one
// picture can be read without touching the others.
#pragma once

#include <cstdio>

#include <velmora/Export.h>
#include <velmora/platform/win32/Types.h>

enum AMFType {
    AMF_UNIFORM = 0,   // every picture has the frame-set width and height
    AMF_VARIABLE = 1,  // pictures differ in size; the header holds the largest of them
};

// All numbers little-endian, as they lie in the file.
struct AMFHeader {
    DWORD dwMagic;  // "AMFH"
    LONG nWidth;    // frame-set width: the largest picture width
    LONG nHeight;   // frame-set height: the largest picture height
    WORD wCount;    // picture count
    WORD wDelay;    // milliseconds between frames
    WORD wType;     // AMFType
    WORD wVersion;  // format mark, written as 1000
    DWORD dwReserved;
};

struct AMFIndex {
    DWORD dwOffset;  // file offset of the compressed data
    DWORD dwSize;    // compressed size in bytes
    LONG nWidth;
    LONG nHeight;
};

static_assert(sizeof(AMFHeader) == 24 && sizeof(AMFIndex) == 16, "AMF records have fixed sizes");

class CFrames;

class VLM_API CAniFile {
public:
    static constexpr DWORD AMF_MAGIC = 0x48464D41;  // "AMFH"
    static constexpr WORD AMF_VERSION = 1000;
    // Largest picture side accepted from a file; larger sizes are taken as damage.
    static constexpr LONG AMF_MAX_SIDE = 16384;

    CAniFile() : m_dwDelay(100) {}

    // Reads and checks the header. A file that is not AMF (wrong magic, cut short, sizes
    // no picture can have) shows "Invalid AMF File!" and fails. The open-file form always
    // reads from offset 0.
    bool ReadHeader(const char* file, AMFHeader* header) const;
    bool ReadHeader(FILE* fp, AMFHeader* header) const;
    // Reads the index entry of picture `index`. Fails for an index not below the count and
    // for an entry whose size or data lies outside what the file can hold.
    bool ReadIndex(const char* file, const DWORD& index, AMFIndex* entry) const;
    bool ReadIndex(FILE* fp, const DWORD& index, AMFIndex* entry) const;
    // Decodes picture `index` into `dest`, which must hold width x height x 4 bytes of its
    // index entry. Fails on truncated or malformed data; `dest` may then hold a part.
    bool ReadData(const char* file, const DWORD& index, void* dest) const;
    bool ReadData(FILE* fp, const DWORD& index, void* dest) const;

    // Writes every frame of `frames` as a whole file, replacing `file`: the set's size,
    // count and type, this object's delay (not the set's), and each frame's pixels from
    // level 0 of its texture. A released set is reloaded first. Fails without touching the
    // file when the count (at most 65535), the delay (at most 65535 ms) or the set's size
    // does not fit the header, and leaves no file when a frame has no 32-bit texture of a
    // size the readers accept, or the file cannot be written. Nothing is logged.
    bool SaveAMF(const char* file, CFrames* frames) const;

    DWORD GetDelay() const { return m_dwDelay; }
    void SetDelay(DWORD delay) { m_dwDelay = delay; }

private:
    // ReadData on an open file; `atStart` when it was just opened, so stands at offset 0.
    static bool ReadOpenData(FILE* fp, DWORD index, void* dest, bool atStart);

    // Compresses srcSize / 4 pixels into `dest`, which must hold 2 x srcSize bytes (the
    // worst case); destSize receives the bytes written. Does nothing for a null pointer or
    // srcSize 0.
    static void CompressData(const void* src, void* dest, const DWORD& srcSize, DWORD& destSize);
    // Decodes srcSize bytes of tokens into `dest`. destSize gives the capacity of `dest` in
    // bytes and receives the bytes written. Fails, without reading past the source or writing
    // past the capacity, when the tokens claim more pixels than fit or do not end exactly at
    // the end of the source.
    static bool DeCompressData(const void* src, void* dest, const DWORD& srcSize, DWORD& destSize);

    DWORD m_dwDelay;
};
