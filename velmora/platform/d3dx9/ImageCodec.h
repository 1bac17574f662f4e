// Image files in and out as plain 32-bit ARGB pixels, without a device: the codecs behind
// the D3DX image routines (PNG through libpng, JPEG through libjpeg, BMP, TGA, DDS), for tools
// that convert art (amftool) and for games that read or write pictures themselves.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <velmora/Export.h>

namespace velmora {

// Larger sides are taken as damage rather than attempted.
constexpr uint32_t kMaxImageSide = 16384;

// The budget of one load: the most bytes of 32-bit pixels that a file of `fileBytes` bytes
// may decode to. Up to 16 MiB (a 2048 x 2048 picture) whatever the file; beyond that the
// file must be at least 1/128 of the pixels. Art is never compressed that far, but a few
// bytes claiming a huge picture are, and are refused before anything is allocated. The
// decoders here and the engine's AMF loads (all pictures of one load together) keep it.
constexpr uint64_t kDecodeAllowance = uint64_t(16) << 20;
constexpr uint64_t kDecodeRatio = 128;
constexpr uint64_t DecodeBudget(uint64_t fileBytes) {
    return kDecodeAllowance + kDecodeRatio * (fileBytes < (uint64_t(1) << 48) ? fileBytes : uint64_t(1) << 48);
}

enum class ImageFileFormat { Unknown, Bmp, Jpeg, Tga, Png, Dds };

struct ImageFileInfo {
    uint32_t width = 0, height = 0;
    uint32_t depth = 0;  // bits per stored pixel: palette index bits for paletted images
    ImageFileFormat format = ImageFileFormat::Unknown;
    uint32_t mipLevels = 1;     // the picture levels the file holds (DDS), else 1
    uint32_t storedFormat = 0;  // a DDS file's Direct3D format (D3DFORMAT; DXTn as FourCC), else 0
};

// From the file's header alone, without decoding pixels. False for unknown or damaged
// headers and for sizes the decoder refuses.
VLM_API bool ReadImageFileInfo(const std::string& path, ImageFileInfo* info);

// Pixels are A8R8G8B8 (0xAARRGGBB), rows top-down, no padding.
struct DecodedImage {
    uint32_t width = 0, height = 0;
    std::vector<uint32_t> pixels;
};

// Formats are told apart by content: PNG, JPEG, BMP and DDS by their magic bytes, TGA, which
// has none, by a sane header (or by a .tga file name, so that its damage is named). A
// damaged or truncated image fails with a message in `error` and leaves `out` as it was.
VLM_API bool DecodeImageFile(const std::string& path, DecodedImage* out, std::string* error);
VLM_API bool DecodeImageMemory(const void* data, size_t size, DecodedImage* out, std::string* error);
// Every picture level the file holds, largest first: a DDS file's mip levels (all of them
// within the load's budget), the one picture of any other format.
VLM_API bool DecodeImageFileLevels(const std::string& path, std::vector<DecodedImage>* levels, std::string* error);

// A 32-bit RGBA PNG. False, leaving no file, when the image is empty or cannot be written.
VLM_API bool WritePngFile(const std::string& path, const DecodedImage& image);
// A 32-bit BI_RGB bottom-up BMP of `width` x `height` pixels taken top-down from `pixels`,
// rows `pitchPixels` apart. BI_RGB has no alpha: the fourth byte is written as 0xFF.
VLM_API bool WriteBmpFile(const std::string& path, uint32_t width, uint32_t height, const uint32_t* pixels,
                          size_t pitchPixels);

}  // namespace velmora
