// D3DX 9 stand-in: image files and textures.
#include <velmora/platform/d3dx9/D3DXTexture.h>

#include <algorithm>
#include <string>
#include <vector>

#include <velmora/platform/d3d9/detail/PixelFormats.h>
#include <velmora/platform/d3dx9/ImageCodec.h>
#include <velmora/platform/win32/FileSystem.h>

namespace {

using velmora::DecodedImage;
using velmora::ImageFileFormat;

D3DXIMAGE_FILEFORMAT FileFormatOf(ImageFileFormat f) {
    switch (f) {
        case ImageFileFormat::Jpeg: return D3DXIFF_JPG;
        case ImageFileFormat::Tga: return D3DXIFF_TGA;
        case ImageFileFormat::Png: return D3DXIFF_PNG;
        case ImageFileFormat::Dds: return D3DXIFF_DDS;
        default: return D3DXIFF_BMP;
    }
}

// Writes ARGB pixels into level `level` of the texture, converting to its format.
HRESULT FillLevel(IDirect3DTexture9* texture, UINT level, const uint32_t* pixels, UINT width, UINT height) {
    D3DSURFACE_DESC desc{};
    if (FAILED(texture->GetLevelDesc(level, &desc))) return D3DERR_INVALIDCALL;
    D3DLOCKED_RECT lr{};
    if (FAILED(texture->LockRect(level, &lr, nullptr, 0))) return D3DERR_INVALIDCALL;
    for (UINT y = 0; y < desc.Height; ++y) {
        void* row = static_cast<char*>(lr.pBits) + static_cast<size_t>(y) * lr.Pitch;
        for (UINT x = 0; x < desc.Width; ++x)
            vlm_platform::WriteTexel(desc.Format, row, x,
                                     x < width && y < height ? pixels[static_cast<size_t>(y) * width + x] : 0);
    }
    texture->UnlockRect(level);
    return D3D_OK;
}

// Point-samples `image` to width x height.
std::vector<uint32_t> Scale(const DecodedImage& image, UINT width, UINT height) {
    std::vector<uint32_t> out(static_cast<size_t>(width) * height);
    for (UINT y = 0; y < height; ++y) {
        UINT sy = static_cast<UINT>((static_cast<uint64_t>(y) * 2 + 1) * image.height / (2ull * height));
        for (UINT x = 0; x < width; ++x) {
            UINT sx = static_cast<UINT>((static_cast<uint64_t>(x) * 2 + 1) * image.width / (2ull * width));
            out[static_cast<size_t>(y) * width + x] = image.pixels[static_cast<size_t>(sy) * image.width + sx];
        }
    }
    return out;
}

}  // namespace

HRESULT D3DXGetImageInfoFromFileA(const char* file, D3DXIMAGE_INFO* info) {
    if (!file || !info) return D3DERR_INVALIDCALL;
    velmora::ImageFileInfo header;
    if (!velmora::ReadImageFileInfo(ResolveFilePath(file), &header)) return D3DXERR_INVALIDDATA;
    // What the file stores: a DDS file names its format; JPEG has no alpha (a CMYK one has four
    // components all the same); PNG, 32-bit BMP and TGA may have it.
    D3DFORMAT format = D3DFMT_X8R8G8B8;
    if (header.format == ImageFileFormat::Dds)
        format = static_cast<D3DFORMAT>(header.storedFormat);
    else if (header.format == ImageFileFormat::Png || (header.depth == 32 && header.format != ImageFileFormat::Jpeg))
        format = D3DFMT_A8R8G8B8;
    *info = D3DXIMAGE_INFO{
        header.width, header.height, 1, header.mipLevels, format, D3DRTYPE_TEXTURE, FileFormatOf(header.format)};
    return D3D_OK;
}

