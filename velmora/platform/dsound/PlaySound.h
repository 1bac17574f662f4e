// winmm stand-in: PlaySoundA and sndPlaySoundA, playing a sound file (any the sound reader
// takes) or a WAV image in memory through the DirectSound mixer. One sound plays at a time:
// a new one replaces it. Names are files (SND_FILENAME, or no kind flag); aliases and
// resources do not exist here, and there is no default sound, so a sound that cannot be
// found or read makes the call return FALSE whatever SND_NODEFAULT says.
// In the testing component's manual audio mode, SND_SYNC mixes the sound through to its
// end at once (its output is dropped), as Sleep advances the manual clock.
// PlaySoundA(NULL, NULL, 0) stops the sound and lets the audio device close.
#pragma once

#include <velmora/platform/win32/Types.h>

#define SND_SYNC 0x0000       // returns when the sound has played
#define SND_ASYNC 0x0001      // returns at once
#define SND_NODEFAULT 0x0002  // accepted: there is no default sound
#define SND_MEMORY 0x0004     // the name points to a WAV file's image in memory
#define SND_LOOP 0x0008       // plays until stopped; needs SND_ASYNC
#define SND_NOSTOP 0x0010     // FALSE, changing nothing, while a sound plays
#define SND_PURGE 0x0040      // stops the sound
#define SND_APPLICATION 0x0080
#define SND_NOWAIT 0x00002000L
#define SND_ALIAS 0x00010000L
#define SND_ALIAS_ID 0x00110000L
#define SND_FILENAME 0x00020000L
#define SND_RESOURCE 0x00040004L

VLM_API BOOL PlaySoundA(LPCSTR sound, HMODULE module, DWORD flags);
VLM_API BOOL sndPlaySoundA(LPCSTR sound, UINT flags);
