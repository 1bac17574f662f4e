// The heap setting that keeps Mesa's software rasteriser from paying for its frame memory
// again every frame.
#pragma once

namespace vlm_platform {

// On llvmpipe (`renderer` as GL_RENDERER names it), asks the C library, once per process,
// to keep freed memory rather than hand it back to the system at each free: the
// rasteriser frees and allocates megabytes of scene memory every frame, and returning them
// made every frame fault them in again, a sixth of a 10,000-sprite frame. The process then
// keeps up to 64 MiB of freed memory for reuse. Elsewhere it changes nothing.
void KeepRasteriserMemory(const char* renderer);

}  // namespace vlm_platform
