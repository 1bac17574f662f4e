// Export macro of libvelmora.so. The library is built with hidden visibility; only
// declarations marked VLM_API are part of its binary interface.
#pragma once

#if defined(VELMORA_BUILDING_LIBRARY)
#define VLM_API __attribute__((visibility("default")))
#else
#define VLM_API
#endif
