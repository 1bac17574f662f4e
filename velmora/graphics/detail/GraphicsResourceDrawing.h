// The graphics subsystem's side of the resources' drawing interface: it draws through the
// engine graphics object, and nothing when there is none.
#pragma once

#include <velmora/resource/detail/ResourceDrawing.h>

namespace vlm_engine {

ResourceDrawing& GraphicsResourceDrawing();

}  // namespace vlm_engine
