// Our own, beside the Win32 stand-ins: a game's session recorded into a file, and replayed from
// one. A recording keeps, in order, what entered the engine from outside: every value the
// clocks gave, every window-system event and controller change each look at the events found,
// the random numbers' seeds, and every so many frames a checksum of the picture. A replay runs
// the game on those instead of the live ones, and compares the checksums. The application
// starts and ends the session (CGameApp::InitApplication and Destroy); the environment or the
// calls below say which:
//   VELMORA_RECORD=FILE       records the session into FILE;
//   VELMORA_REPLAY=FILE       replays FILE, at the pace it was recorded at;
//   VELMORA_REPLAY_FAST=1     ... as fast as it goes;
//   VELMORA_RECORD_CHECKPOINTS=N   a checksum every N frames (60 when not given; 0: none).
#pragma once

#include <cstddef>

#include <velmora/platform/win32/Types.h>

// Asks for the next session (the next vlm_BeginSession) to be recorded into `file`, or to
// replay `file` (`fast`: as fast as it goes), whatever the environment says. FALSE for a null
// or empty name.
VLM_API BOOL vlm_RecordNextSession(const char* file);
VLM_API BOOL vlm_ReplayNextSession(const char* file, BOOL fast);
// Starts the session asked for, for the game that calls itself `gameName`; TRUE when there is
// none to start. FALSE when it cannot start, the reason in `why`: a file that cannot be made,
// or a replay of another game, another engine version or no replay file at all.
VLM_API BOOL vlm_BeginSession(const char* gameName, char* why, size_t whySize);
// Ends the session: a recording is closed, a replay says how it went.
VLM_API void vlm_EndSession();
VLM_API BOOL vlm_IsRecording();
VLM_API BOOL vlm_IsReplaying();
// Where a session's report lines go besides standard error: the engine's log. `problem` marks
// a line that says something went wrong (a difference, a file changed, a refusal).
typedef void (*VLM_SESSIONREPORT)(const char* line, BOOL problem);
VLM_API void vlm_SetSessionReport(VLM_SESSIONREPORT report);
