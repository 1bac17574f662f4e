// Allocations made inside system libraries (SDL's video back-ends, the GL driver) may live until
// the process ends and are built without frame pointers, so leak checkers cannot attribute
// them. This marks them as intended for the duration of a scope; outside sanitizer builds
// it does nothing.
#pragma once

// gcc says so with a macro, clang through __has_feature.
#if defined(__SANITIZE_ADDRESS__)
#define VLM_LEAK_CHECKER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VLM_LEAK_CHECKER 1
#endif
#endif

#if defined(VLM_LEAK_CHECKER)
#include <sanitizer/lsan_interface.h>
#endif

namespace vlm_platform {

class ForeignAllocations {
public:
#if defined(VLM_LEAK_CHECKER)
    ForeignAllocations() { __lsan_disable(); }
    ~ForeignAllocations() { __lsan_enable(); }
#else
    ForeignAllocations() {}  // user-provided, so a scoped instance is not an unused variable
#endif
    ForeignAllocations(const ForeignAllocations&) = delete;
    ForeignAllocations& operator=(const ForeignAllocations&) = delete;
};

}  // namespace vlm_platform
