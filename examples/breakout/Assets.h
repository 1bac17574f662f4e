// Assets: loading the game's files from its folder. The engine's loaders report a missing
// file as an error, which raises a message box; the game checks first and logs a warning, so
// that it runs on (without the picture) and the log says what is missing.
#pragma once

class CAnimation;

namespace Assets {

bool Exists(const char* file);
// Loads an AMF file into `animation`; false, with a warning in the log, when it is missing.
bool LoadAnimation(CAnimation& animation, const char* file);
// Loads an AMF file into the frame manager: its handle, or 0 when it is missing.
unsigned LoadFrameSet(const char* file);

}  // namespace Assets
