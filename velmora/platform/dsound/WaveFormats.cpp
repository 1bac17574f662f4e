// Which wave formats a DirectSound buffer can hold.
#include <velmora/platform/dsound/detail/WaveFormats.h>

namespace vlm_platform {

HRESULT CheckWaveFormat(const WAVEFORMATEX* format, SampleLayout* layout) {
    if (!format) return DSERR_INVALIDPARAM;
    const WAVEFORMATEX& f = *format;
    if (f.nChannels != 1 && f.nChannels != 2) return DSERR_BADFORMAT;
    SampleLayout kind;
    if (f.wFormatTag == WAVE_FORMAT_PCM && f.wBitsPerSample == 8)
        kind = SampleLayout::U8Mono;
    else if (f.wFormatTag == WAVE_FORMAT_PCM && f.wBitsPerSample == 16)
        kind = SampleLayout::S16Mono;
    else if (f.wFormatTag == WAVE_FORMAT_IEEE_FLOAT && f.wBitsPerSample == 32)
        kind = SampleLayout::F32Mono;
    else
        return DSERR_BADFORMAT;
    if (f.nBlockAlign != f.nChannels * f.wBitsPerSample / 8) return DSERR_INVALIDPARAM;
    if (f.nSamplesPerSec < DSBFREQUENCY_MIN || f.nSamplesPerSec > DSBFREQUENCY_MAX) return DSERR_INVALIDPARAM;
    if (layout) *layout = static_cast<SampleLayout>(int(kind) + (f.nChannels == 2 ? 1 : 0));
    return DS_OK;
}

}  // namespace vlm_platform
