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
// Where a row of `width` texels holds any alpha: the first such texel and one past the last
// (both 0 when none does). Formats without alpha hold it everywhere.
void RowInk(D3DFORMAT format, const void* row, UINT width, UINT* begin, UINT* end);
// True when every texel of the row has full alpha (always for formats without alpha).
bool RowOpaque(D3DFORMAT format, const void* row, UINT width);
// Writes texel `x` of a row from 0xAARRGGBB, keeping the high bits of each channel.
void WriteTexel(D3DFORMAT format, void* row, UINT x, uint32_t argb);
// The same, each channel rounded to the nearest level of the format: what a 16-bit render
// target keeps of a colour drawn into it.
void WriteRoundedTexel(D3DFORMAT format, void* row, UINT x, uint32_t argb);

}  // namespace vlm_platform
