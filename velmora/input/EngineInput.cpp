// The engine's input object and snapshot. Constructed when the library is loaded, before the
// system font (the build lists the input folder's objects first).
#include <velmora/input/detail/EngineInput.h>

namespace {

CInput g_input;
stInputInfo g_inputInfo{};

}  // namespace

namespace vlm_engine {

CInput& EngineInput() { return g_input; }
stInputInfo& InputSnapshot() { return g_inputInfo; }

}  // namespace vlm_engine
