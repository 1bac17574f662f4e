// Storage of the engine-wide objects' registry.
#include <velmora/core/detail/EngineObjects.h>

namespace vlm_engine {

EngineObjects& Engine() {
    static EngineObjects objects;
    return objects;
}

}  // namespace vlm_engine

void vlm_hooks::SetEngineLog(CLog* log) { vlm_engine::Engine().log = log; }
