// The engine objects with static storage. They are defined in this one file so that their
// order is fixed: constructed in the order below when the library is loaded (the input
// object first, then the system font), destroyed in reverse when it is unloaded.
#include <velmora/core/detail/StaticObjects.h>

namespace {

CInput g_input;
GFont g_systemFont;
stInputInfo g_inputInfo{};

}  // namespace

namespace vlm_engine {

CInput& EngineInput() { return g_input; }
GFont& SystemFont() { return g_systemFont; }
stInputInfo& InputSnapshot() { return g_inputInfo; }

}  // namespace vlm_engine
