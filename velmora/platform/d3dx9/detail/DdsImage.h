// DDS files (DirectDraw surfaces), as games of the Direct3D 9 era ship their textures:
// uncompressed colour, luminance and alpha layouts and the DXT1, DXT3 and DXT5 block
// compressions, with their mip levels. Decoded here to 32-bit ARGB.
#pragma once

#include <string>
#include <vector>

#include <velmora/platform/d3dx9/ImageCodec.h>
#include <velmora/platform/d3dx9/detail/ImageBytes.h>

namespace vlm_platform {

bool IsDds(const Bytes& b);
// From the header alone (the first 128 bytes): size, levels, the stored D3DFORMAT. False for a
// damaged header and for layouts that are not read.
bool ParseDdsHeader(const Bytes& b, velmora::ImageFileInfo* info, std::string* error);
// Level 0, or with `allLevels` every level the file holds, largest first. Every level must be
// in the file, and all of them together within the load's budget.
bool DecodeDds(const Bytes& b, bool allLevels, std::vector<velmora::DecodedImage>* levels, std::string* error);

}  // namespace vlm_platform
