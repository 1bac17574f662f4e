// DirectSound 8 stand-in: the interfaces of <dsound.h> that games use for sound, carried by
// one mixer on one SDL audio device (48,000 Hz stereo unless the device asks otherwise,
// 512 frames a callback). Every secondary buffer is resampled from its own frequency with
// linear interpolation and mixed in floating point; the sum saturates at full scale.
//
// DirectSound's laws hold: volume is an attenuation in hundredths of a decibel
// (DSBVOLUME_MIN -10000 is silence, DSBVOLUME_MAX 0 the samples as they are); pan
// attenuates the other channel by as much (DSBPAN_RIGHT 10000 silences the left one); a
// mono buffer plays at full level on both channels; 8-bit samples are unsigned (128 is
// silence), 16-bit signed, IEEE float from -1 to 1. A non-looping buffer stops at its end
// and its play cursor returns to 0, so Play starts it again. The play cursor is the next
// byte the mixer reads; the write cursor leads it by what the mixer may read in its next
// pass, and the game writes only outside that stretch. Buffers without
// DSBCAPS_GLOBALFOCUS (or DSBCAPS_STICKYFOCUS) fall silent while the window given to
// SetCooperativeLevel is inactive, and play on when it is active again.
//
// All objects may be used from any thread. Lock hands out the buffer's own memory: write
// what you locked, then Unlock, which publishes it to the mixer.
//
// With no audio device (no sound server, or SDL_AUDIODRIVER naming a driver that cannot
// start) DirectSoundCreate8 returns DSERR_NODRIVER at once. The testing component's manual
// audio mode (VelmoraTest::UseManualAudio) opens no device and mixes only when asked. While
// a recorded session is replayed, the game's thread gets a device when the recording's game had
// one and none when it had none, whatever this machine has: one that cannot be opened is a
// device never heard.
#pragma once

#include <velmora/platform/dsound/DSoundTypes.h>

class IDirectSound;
class IDirectSoundBuffer;

typedef IDirectSound* LPDIRECTSOUND;
typedef IDirectSoundBuffer* LPDIRECTSOUNDBUFFER;

class IDirectSound : public IUnknown {
public:
    // Creates a secondary buffer (a format in lpwfxFormat, dwBufferBytes from DSBSIZE_MIN to
    // DSBSIZE_MAX) or the primary buffer (DSBCAPS_PRIMARYBUFFER, no format, no size). A new
    // buffer holds silence, stands at position 0 and plays at its format's rate.
    // DSERR_BADFORMAT for formats other than 8/16-bit PCM and 32-bit float, mono or stereo,
    // DSBFREQUENCY_MIN to DSBFREQUENCY_MAX frames a second; DSERR_CONTROLUNAVAIL for 3D,
    // effects and hardware buffers.
    virtual HRESULT CreateSoundBuffer(LPCDSBUFFERDESC desc, LPDIRECTSOUNDBUFFER* buffer, LPUNKNOWN outer) = 0;
    // DSCAPS_SECONDARY*/PRIMARY* mono, stereo, 8 and 16-bit, continuous rates from
    // DSBFREQUENCY_MIN to DSBFREQUENCY_MAX, no hardware buffers.
    virtual HRESULT GetCaps(LPDSCAPS caps) = 0;
    // A buffer sharing the original's memory, with its own position (0), status (stopped),
    // volume, pan and frequency (copied from the original).
    virtual HRESULT DuplicateSoundBuffer(LPDIRECTSOUNDBUFFER original, LPDIRECTSOUNDBUFFER* duplicate) = 0;
    // DSSCL_PRIORITY or above lets the primary buffer's format be set. `window` is the one
    // whose focus decides whether buffers without DSBCAPS_GLOBALFOCUS are heard.
    virtual HRESULT SetCooperativeLevel(HWND window, DWORD level) = 0;
    virtual HRESULT Compact() = 0;
    virtual HRESULT GetSpeakerConfig(LPDWORD config) = 0;
    virtual HRESULT SetSpeakerConfig(DWORD config) = 0;
    // Objects from DirectSoundCreate8 are initialised already: DSERR_ALREADYINITIALIZED.
    virtual HRESULT Initialize(LPCGUID device) = 0;
};

class IDirectSound8 : public IDirectSound {
public:
    virtual HRESULT VerifyCertification(LPDWORD certified) = 0;
};

