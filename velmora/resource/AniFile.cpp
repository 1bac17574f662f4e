// AMF animation files: header and index checks, picture reads and the writer of whole files
// from frame sets. The run-length codec is in detail/AmfCodec.
#include <velmora/resource/AniFile.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include <velmora/platform/win32/CRuntime.h>
#include <velmora/platform/win32/Dialogs.h>
#include <velmora/platform/win32/FileSystem.h>
#include <velmora/resource/Frames.h>
#include <velmora/resource/detail/AmfCodec.h>

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "AMF records are read as they lie in the file");

namespace {

struct FileCloser {
    void operator()(FILE* fp) const { std::fclose(fp); }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

// Unbuffered: every read asks for just the bytes wanted, straight into the caller's memory,
// where a buffer would be filled anew after each seek.
FilePtr OpenForReading(const char* file) {
    FilePtr fp(file ? OpenFileA(file, "rb") : nullptr);
    if (fp) std::setvbuf(fp.get(), nullptr, _IONBF, 0);
    return fp;
}

bool ReadExact(FILE* fp, void* dest, size_t size) { return std::fread(dest, 1, size, fp) == size; }

bool SeekTo(FILE* fp, uint64_t offset) { return std::fseek(fp, static_cast<long>(offset), SEEK_SET) == 0; }

// Asked of the descriptor: seeking to the end would cost the stream its buffer.
uint64_t FileSize(FILE* fp) {
    const int64_t size = _filelengthi64(_fileno(fp));
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

bool HeaderOk(const AMFHeader& h) { return h.dwMagic == CAniFile::AMF_MAGIC && HeaderSizesOk(h); }

bool RefuseHeader() {
    MessageBoxA(nullptr, "Invalid AMF File!", nullptr, MB_OK);
    return false;
}

// The index entries that share the first 4 KiB with the header, read in one go with it:
// every seek costs a system call, even one that lands inside the stream's buffer.
constexpr DWORD kNearEntries = (4096 - sizeof(AMFHeader)) / sizeof(AMFIndex);

// Reads and checks the header and index entry `index`: the picture must have a real size
// and its data at least one token. A stream just opened already stands at offset 0.
bool ReadHeaderAndEntry(FILE* fp, DWORD index, bool atStart, AMFIndex* entry) {
    BYTE head[sizeof(AMFHeader) + sizeof(AMFIndex) * kNearEntries];
    const bool near = index < kNearEntries;
    const size_t want = sizeof(AMFHeader) + (near ? sizeof(AMFIndex) * (index + 1) : 0);
    if (!atStart && !SeekTo(fp, 0)) return RefuseHeader();
    const size_t got = std::fread(head, 1, want, fp);
    AMFHeader h{};
    if (got >= sizeof h) std::memcpy(&h, head, sizeof h);
    if (!HeaderOk(h)) return RefuseHeader();
    if (index >= h.wCount) return false;
    AMFIndex e;
    if (near) {
        if (got < want) return false;
        std::memcpy(&e, head + sizeof(AMFHeader) + sizeof(AMFIndex) * index, sizeof e);
    } else if (!SeekTo(fp, sizeof(AMFHeader) + uint64_t(sizeof(AMFIndex)) * index) || !ReadExact(fp, &e, sizeof e)) {
        return false;
    }
    if (!SideOk(e.nWidth, false) || !SideOk(e.nHeight, false) || e.dwSize < 4) return false;
    *entry = e;
    return true;
}

bool InsideFile(FILE* fp, const AMFIndex& e) { return uint64_t(e.dwOffset) + e.dwSize <= FileSize(fp); }

// As ReadHeaderAndEntry, and the entry's data must lie inside the file.
bool ReadEntry(FILE* fp, DWORD index, bool atStart, AMFIndex* entry) {
    AMFIndex e;
    if (!ReadHeaderAndEntry(fp, index, atStart, &e) || !InsideFile(fp, e)) return false;
    *entry = e;
    return true;
}

// Blocks up to this size are read without asking the file's length, which costs a system
// call: one past the end just reads short. A larger one is checked first, so that a damaged
// entry cannot make us take memory the file could never fill.
constexpr DWORD kUncheckedBlock = 256 * 1024;
// Blocks up to this size (a sprite's) are read into a buffer on the stack.
constexpr DWORD kStackBlock = 16 * 1024;

DWORD LoadWord(const BYTE* words, size_t i) {
    DWORD w;
    std::memcpy(&w, words + i * 4, 4);
    return w;
}

bool WriteAt(FILE* fp, uint64_t offset, const void* data, size_t size) {
    return SeekTo(fp, offset) && std::fwrite(data, 1, size, fp) == size;
}

// Level 0 of a frame texture in the picture layout: width x height pixels, rows back to
// back. Only 32-bit levels hold pictures; the unused byte of X8R8G8B8 reads as opaque.
std::unique_ptr<DWORD[]> ReadPicture(const CTexture& texture) {
    IDirect3DTexture9* d3d = texture.GetTexture();
    const LONG width = texture.GetWidth();
    const LONG height = texture.GetHeight();
    D3DSURFACE_DESC desc{};
    if (!d3d || !SideOk(width, false) || !SideOk(height, false) || FAILED(d3d->GetLevelDesc(0, &desc)) ||
        (desc.Format != D3DFMT_A8R8G8B8 && desc.Format != D3DFMT_X8R8G8B8) || desc.Width < UINT(width) ||
        desc.Height < UINT(height))
        return nullptr;
    std::unique_ptr<DWORD[]> pixels(new (std::nothrow) DWORD[size_t(width) * size_t(height)]);
    D3DLOCKED_RECT locked{};
    if (!pixels || FAILED(d3d->LockRect(0, &locked, nullptr, 0))) return nullptr;
    const DWORD opaque = desc.Format == D3DFMT_X8R8G8B8 ? 0xFF000000 : 0;
    for (LONG y = 0; y < height; ++y) {
        const BYTE* row = static_cast<const BYTE*>(locked.pBits) + size_t(y) * size_t(locked.Pitch);
        for (LONG x = 0; x < width; ++x)
            pixels[size_t(y) * size_t(width) + size_t(x)] = LoadWord(row, size_t(x)) | opaque;
    }
    d3d->UnlockRect(0);
    return pixels;
}

}  // namespace

bool CAniFile::ReadHeader(const char* file, AMFHeader* header) const {
    if (!file || !header) return false;
    FilePtr fp = OpenForReading(file);
    return fp && ReadHeader(fp.get(), header);
}

bool CAniFile::ReadHeader(FILE* fp, AMFHeader* header) const {
    if (!fp || !header) return false;
    AMFHeader h;
    if (!SeekTo(fp, 0) || !ReadExact(fp, &h, sizeof h) || !HeaderOk(h)) return RefuseHeader();
    *header = h;
    return true;
}

bool CAniFile::ReadIndex(const char* file, const DWORD& index, AMFIndex* entry) const {
    if (!file || !entry) return false;
    FilePtr fp = OpenForReading(file);
    return fp && ReadEntry(fp.get(), index, true, entry);
}

bool CAniFile::ReadIndex(FILE* fp, const DWORD& index, AMFIndex* entry) const {
    return fp && entry && ReadEntry(fp, index, false, entry);
}

bool CAniFile::ReadData(const char* file, const DWORD& index, void* dest) const {
    if (!file || !dest) return false;
    FilePtr fp = OpenForReading(file);
    return fp && ReadOpenData(fp.get(), index, dest, true);
}

bool CAniFile::ReadData(FILE* fp, const DWORD& index, void* dest) const {
    return fp && dest && ReadOpenData(fp, index, dest, false);
}

bool CAniFile::ReadOpenData(FILE* fp, DWORD index, void* dest, bool atStart) {
    AMFIndex e;
    if (!ReadHeaderAndEntry(fp, index, atStart, &e) || (e.dwSize > kUncheckedBlock && !InsideFile(fp, e)) ||
        !SeekTo(fp, e.dwOffset))
        return false;
    BYTE onStack[kStackBlock];
    std::unique_ptr<BYTE[]> own;
    BYTE* data = onStack;
    if (e.dwSize > kStackBlock) {
        own.reset(new (std::nothrow) BYTE[e.dwSize]);
        data = own.get();
    }
    if (!data || !ReadExact(fp, data, e.dwSize)) return false;
    // The entry's sides are at most AMF_MAX_SIDE, so the size fits in 32 bits.
    const DWORD pictureBytes = DWORD(e.nWidth) * DWORD(e.nHeight) * 4;
    DWORD written = pictureBytes;
    return DeCompressData(data, dest, e.dwSize, written) && written == pictureBytes;
}

bool CAniFile::SaveAMF(const char* file, CFrames* frames) const {
    if (!file || !frames) return false;
    // A released set comes in first, so that the header describes what is written.
    if (frames->GetFrameCount() > 0 && !frames->GetTexture(0)) return false;
    const int count = frames->GetFrameCount();
    AMFHeader header{};
    header.dwMagic = AMF_MAGIC;
    header.nWidth = frames->GetWidth();
    header.nHeight = frames->GetHeight();
    header.wCount = WORD(count);
    header.wDelay = WORD(m_dwDelay);
    header.wType = WORD(frames->GetType());
    header.wVersion = AMF_VERSION;
    // A count or delay cut to 16 bits would describe another animation.
    if (count < 0 || count > 0xFFFF || m_dwDelay > 0xFFFF || !HeaderSizesOk(header)) return false;

    const std::string path = ResolveFilePath(file);
    FILE* fp = std::fopen(path.c_str(), "wb");
    if (!fp) return false;
    bool written = WriteAt(fp, 0, &header, sizeof header);
    uint64_t offset = sizeof(AMFHeader) + uint64_t(sizeof(AMFIndex)) * DWORD(count);
    for (DWORD i = 0; written && i < DWORD(count); ++i) {
        // Frame numbers wrap around the textures held: a set holding fewer than it counts
        // would write another frame in place of a missing one.
        CTexture* texture = frames->GetTexture(i);
        std::unique_ptr<DWORD[]> pixels;
        if (!texture || i >= DWORD(frames->GetSize()) || !(pixels = ReadPicture(*texture))) {
            written = false;
            break;
        }
        // Sides are at most AMF_MAX_SIDE, so the sizes fit in 32 bits.
        const DWORD pixelBytes = DWORD(texture->GetWidth()) * DWORD(texture->GetHeight()) * 4;
        std::unique_ptr<BYTE[]> packed(new (std::nothrow) BYTE[size_t(pixelBytes) * 2]);
        DWORD packedSize = 0;
        if (packed) CompressData(pixels.get(), packed.get(), pixelBytes, packedSize);
        // Offsets in the index are 32 bits.
        const AMFIndex entry{DWORD(offset), packedSize, texture->GetWidth(), texture->GetHeight()};
        written = packed && offset + packedSize <= 0xFFFFFFFF &&
                  WriteAt(fp, sizeof(AMFHeader) + uint64_t(sizeof(AMFIndex)) * i, &entry, sizeof entry) &&
                  WriteAt(fp, offset, packed.get(), packedSize);
        offset += packedSize;
    }
    // Closing flushes: a full disk may only show here.
    written = std::fclose(fp) == 0 && written;
    // A cut-short file would look like an AMF file to its readers.
    if (!written) std::remove(path.c_str());
    return written;
}

void CAniFile::CompressData(const void* src, void* dest, const DWORD& srcSize, DWORD& destSize) {
    vlm_engine::AmfCompress(src, dest, srcSize, destSize);
}

bool CAniFile::DeCompressData(const void* src, void* dest, const DWORD& srcSize, DWORD& destSize) {
    return vlm_engine::AmfDecompress(src, dest, srcSize, destSize);
}
