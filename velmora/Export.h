// Export macro of libvelmora.so. The library is built with hidden visibility; only
// declarations marked VLM_API are part of its binary interface.
#pragma once

#if defined(VELMORA_BUILDING_LIBRARY)
#define VLM_API __attribute__((visibility("default")))
#else
#define VLM_API
#endif

// Hooks that the opt-in testing component (libvelmora-testing) drives. Exported under their
// own namespace (vlm_hooks) and declared only in headers that are not installed.
#define VLM_HOOK_API __attribute__((visibility("default")))
