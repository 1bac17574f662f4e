// SDL start-up shared by the platform layer: the video subsystem, headless by default.
#pragma once

namespace vlm_platform {

// Initialises SDL's video and events once. With no display (neither DISPLAY nor
// WAYLAND_DISPLAY) and no SDL_VIDEODRIVER chosen, SDL's "offscreen" driver is used.
bool EnsureVideo();
// A real display is in use (not the offscreen or dummy driver).
bool HasRealDisplay();

}  // namespace vlm_platform
