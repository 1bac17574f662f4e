// The engine objects with static storage (defined in StaticObjects.cpp).
#pragma once

#include <velmora/input/Input.h>
#include <velmora/text/Font.h>

namespace vlm_engine {

// The engine's input object: InitApplication creates its devices, Destroy releases them.
CInput& EngineInput();
// The system font: InitApplication creates its GDI face; its texture cache empties itself
// when the texture manager goes, so it outlives the engine safely.
GFont& SystemFont();
// The input snapshot that Run refreshes every frame and GetInputInfo copies out.
stInputInfo& InputSnapshot();

}  // namespace vlm_engine
