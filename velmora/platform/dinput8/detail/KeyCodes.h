// DirectInput key codes of SDL scancodes.
#pragma once

#include <velmora/platform/win32/Types.h>

namespace vlm_platform {

// The DIK_* code of an SDL scancode; 0 when DirectInput has no code for that key.
BYTE DikFromScancode(int scancode);

}  // namespace vlm_platform