HRESULT D3DXCreateTextureFromFileExA(IDirect3DDevice9* device, const char* file, UINT width, UINT height,
                                     UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter,
                                     DWORD mipFilter, D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo, PALETTEENTRY*,
                                     IDirect3DTexture9** texture) {
    if (!texture) return D3DERR_INVALIDCALL;
    *texture = nullptr;
    if (!device || !file) return D3DERR_INVALIDCALL;
    // The header first: a picture the device cannot hold is refused before it is decoded.
    D3DXIMAGE_INFO header{};
    if (FAILED(D3DXGetImageInfoFromFileA(file, &header))) return D3DXERR_INVALIDDATA;
    auto own = [](UINT requested, UINT imageSize) {
        return requested == 0 || requested == D3DX_DEFAULT || requested == D3DX_DEFAULT_NONPOW2 ||
                       requested == D3DX_FROM_FILE
                   ? imageSize
                   : requested;
    };
    width = own(width, header.Width);
    height = own(height, header.Height);
    D3DCAPS9 caps{};
    if (FAILED(device->GetDeviceCaps(&caps)) || width > caps.MaxTextureWidth || height > caps.MaxTextureHeight)
        return D3DERR_INVALIDCALL;
    // A texture of one level needs the file's first; a chain may take the file's own levels.
    const bool oneLevel = mipLevels == 1 || (mipLevels == D3DX_FROM_FILE && header.MipLevels == 1);
    std::vector<DecodedImage> levels;
    std::string error;
    const std::string path = ResolveFilePath(file);
    if (oneLevel) {
        levels.resize(1);
        if (!velmora::DecodeImageFile(path, &levels[0], &error)) return D3DXERR_INVALIDDATA;
    } else if (!velmora::DecodeImageFileLevels(path, &levels, &error)) {
        return D3DXERR_INVALIDDATA;
    }
    const DecodedImage& image = levels[0];
    if (srcInfo) *srcInfo = header;
    if (format == D3DFMT_UNKNOWN || static_cast<UINT>(format) == D3DX_DEFAULT ||
        static_cast<UINT>(format) == D3DX_FROM_FILE)
        format = D3DFMT_A8R8G8B8;
    if (mipLevels == D3DX_FROM_FILE) mipLevels = header.MipLevels;
    if (mipLevels == D3DX_DEFAULT) mipLevels = 0;

    if (colorKey != 0)
        for (DecodedImage& level : levels)
            for (uint32_t& p : level.pixels)
                if (p == colorKey) p = 0;

    IDirect3DTexture9* created = nullptr;
    HRESULT hr = device->CreateTexture(width, height, mipLevels, usage, format, pool, &created, nullptr);
    if (FAILED(hr)) return hr;
    if (width == image.width && height == image.height) {
        hr = FillLevel(created, 0, image.pixels.data(), width, height);
    } else if ((filter & 0xFF) == D3DX_FILTER_NONE) {
        hr = FillLevel(created, 0, image.pixels.data(), image.width, image.height);
    } else {
        std::vector<uint32_t> scaled = Scale(image, width, height);
        hr = FillLevel(created, 0, scaled.data(), width, height);
    }
    // Levels the file holds at the texture's sizes are taken as they are; the rest are filtered
    // from the last one taken.
    UINT taken = 1;
    const bool unscaled = width == image.width && height == image.height;
    for (; SUCCEEDED(hr) && unscaled && taken < created->GetLevelCount() && taken < levels.size(); ++taken) {
        D3DSURFACE_DESC desc{};
        created->GetLevelDesc(taken, &desc);
        if (desc.Width != levels[taken].width || desc.Height != levels[taken].height) break;
        hr = FillLevel(created, taken, levels[taken].pixels.data(), desc.Width, desc.Height);
    }
    if (SUCCEEDED(hr) && created->GetLevelCount() > taken)
        hr = D3DXFilterTexture(created, nullptr, taken - 1, mipFilter);
    if (FAILED(hr)) {
        created->Release();
        return hr;
    }
    *texture = created;
    return D3D_OK;
}

HRESULT D3DXCreateTextureFromFileA(IDirect3DDevice9* device, const char* file, IDirect3DTexture9** texture) {
    return D3DXCreateTextureFromFileExA(device, file, D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, 0, D3DFMT_UNKNOWN,
                                        D3DPOOL_MANAGED, D3DX_FILTER_NONE, D3DX_FILTER_BOX, 0, nullptr, nullptr,
                                        texture);
}

HRESULT D3DXCreateTexture(IDirect3DDevice9* device, UINT width, UINT height, UINT mipLevels, DWORD usage,
                          D3DFORMAT format, D3DPOOL pool, IDirect3DTexture9** texture) {
    if (!texture) return D3DERR_INVALIDCALL;
    *texture = nullptr;
    if (!device) return D3DERR_INVALIDCALL;
    if (width == 0 || width == D3DX_DEFAULT) width = 256;
    if (height == 0 || height == D3DX_DEFAULT) height = 256;
    if (mipLevels == D3DX_DEFAULT) mipLevels = 0;
    if (format == D3DFMT_UNKNOWN) format = D3DFMT_A8R8G8B8;
    return device->CreateTexture(width, height, mipLevels, usage, format, pool, texture, nullptr);
}

