// The engine-wide DirectInput object shared by the keyboard and the mouse.
#pragma once

#include <velmora/platform/dinput8/DInput8.h>

namespace vlm_engine {

// Created on first need and kept until the process ends; null (after logging
// "Create DirectInput8 Failed") when it cannot be created.
IDirectInput8* SharedDirectInput();

}  // namespace vlm_engine
