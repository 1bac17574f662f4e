// Key code translation between SDL scancodes and Windows virtual-key codes.
#pragma once

namespace vlm_platform {

// 0 when the scancode has no virtual-key code.
int VirtualKeyFromScancode(int scancode);
// SDL_SCANCODE_UNKNOWN (0) when the virtual-key code has no scancode.
int ScancodeFromVirtualKey(int virtualKey);

}  // namespace vlm_platform
