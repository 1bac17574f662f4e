// The engine objects with static storage (defined in StaticObjects.cpp).
#pragma once

#include <velmora/input/Input.h>

namespace vlm_engine {

// The engine's input object: InitApplication creates its devices, Destroy releases them.
CInput& EngineInput();
// The input snapshot that Run refreshes every frame and GetInputInfo copies out.
stInputInfo& InputSnapshot();

}  // namespace vlm_engine
