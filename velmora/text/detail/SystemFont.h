// The system font, with static storage: InitApplication creates its GDI face; its texture
// cache empties itself when the texture manager goes, so it outlives the engine safely.
#pragma once

#include <velmora/text/Font.h>

namespace vlm_engine {

GFont& SystemFont();

}  // namespace vlm_engine
