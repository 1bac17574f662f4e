// Private to the engine: why a picture would not load, for the log lines that name the cause
// of a failed load (GUI descriptions, particle effects, list files).
#pragma once

#include <string>

#include <velmora/platform/win32/Types.h>

namespace vlm_engine {

// What stands in the way of loading picture `index` of an AMF file (`amf`) or an image file:
// "the name resolves to [/abs/path]: No such file or directory", "...: not an AMF file", "...:
// it holds 3 pictures (0 to 2), not picture 5", and so on. Meant for after a failed load.
std::string WhyPictureFails(const char* file, DWORD index, bool amf);

}  // namespace vlm_engine
