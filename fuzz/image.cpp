// Fuzz target: image files (PNG, JPEG, BMP, TGA, DDS). The codecs from memory and from files
// under a plain name and a ".tga" name, the D3DX routines (information, textures at the image's
// size and scaled with a mip chain and a colour key) and the engine's texture loads. What the
// header says must match what decodes, a file must decode as the same bytes in memory do, and
// its levels must start with that picture.
#include <cstring>
#include <vector>

#include "support/FuzzEngine.h"

using namespace VelmoraFuzz;

namespace {

void Textures(const std::string& path) {
    const char* file = path.c_str();
    IDirect3DDevice9* device = GetD3DDevice();
    D3DXIMAGE_INFO info{};
    const bool described = SUCCEEDED(D3DXGetImageInfoFromFileA(file, &info));

    IDirect3DTexture9* texture = nullptr;
    D3DXIMAGE_INFO source{};
    if (SUCCEEDED(D3DXCreateTextureFromFileExA(device, file, D3DX_DEFAULT, D3DX_DEFAULT, 1, 0, D3DFMT_A8R8G8B8,
                                               D3DPOOL_MANAGED, D3DX_FILTER_NONE, D3DX_FILTER_NONE, 0, &source, nullptr,
                                               &texture))) {
        FUZZ_CHECK(described && source.Width == info.Width && source.Height == info.Height);
        D3DSURFACE_DESC desc{};
        FUZZ_CHECK(SUCCEEDED(texture->GetLevelDesc(0, &desc)) && desc.Width == info.Width &&
                   desc.Height == info.Height);
        texture->Release();
    }
    texture = nullptr;
    if (SUCCEEDED(D3DXCreateTextureFromFileExA(device, file, 13, 7, D3DX_DEFAULT, 0, D3DFMT_A4R4G4B4, D3DPOOL_MANAGED,
                                               D3DX_FILTER_LINEAR, D3DX_FILTER_BOX, 0xFF000000, nullptr, nullptr,
                                               &texture)))
        texture->Release();

    CTexture engine;
    if (engine.LoadTexture(file, 0)) FUZZ_CHECK(engine.GetWidth() == int(info.Width));
    if (engine.LoadTextureDesc(file, 1)) engine.AutoLoad();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    Prepare(argc, argv);
    Engine();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    BeginInput();
    velmora::DecodedImage memory;
    std::string error;
    const bool decoded = velmora::DecodeImageMemory(data, size, &memory, &error);
    if (decoded)
        FUZZ_CHECK(memory.width > 0 && memory.height > 0 &&
                   memory.pixels.size() == size_t(memory.width) * size_t(memory.height));

    for (const char* name : {"input.img", "input.tga"}) {
        const std::string path = WriteScratch(name, data, size);
        velmora::DecodedImage image;
        const bool fromFile = velmora::DecodeImageFile(path, &image, &error);
        velmora::ImageFileInfo info;
        const bool known = velmora::ReadImageFileInfo(path, &info);
        if (fromFile) FUZZ_CHECK(known && info.width == image.width && info.height == image.height);
        std::vector<velmora::DecodedImage> levels;
        if (velmora::DecodeImageFileLevels(path, &levels, &error))
            FUZZ_CHECK(fromFile && !levels.empty() && levels.size() == info.mipLevels &&
                       levels[0].pixels == image.pixels);
        // Without the name's hint a file reads as its bytes do in memory.
        if (std::strcmp(name, "input.img") == 0)
            FUZZ_CHECK(fromFile == decoded &&
                       (!decoded || (image.width == memory.width && image.height == memory.height &&
                                     image.pixels == memory.pixels)));
        Textures(path);
    }
    EndInput();
    return 0;
}
