// AMF animation files: header and index checks, picture reads and the run-length codec.
#include <velmora/resource/AniFile.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include <velmora/platform/win32/Dialogs.h>
#include <velmora/platform/win32/FileSystem.h>

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "AMF records are read as they lie in the file");

namespace {

// Token words: the tag in the top byte, the pixel count in the low 24 bits.
constexpr DWORD kCountMask = 0x00FFFFFF;
constexpr DWORD kFillTag = 0x10000000;
constexpr DWORD kTransparentTag = 0x11000000;

struct FileCloser {
    void operator()(FILE* fp) const { std::fclose(fp); }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

FilePtr OpenForReading(const char* file) { return FilePtr(file ? OpenFileA(file, "rb") : nullptr); }

bool ReadExact(FILE* fp, void* dest, size_t size) { return std::fread(dest, 1, size, fp) == size; }

bool SeekTo(FILE* fp, uint64_t offset) { return std::fseek(fp, static_cast<long>(offset), SEEK_SET) == 0; }

uint64_t FileSize(FILE* fp) {
    if (std::fseek(fp, 0, SEEK_END) != 0) return 0;
    long size = std::ftell(fp);
    return size > 0 ? static_cast<uint64_t>(size) : 0;
}

bool SideOk(LONG side, bool allowZero) {
    return side <= CAniFile::AMF_MAX_SIDE && (side > 0 || (allowZero && side == 0));
}

// The header's size is the largest picture's; only a file without pictures may say 0.
bool HeaderSizesOk(const AMFHeader& h) {
    bool empty = h.wCount == 0;
    return SideOk(h.nWidth, empty) && SideOk(h.nHeight, empty);
}

// Reads and checks index entry `index` of a file whose header is `h`: the picture must have
// a real size and its data must lie inside the file.
bool ReadEntry(FILE* fp, const AMFHeader& h, DWORD index, AMFIndex* entry) {
    if (h.wCount == 0 || index >= h.wCount) return false;
    AMFIndex e;
    if (!SeekTo(fp, sizeof(AMFHeader) + uint64_t(sizeof(AMFIndex)) * index) || !ReadExact(fp, &e, sizeof e))
        return false;
    if (!SideOk(e.nWidth, false) || !SideOk(e.nHeight, false) || e.dwSize < 4) return false;
    if (uint64_t(e.dwOffset) + e.dwSize > FileSize(fp)) return false;
    *entry = e;
    return true;
}

DWORD LoadWord(const BYTE* words, size_t i) {
    DWORD w;
    std::memcpy(&w, words + i * 4, 4);
    return w;
}

void StoreWord(BYTE* words, size_t i, DWORD w) { std::memcpy(words + i * 4, &w, 4); }

bool Transparent(DWORD pixel) { return (pixel >> 24) == 0; }

}  // namespace

bool CAniFile::ReadHeader(const char* file, AMFHeader* header) const {
    if (!file || !header) return false;
    FilePtr fp = OpenForReading(file);
    return fp && ReadHeader(fp.get(), header);
}

bool CAniFile::ReadHeader(FILE* fp, AMFHeader* header) const {
    if (!fp || !header) return false;
    AMFHeader h;
    if (!SeekTo(fp, 0) || !ReadExact(fp, &h, sizeof h) || h.dwMagic != AMF_MAGIC || !HeaderSizesOk(h)) {
        MessageBoxA(nullptr, "Invalid AMF File!", nullptr, MB_OK);
        return false;
    }
    *header = h;
    return true;
}

bool CAniFile::ReadIndex(const char* file, const DWORD& index, AMFIndex* entry) const {
    if (!file || !entry) return false;
    FilePtr fp = OpenForReading(file);
    return fp && ReadIndex(fp.get(), index, entry);
}

bool CAniFile::ReadIndex(FILE* fp, const DWORD& index, AMFIndex* entry) const {
    if (!fp || !entry) return false;
    AMFHeader h;
    return ReadHeader(fp, &h) && ReadEntry(fp, h, index, entry);
}

bool CAniFile::ReadData(const char* file, const DWORD& index, void* dest) const {
    if (!file || !dest) return false;
    FilePtr fp = OpenForReading(file);
    return fp && ReadData(fp.get(), index, dest);
}

bool CAniFile::ReadData(FILE* fp, const DWORD& index, void* dest) const {
    if (!fp || !dest) return false;
    AMFHeader h;
    AMFIndex e;
    if (!ReadHeader(fp, &h) || !ReadEntry(fp, h, index, &e) || !SeekTo(fp, e.dwOffset)) return false;
    std::unique_ptr<BYTE[]> data(new (std::nothrow) BYTE[e.dwSize]);
    if (!data || !ReadExact(fp, data.get(), e.dwSize)) return false;
    // The entry's sides are at most AMF_MAX_SIDE, so the size fits in 32 bits.
    const DWORD pictureBytes = DWORD(e.nWidth) * DWORD(e.nHeight) * 4;
    DWORD written = pictureBytes;
    return DeCompressData(data.get(), dest, e.dwSize, written) && written == pictureBytes;
}

void CAniFile::CompressData(const void* src, void* dest, const DWORD& srcSize, DWORD& destSize) {
    if (!src || !dest || srcSize == 0) return;
    const BYTE* in = static_cast<const BYTE*>(src);
    BYTE* out = static_cast<BYTE*>(dest);
    const DWORD n = srcSize / 4;
    DWORD written = 0;
    auto pixel = [in](DWORD i) { return LoadWord(in, i); };
    auto emit = [out, &written](DWORD word) { StoreWord(out, written++, word); };
    // A run longer than one token can count becomes several tokens of the same kind.
    auto emitRuns = [&](DWORD from, DWORD to, auto emitToken) {
        while (from < to) {
            DWORD length = std::min(to - from, kCountMask);
            emitToken(from, length);
            from += length;
        }
    };

    DWORD i = 0;
    while (i < n) {
        const DWORD p = pixel(i);
        const bool hasNext = i + 1 < n;
        DWORD end;
        if (hasNext && Transparent(p) && Transparent(pixel(i + 1))) {
            // Colour bytes under alpha 0 are dropped: the run decodes as zero pixels.
            end = i + 2;
            while (end < n && Transparent(pixel(end))) ++end;
            emitRuns(i, end, [&](DWORD, DWORD length) { emit(kTransparentTag | length); });
        } else if (hasNext && p == pixel(i + 1)) {
            end = i + 2;
            while (end < n && pixel(end) == p) ++end;
            emitRuns(i, end, [&](DWORD, DWORD length) {
                emit(kFillTag | length);
                emit(p);
            });
        } else {
            // A literal runs until a transparent pair starts or, one pixel into, a pair of
            // equal pixels: that pixel stays in the literal, the next token takes the rest.
            DWORD last = i;
            while (last + 1 < n && !(Transparent(pixel(last)) && Transparent(pixel(last + 1)))) {
                ++last;
                if (last + 1 < n && pixel(last + 1) == pixel(last)) break;
            }
            end = last + 1;
            emitRuns(i, end, [&](DWORD from, DWORD length) {
                emit(length);
                std::memcpy(out + size_t(written) * 4, in + size_t(from) * 4, size_t(length) * 4);
                written += length;
            });
        }
        i = end;
    }
    destSize = written * 4;
}

bool CAniFile::DeCompressData(const void* src, void* dest, const DWORD& srcSize, DWORD& destSize) {
    if (!src || !dest || srcSize < 4) return false;
    const BYTE* in = static_cast<const BYTE*>(src);
    BYTE* out = static_cast<BYTE*>(dest);
    const DWORD words = srcSize / 4;
    const DWORD capacity = destSize / 4;
    DWORD consumed = 0;
    DWORD produced = 0;
    while (consumed < words) {
        const DWORD token = LoadWord(in, consumed);
        const DWORD count = token & kCountMask;
        // A tag of 0 is a literal; otherwise bits 24-27 tell a fill with 0 from a fill with
        // the following word, whatever the other tag bits say.
        const bool literal = (token >> 24) == 0;
        const bool zeroFill = !literal && (token & 0x0F000000) != 0;
        const DWORD need = literal ? 1 + count : zeroFill ? 1 : 2;
        if (need > words - consumed || count > capacity - produced) return false;
        if (literal) {
            std::memcpy(out + size_t(produced) * 4, in + (size_t(consumed) + 1) * 4, size_t(count) * 4);
        } else {
            const DWORD value = zeroFill ? 0 : LoadWord(in, consumed + 1);
            for (DWORD k = 0; k < count; ++k) StoreWord(out, size_t(produced) + k, value);
        }
        consumed += need;
        produced += count;
    }
    destSize = produced * 4;
    return true;
}
