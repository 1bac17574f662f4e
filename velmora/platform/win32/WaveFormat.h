// Win32 stand-in: the wave format structure of <mmreg.h>, which DirectSound buffers and the
// sound file reader describe their samples with. Byte-packed, 18 bytes, as on Windows.
#pragma once

#include <velmora/platform/win32/Types.h>

#define WAVE_FORMAT_PCM 0x0001
#define WAVE_FORMAT_IEEE_FLOAT 0x0003

#pragma pack(push, 1)
struct WAVEFORMATEX {
    WORD wFormatTag;       // WAVE_FORMAT_PCM (8-bit unsigned, 16-bit signed) or WAVE_FORMAT_IEEE_FLOAT (32-bit)
    WORD nChannels;        // 1 or 2
    DWORD nSamplesPerSec;  // frames a second
    DWORD nAvgBytesPerSec;
    WORD nBlockAlign;  // bytes a frame: nChannels * wBitsPerSample / 8
    WORD wBitsPerSample;
    WORD cbSize;  // bytes of extra format information after the structure; 0 here
};
#pragma pack(pop)
typedef WAVEFORMATEX* LPWAVEFORMATEX;
typedef const WAVEFORMATEX* LPCWAVEFORMATEX;
