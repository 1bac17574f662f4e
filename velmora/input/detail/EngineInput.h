// The engine's input object and the frame's input snapshot, both with static storage.
#pragma once

#include <velmora/input/Input.h>

namespace vlm_engine {

// InitApplication creates its devices, Destroy releases them.
CInput& EngineInput();
// Refreshed by Run every frame; GetInputInfo copies it out.
stInputInfo& InputSnapshot();

}  // namespace vlm_engine
