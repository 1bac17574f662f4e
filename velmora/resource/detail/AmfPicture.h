// Private to the resource classes: one AMF picture decoded into a texture.
#pragma once

#include <cstdio>
#include <memory>

#include <velmora/platform/d3d9/Direct3D9.h>
#include <velmora/resource/AniFile.h>

namespace vlm_engine {

struct FileCloser {
    void operator()(FILE* fp) const { std::fclose(fp); }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

// Opens a file for binary reading (null on failure or a null name).
FilePtr OpenBinary(const char* file);

// Decodes picture `index` of the open AMF file, whose index entry is `entry`, into level 0
// of `texture`, row after row. False when the level is smaller than the picture, cannot be
// locked, or the picture's data is damaged.
bool ReadAmfPicture(FILE* fp, DWORD index, const AMFIndex& entry, IDirect3DTexture9* texture);

}  // namespace vlm_engine
