// The system font. Constructed when the library is loaded, after the engine's input object.
#include <velmora/text/detail/SystemFont.h>

namespace {

GFont g_systemFont;

}  // namespace

namespace vlm_engine {

GFont& SystemFont() { return g_systemFont; }

}  // namespace vlm_engine
