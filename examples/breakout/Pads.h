// Pads: the game's questions to the engine's game pads, whichever pad the player picked up.
#pragma once

#include <velmora/Velmora.h>

namespace Pads {

// Some pad's button went down this frame.
inline bool Pressed(int button) {
    for (int pad = 0; pad < MAX_PADS; ++pad)
        if (const stPadInfo* info = GetPadInfo(pad))
            if (info->bConnected && (info->dwPressed >> button) & 1) return true;
    return false;
}

// Some pad holds the button down.
inline bool Held(int button) {
    for (int pad = 0; pad < MAX_PADS; ++pad)
        if (IsPadButtonDown(pad, button)) return true;
    return false;
}

// The first pad's left stick that is pushed sideways: -1 (left) to 1 (right), or 0.
inline float StickX() {
    for (int pad = 0; pad < MAX_PADS; ++pad)
        if (const stPadInfo* info = GetPadInfo(pad))
            if (info->bConnected && info->fAxis[PAD_AXIS_LEFT_X] != 0) return info->fAxis[PAD_AXIS_LEFT_X];
    return 0;
}

// Every pad plugged in rumbles.
inline void Rumble(float low, float high, DWORD ms) {
    for (int pad = 0; pad < MAX_PADS; ++pad) SetPadRumble(pad, low, high, ms);
}

}  // namespace Pads
