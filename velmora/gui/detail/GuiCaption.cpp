// The length rule of captions.
#include <velmora/gui/detail/GuiCaption.h>

#include <cstring>

#include <velmora/core/Log.h>

namespace vlm_engine {

bool CaptionFits(const char* text, size_t size, unsigned id) {
    if (!text) return false;
    const size_t length = std::strlen(text);
    if (length < size) return true;
    WriteLog(INFO_WARNING, "Caption of %zu bytes for control %u is longer than %zu bytes and was not set", length, id,
             size - 1);
    return false;
}

}  // namespace vlm_engine
