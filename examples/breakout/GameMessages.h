// The game's own message identifiers. They travel through the engine's main queue with the
// GUI's messages; any value but the engine's own (MSG_GUI_EVENT, MSG_DEVICE_READY) will do.
#pragma once

#include <velmora/Velmora.h>

constexpr DWORD MSG_SERVE = 0x100;       // the countdown is over: the ball leaves the paddle
constexpr DWORD MSG_POWER_END = 0x101;   // a power-up runs out: param1 its kind, param2 its serial number
constexpr DWORD MSG_NEXT_LEVEL = 0x102;  // the pause after a cleared level is over
constexpr DWORD MSG_MATCH_OVER = 0x103;  // the pause after the last ball was lost is over