HRESULT D3DXFilterTexture(IDirect3DBaseTexture9* base, const PALETTEENTRY*, UINT srcLevel, DWORD) {
    if (!base || base->GetType() != D3DRTYPE_TEXTURE) return D3DERR_INVALIDCALL;
    IDirect3DTexture9* texture = static_cast<IDirect3DTexture9*>(base);
    if (srcLevel == D3DX_DEFAULT) srcLevel = 0;
    UINT levels = texture->GetLevelCount();
    if (srcLevel >= levels) return D3DERR_INVALIDCALL;
    for (UINT level = srcLevel + 1; level < levels; ++level) {
        D3DSURFACE_DESC src{}, dst{};
        texture->GetLevelDesc(level - 1, &src);
        texture->GetLevelDesc(level, &dst);
        D3DLOCKED_RECT from{};
        if (FAILED(texture->LockRect(level - 1, &from, nullptr, D3DLOCK_READONLY))) return D3DERR_INVALIDCALL;
        std::vector<uint32_t> box(static_cast<size_t>(dst.Width) * dst.Height);
        for (UINT y = 0; y < dst.Height; ++y) {
            for (UINT x = 0; x < dst.Width; ++x) {
                // Average the (up to) 2 x 2 texels above this one, channel by channel.
                uint32_t sum[4] = {0, 0, 0, 0}, count = 0;
                for (UINT dy = 0; dy < 2; ++dy) {
                    UINT sy = std::min(y * 2 + dy, src.Height - 1);
                    const void* row = static_cast<const char*>(from.pBits) + static_cast<size_t>(sy) * from.Pitch;
                    for (UINT dx = 0; dx < 2; ++dx) {
                        uint32_t t = vlm_platform::ReadTexel(src.Format, row, std::min(x * 2 + dx, src.Width - 1));
                        for (int c = 0; c < 4; ++c) sum[c] += (t >> (8 * c)) & 0xFF;
                        ++count;
                    }
                }
                uint32_t out = 0;
                for (int c = 0; c < 4; ++c) out |= ((sum[c] + count / 2) / count) << (8 * c);
                box[static_cast<size_t>(y) * dst.Width + x] = out;
            }
        }
        texture->UnlockRect(level - 1);
        if (FAILED(FillLevel(texture, level, box.data(), dst.Width, dst.Height))) return D3DERR_INVALIDCALL;
    }
    return D3D_OK;
}

HRESULT D3DXSaveSurfaceToFileA(const char* file, D3DXIMAGE_FILEFORMAT format, IDirect3DSurface9* surface,
                               const PALETTEENTRY*, const RECT* srcRect) {
    if (!file || !surface || (format != D3DXIFF_BMP && format != D3DXIFF_DIB && format != D3DXIFF_PNG))
        return D3DERR_INVALIDCALL;
    D3DSURFACE_DESC desc{};
    if (FAILED(surface->GetDesc(&desc)) || vlm_platform::TexelBytes(desc.Format) == 0) return D3DERR_INVALIDCALL;
    RECT r = srcRect ? *srcRect : RECT{0, 0, static_cast<LONG>(desc.Width), static_cast<LONG>(desc.Height)};
    if (r.left < 0 || r.top < 0 || r.right > static_cast<LONG>(desc.Width) ||
        r.bottom > static_cast<LONG>(desc.Height) || r.left >= r.right || r.top >= r.bottom)
        return D3DERR_INVALIDCALL;
    D3DLOCKED_RECT lr{};
    if (FAILED(surface->LockRect(&lr, nullptr, D3DLOCK_READONLY))) return D3DERR_INVALIDCALL;
    DecodedImage image;
    image.width = static_cast<uint32_t>(r.right - r.left);
    image.height = static_cast<uint32_t>(r.bottom - r.top);
    image.pixels.reserve(static_cast<size_t>(image.width) * image.height);
    for (LONG y = r.top; y < r.bottom; ++y) {
        const void* row = static_cast<const char*>(lr.pBits) + static_cast<size_t>(y) * lr.Pitch;
        for (LONG x = r.left; x < r.right; ++x) image.pixels.push_back(vlm_platform::ReadTexel(desc.Format, row, x));
    }
    surface->UnlockRect();
    std::string path = ResolveFilePath(file);
    bool ok = format == D3DXIFF_PNG
                  ? velmora::WritePngFile(path, image)
                  : velmora::WriteBmpFile(path, image.width, image.height, image.pixels.data(), image.width);
    return ok ? D3D_OK : D3DERR_INVALIDCALL;
}
