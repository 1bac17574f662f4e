// Sounds: the list of effects, the music and the volumes, on the engine's sound manager.
#include "Sounds.h"

#include <velmora/Velmora.h>

#include "Assets.h"

namespace {

const char kList[] = "sounds.lst";
const char kMusic[] = "sounds/music.ogg";
constexpr DWORD kMusicFadeInMs = 1500;

}  // namespace

bool Sounds::Load() {
    CSoundManager* sound = GetSoundManager();
    bool ok = true;
    if (!Assets::Exists(kList) || !sound->BatchLoad(kList)) {
        WriteLog(INFO_WARNING, "Breakout sounds did not load: %s", kList);
        ok = false;
    }
    if (!Assets::Exists(kMusic) || !sound->PlayMusic(kMusic, true, kMusicFadeInMs)) {
        WriteLog(INFO_WARNING, "Breakout music did not load: %s", kMusic);
        ok = false;
    }
    return ok;
}

void Sounds::Play(Effect effect, float x) {
    // From the court's left edge (-60) to its right edge (60): heard from where it happens,
    // never from one side only.
    const float half = (Court::kRight - Court::kLeft) / 2.0f;
    GetSoundManager()->Play(effect, 100, int(60 * (x - Court::kCenterX) / half));
}

void Sounds::SetVolumes(int effects, int music) {
    GetSoundManager()->SetVolume(SOUND_EFFECTS, effects);
    GetSoundManager()->SetVolume(SOUND_MUSIC, music);
}