class IDirectSoundBuffer : public IUnknown {
public:
    virtual HRESULT GetCaps(LPDSBCAPS caps) = 0;
    // The play cursor (the next byte the mixer reads) and the write cursor (where writing is
    // safe from, at least one frame ahead while playing; equal to the play cursor while
    // stopped). Either may be null.
    virtual HRESULT GetCurrentPosition(LPDWORD playCursor, LPDWORD writeCursor) = 0;
    // With a null `format`, the size needed in *sizeWritten.
    virtual HRESULT GetFormat(LPWAVEFORMATEX format, DWORD sizeAllocated, LPDWORD sizeWritten) = 0;
    virtual HRESULT GetVolume(LPLONG volume) = 0;
    virtual HRESULT GetPan(LPLONG pan) = 0;
    virtual HRESULT GetFrequency(LPDWORD frequency) = 0;
    virtual HRESULT GetStatus(LPDWORD status) = 0;
    virtual HRESULT Initialize(LPDIRECTSOUND directSound, LPCDSBUFFERDESC desc) = 0;
    // Locks `bytes` from `offset` (DSBLOCK_FROMWRITECURSOR: from the write cursor;
    // DSBLOCK_ENTIREBUFFER: everything). A stretch that runs past the end continues at the
    // start in the second region; with a null audioPtr2 it stops at the end.
    virtual HRESULT Lock(DWORD offset, DWORD bytes, LPVOID* audioPtr1, LPDWORD audioBytes1, LPVOID* audioPtr2,
                         LPDWORD audioBytes2, DWORD flags) = 0;
    // From the play cursor; DSBPLAY_LOOPING plays on past the end from the start. Playing a
    // playing buffer only changes whether it loops.
    virtual HRESULT Play(DWORD reserved1, DWORD priority, DWORD flags) = 0;
    virtual HRESULT SetCurrentPosition(DWORD newPosition) = 0;
    // The primary buffer's format (DSSCL_PRIORITY needed); the mixer's output rate stays
    // the device's.
    virtual HRESULT SetFormat(LPCWAVEFORMATEX format) = 0;
    // DSBVOLUME_MIN to DSBVOLUME_MAX; needs DSBCAPS_CTRLVOLUME. On the primary buffer: the
    // whole mix.
    virtual HRESULT SetVolume(LONG volume) = 0;
    // DSBPAN_LEFT to DSBPAN_RIGHT; needs DSBCAPS_CTRLPAN.
    virtual HRESULT SetPan(LONG pan) = 0;
    // DSBFREQUENCY_MIN to DSBFREQUENCY_MAX frames a second, or DSBFREQUENCY_ORIGINAL for the
    // format's own; needs DSBCAPS_CTRLFREQUENCY.
    virtual HRESULT SetFrequency(DWORD frequency) = 0;
    // Keeps the play cursor where it is, so that Play goes on from there.
    virtual HRESULT Stop() = 0;
    virtual HRESULT Unlock(LPVOID audioPtr1, DWORD audioBytes1, LPVOID audioPtr2, DWORD audioBytes2) = 0;
    // After the audio device went away (DSERR_BUFFERLOST), opens the device again; the
    // buffer's memory is kept.
    virtual HRESULT Restore() = 0;
};

class IDirectSoundBuffer8 : public IDirectSoundBuffer {
public:
    virtual HRESULT SetFX(DWORD effectsCount, LPDSEFFECTDESC effects, LPDWORD resultCodes) = 0;
    virtual HRESULT AcquireResources(DWORD flags, DWORD effectsCount, LPDWORD resultCodes) = 0;
    virtual HRESULT GetObjectInPath(REFGUID object, DWORD index, REFGUID iid, LPVOID* result) = 0;
};

// Reached from a secondary buffer made with DSBCAPS_CTRLPOSITIONNOTIFY through
// QueryInterface(IID_IDirectSoundNotify8).
class IDirectSoundNotify : public IUnknown {
public:
    // Replaces the buffer's notifications (a count of 0 removes them); only while it is
    // stopped (else DSERR_INVALIDCALL). Offsets lie inside the buffer or are DSBPN_OFFSETSTOP.
    // An event is set when the play cursor moves onto or past its offset, and for
    // DSBPN_OFFSETSTOP when the buffer stops (by Stop or at its end).
    virtual HRESULT SetNotificationPositions(DWORD count, LPCDSBPOSITIONNOTIFY positions) = 0;
};
typedef IDirectSoundNotify IDirectSoundNotify8;

typedef IDirectSound8* LPDIRECTSOUND8;
typedef IDirectSoundBuffer8* LPDIRECTSOUNDBUFFER8;
typedef IDirectSoundNotify* LPDIRECTSOUNDNOTIFY;
typedef IDirectSoundNotify8* LPDIRECTSOUNDNOTIFY8;

// The default playback device (null, DSDEVID_DefaultPlayback or
// DSDEVID_DefaultVoicePlayback). DSERR_NODRIVER when no audio device can be opened,
// DSERR_NOAGGREGATION with an outer object.
VLM_API HRESULT DirectSoundCreate8(LPCGUID device, LPDIRECTSOUND8* directSound, LPUNKNOWN outer);
VLM_API HRESULT DirectSoundCreate(LPCGUID device, LPDIRECTSOUND* directSound, LPUNKNOWN outer);

// Not of DirectSound: why the audio device last failed to open (SDL's words), for the line
// a game logs when it goes on without sound. Empty if it never failed.
VLM_API const char* vlm_AudioDeviceError();

// Not of DirectSound: mixing offline, for tools that write what the mixer makes instead of
// playing it (sndview --wav). While on, no audio device is opened (DirectSoundCreate8
// succeeds without one) and the mix advances only through vlm_RenderAudio, at 48,000 frames
// a second. Switching closes or opens the device under the DirectSound objects that exist.
VLM_API void vlm_UseOfflineAudio(BOOL on);
// The next `frames` frames of the offline mix into `stereoOut` (interleaved left, right:
// 2 * frames floats, -1..1). Silence when not offline.
VLM_API void vlm_RenderAudio(float* stereoOut, DWORD frames);
