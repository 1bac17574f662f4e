// One AMF picture decoded into level 0 of a texture, and the budget of a load.
#include <velmora/resource/detail/AmfPicture.h>

#include <cstring>
#include <memory>
#include <new>

#include <velmora/platform/d3dx9/ImageCodec.h>
#include <velmora/platform/win32/CRuntime.h>
#include <velmora/platform/win32/FileSystem.h>

namespace vlm_engine {

FilePtr OpenBinary(const char* file) { return FilePtr(file ? OpenFileA(file, "rb") : nullptr); }

uint64_t AmfLoadBudget(FILE* fp) {
    const int64_t size = fp ? _filelengthi64(_fileno(fp)) : 0;
    return velmora::DecodeBudget(size > 0 ? uint64_t(size) : 0);
}

bool ReadAmfPicture(FILE* fp, DWORD index, const AMFIndex& entry, IDirect3DTexture9* texture) {
    D3DSURFACE_DESC desc{};
    if (!texture || FAILED(texture->GetLevelDesc(0, &desc)) || desc.Width < UINT(entry.nWidth) ||
        desc.Height < UINT(entry.nHeight))
        return false;
    D3DLOCKED_RECT locked{};
    if (FAILED(texture->LockRect(0, &locked, nullptr, 0))) return false;
    CAniFile reader;
    const size_t rowBytes = size_t(entry.nWidth) * 4;
    bool ok;
    if (size_t(locked.Pitch) == rowBytes) {
        // Rows lie back to back, as the decoder writes them.
        ok = reader.ReadData(fp, index, locked.pBits);
    } else {
        std::unique_ptr<BYTE[]> pixels(new (std::nothrow) BYTE[rowBytes * size_t(entry.nHeight)]);
        ok = pixels && reader.ReadData(fp, index, pixels.get());
        for (LONG y = 0; ok && y < entry.nHeight; ++y)
            std::memcpy(static_cast<BYTE*>(locked.pBits) + size_t(y) * size_t(locked.Pitch),
                        pixels.get() + size_t(y) * rowBytes, rowBytes);
    }
    texture->UnlockRect(0);
    return ok;
}

}  // namespace vlm_engine
