// Fuzz target: AMF files. The header, every index entry and picture through CAniFile, by name and
// on an open file (both must agree), then the engine's loads of frame sets and AMF textures; a
// set that loads is saved again and must read back with the same pixels.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "support/FuzzEngine.h"

using namespace VelmoraFuzz;

namespace {

// Pictures this target decodes itself; larger ones are left to the engine's own loads.
constexpr DWORD kMaxPictures = 16;
constexpr LONG kMaxPixels = 1 << 16;

// Level 0 of a texture, its picture's width x height pixels.
std::vector<DWORD> Pixels(CTexture* texture) {
    std::vector<DWORD> pixels;
    if (!texture || !texture->GetTexture()) return pixels;
    D3DLOCKED_RECT locked{};
    if (FAILED(texture->GetTexture()->LockRect(0, &locked, nullptr, D3DLOCK_READONLY))) return pixels;
    for (int y = 0; y < texture->GetHeight(); ++y) {
        const DWORD* row = reinterpret_cast<const DWORD*>(static_cast<const char*>(locked.pBits) + y * locked.Pitch);
        pixels.insert(pixels.end(), row, row + texture->GetWidth());
    }
    texture->GetTexture()->UnlockRect(0);
    return pixels;
}

// The writer drops the colour under runs of transparent pixels: they read back as 0.
bool SamePicture(const std::vector<DWORD>& written, const std::vector<DWORD>& read) {
    if (written.size() != read.size()) return false;
    for (size_t i = 0; i < written.size(); ++i)
        if (written[i] != read[i] && !((written[i] >> 24) == 0 && read[i] == 0)) return false;
    return true;
}

void ReadPictures(const std::string& path, const AMFHeader& header) {
    CAniFile amf;
    FILE* fp = std::fopen(path.c_str(), "rb");
    FUZZ_CHECK(fp);
    AMFHeader again{};
    FUZZ_CHECK(amf.ReadHeader(fp, &again) && std::memcmp(&again, &header, sizeof header) == 0);
    // One past the count too: it must fail.
    const DWORD count = std::min<DWORD>(header.wCount + 1u, kMaxPictures);
    for (DWORD i = 0; i < count; ++i) {
        AMFIndex byName{}, open{};
        const bool named = amf.ReadIndex(path.c_str(), i, &byName);
        FUZZ_CHECK(named == amf.ReadIndex(fp, i, &open));
        if (!named) continue;
        FUZZ_CHECK(i < header.wCount && std::memcmp(&byName, &open, sizeof open) == 0);
        FUZZ_CHECK(byName.nWidth > 0 && byName.nHeight > 0);
        if (byName.nWidth > kMaxPixels / byName.nHeight) continue;
        const size_t pixels = size_t(byName.nWidth) * size_t(byName.nHeight);
        std::vector<DWORD> a(pixels), b(pixels);
        const bool decoded = amf.ReadData(path.c_str(), i, a.data());
        FUZZ_CHECK(decoded == amf.ReadData(fp, i, b.data()));
        FUZZ_CHECK(!decoded || a == b);
    }
    std::fclose(fp);
}

void SaveAndReread(CFrames& frames) {
    CAniFile writer;
    writer.SetDelay(frames.GetDelay());
    if (!writer.SaveAMF("again.amf", &frames)) return;
    CFrames again;
    FUZZ_CHECK(again.LoadFrame("again.amf"));
    FUZZ_CHECK(again.GetFrameCount() == frames.GetFrameCount() && again.GetWidth() == frames.GetWidth() &&
               again.GetHeight() == frames.GetHeight() && again.GetType() == frames.GetType() &&
               again.GetDelay() == frames.GetDelay());
    for (int i = 0; i < frames.GetFrameCount(); ++i)
        FUZZ_CHECK(SamePicture(Pixels(frames.GetTexture(DWORD(i))), Pixels(again.GetTexture(DWORD(i)))));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    Prepare(argc, argv);
    Engine();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    BeginInput();
    const std::string path = WriteScratch("input.amf", data, size);
    const char* file = path.c_str();

    CAniFile amf;
    AMFHeader header{};
    if (amf.ReadHeader(file, &header)) ReadPictures(path, header);

    CFrames frames;
    if (frames.LoadFrame(file)) {
        FUZZ_CHECK(frames.GetFrameCount() == header.wCount && frames.GetSize() == header.wCount);
        SaveAndReread(frames);
        // Released and brought back from the file.
        frames.AutoRemove();
        FUZZ_CHECK(frames.AutoLoad() && frames.GetSize() == header.wCount);
    }
    CFrames described;
    if (described.LoadFrameDesc(file)) {
        described.GetTexture(0);
        FrameDesc desc{};
        described.GetFrameDesc(&desc);
    }

    CTexture texture;
    texture.LoadAMFTexture(file, 0, 1);
    if (header.wCount > 0 && texture.LoadAMFTextureDesc(file, header.wCount - 1u, 0)) texture.AutoLoad();
    EndInput();
    return 0;
}
