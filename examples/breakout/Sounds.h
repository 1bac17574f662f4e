// Sounds: the game's sound effects and its music, synthesised by assets/make_sounds.py.
// sounds.lst loads the effects under handles of the game's choosing; each effect is played
// panned towards where it happens on the court. The music loops from the title on. The
// settings screen sets both volumes.
#pragma once

#include "Court.h"

class Sounds {
public:
    // The handles of sounds.lst.
    enum Effect { PADDLE = 1, WALL, BRICK, STEEL, CAPSULE, LOST, CLICK };

    // Loads the effects and starts the music; false, with a warning in the log, when a file
    // is missing (the game runs on without it).
    bool Load();
    void Play(Effect effect, float x = Court::kCenterX);
    // 0 to 100 each.
    void SetVolumes(int effects, int music);
};
