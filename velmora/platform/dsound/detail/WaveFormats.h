// Which wave formats a DirectSound buffer can hold.
#pragma once

#include <velmora/platform/dsound/DSoundTypes.h>
#include <velmora/platform/dsound/detail/MixKernels.h>

namespace vlm_platform {

// DS_OK for 8-bit (unsigned) or 16-bit PCM or 32-bit IEEE float, mono or stereo, at
// DSBFREQUENCY_MIN to DSBFREQUENCY_MAX frames a second, with the layout it mixes as;
// DSERR_BADFORMAT for other kinds, DSERR_INVALIDPARAM for a null format, a block
// alignment that does not match or a rate out of range.
HRESULT CheckWaveFormat(const WAVEFORMATEX* format, SampleLayout* layout);

}  // namespace vlm_platform
