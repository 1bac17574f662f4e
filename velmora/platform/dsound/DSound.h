// The sound stand-ins: DirectSound 8 (<dsound.h>), winmm's PlaySoundA and the sound file
// reader.
#pragma once

#include <velmora/platform/dsound/DSoundTypes.h>
#include <velmora/platform/dsound/DirectSound8.h>
#include <velmora/platform/dsound/PlaySound.h>
#include <velmora/platform/dsound/SoundFile.h>
