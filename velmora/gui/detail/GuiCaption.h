// Private to the GUI: the rule every SetCaption follows.
#pragma once

#include <cstddef>

namespace vlm_engine {

// Whether a caption fits a buffer of `size` bytes with its NUL. A text that does not is
// refused with a warning naming the control's ID, rather than cut, which could split a
// character.
bool CaptionFits(const char* text, size_t size, unsigned id);

}  // namespace vlm_engine
