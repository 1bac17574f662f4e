// The C library's heap tuned for llvmpipe's per-frame scene memory.
#include <velmora/platform/d3d9/detail/RasteriserHeap.h>

#include <malloc.h>

#include <cstring>

namespace vlm_platform {

void KeepRasteriserMemory(const char* renderer) {
    static bool kept = false;
    if (kept || !renderer || !std::strstr(renderer, "llvmpipe")) return;
    kept = true;
    // Both together: setting either stops glibc from raising them as large blocks come and
    // go, so the mapping threshold is set to its largest, where that rise would end anyway.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
}

}  // namespace vlm_platform
