// What tells the keyboard and the mouse apart when they are created and read: the
// DirectInput device and data format, and the log line of each failure.
#pragma once

#include <velmora/platform/dinput8/DInput8.h>

namespace vlm_engine {

struct DeviceTraits {
    const GUID& guid;
    const DIDATAFORMAT& format;
    const char* createFailed;
    const char* formatFailed;
    const char* levelFailed;
    const char* bufferFailed;
    const char* noDevice;
    const char* stateFailed;
    const char* dataFailed;
};

}  // namespace vlm_engine
