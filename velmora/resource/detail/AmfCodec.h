// The AMF run-length codec behind CAniFile's private CompressData and DeCompressData.
#pragma once

#include <velmora/platform/win32/Types.h>

namespace vlm_engine {

// Compresses srcSize / 4 pixels into `dest`, which must hold 2 x srcSize bytes (the worst
// case); destSize receives the bytes written. Does nothing for a null pointer or srcSize 0.
void AmfCompress(const void* src, void* dest, const DWORD& srcSize, DWORD& destSize);
// Decodes srcSize bytes of tokens into `dest`. destSize gives the capacity of `dest` in bytes
// and receives the bytes written. Fails, without reading past the source or writing past the
// capacity, when the tokens claim more pixels than fit or do not end exactly at the end of
// the source, which must be whole words.
bool AmfDecompress(const void* src, void* dest, const DWORD& srcSize, DWORD& destSize);

}  // namespace vlm_engine
