// Texel sizes of the texture formats, and conversion of texels to and from 32-bit ARGB.
#pragma once

#include <cstdint>

#include <velmora/platform/d3d9/D3D9Types.h>

namespace vlm_platform {

// 4 or 2 for the formats textures may have, 0 for others.
UINT TexelBytes(D3DFORMAT format);
// Reads texel `x` of a row as 0xAARRGGBB (formats without alpha read as opaque).
uint32_t ReadTexel(D3DFORMAT format, const void* row, UINT x);
// ReadTexel over a whole A4R4G4B4 row at once, for uploads: `width` texels into `out`.
void ReadA4R4G4B4Row(const void* row, UINT width, uint32_t* out);
// Writes texel `x` of a row from 0xAARRGGBB, keeping the high bits of each channel.
void WriteTexel(D3DFORMAT format, void* row, UINT x, uint32_t argb);
// The same, each channel rounded to the nearest level of the format: what a 16-bit render
// target keeps of a colour drawn into it.
void WriteRoundedTexel(D3DFORMAT format, void* row, UINT x, uint32_t argb);

}  // namespace vlm_platform
