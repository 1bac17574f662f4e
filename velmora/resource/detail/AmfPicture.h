// Private to the resource classes: one AMF picture decoded into a texture, and the budget
// the pictures of one load are held to.
#pragma once

#include <cstdint>
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

// The bytes of pixels one load may decode from the open file (velmora::DecodeBudget of its
// size). A run-length token of 4 bytes may cover 16 million pixels, and index entries may
// share their data, so a few bytes could otherwise claim gigabytes: every picture of a load
// counts, before its texture is made.
uint64_t AmfLoadBudget(FILE* fp);

inline uint64_t PictureBytes(const AMFIndex& entry) { return uint64_t(entry.nWidth) * uint64_t(entry.nHeight) * 4; }

// Decodes picture `index` of the open AMF file, whose index entry is `entry`, into level 0
// of `texture`, row after row. False when the level is smaller than the picture, cannot be
// locked, or the picture's data is damaged.
bool ReadAmfPicture(FILE* fp, DWORD index, const AMFIndex& entry, IDirect3DTexture9* texture);

}  // namespace vlm_engine
