// What every fuzz target shares: a scratch folder that is the working directory (inputs are
// written there, since the loaders take file names), the art files that inputs may name, and
// one headless engine on the manual clock, started on first use and reused by every input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include <velmora/Velmora.h>
#include <velmora/testing/TestSeams.h>

namespace VelmoraFuzz {

// The clock reading every input starts at.
constexpr DWORD kStartClock = 100000;

// Every target's LLVMFuzzerInitialize calls this first: it makes the paths among libFuzzer's
// arguments (corpus folders, inputs, -dict=, -artifact_prefix= ...) absolute and then enters
// the scratch folder, whose art inputs name by relative paths.
void Prepare(int* argc, char*** argv);

// The scratch folder, made on first use and removed at exit.
const std::string& ScratchDir();
// Writes `size` bytes as the file `name` of the scratch folder and returns its path.
std::string WriteScratch(const std::string& name, const void* data, size_t size);
inline std::string WriteScratch(const std::string& name, const std::string& bytes) {
    return WriteScratch(name, bytes.data(), bytes.size());
}

// Pictures in the scratch folder that inputs may name: "art.amf" (pictures of assorted sizes,
// some with transparent parts), "art.png", "art.bmp", "art.tga" (32 x 16) and "dot.png" (1 x 1);
// and a sound, "beep.wav" (one millisecond at 8,000 Hz).
// Needs the engine (the AMF file is written through a frame set).
void WriteArt();

// Message boxes and debugger output captured instead of shown: enough for targets without the
// engine. EndInput drops what was captured.
void CaptureReports();

// Starts `game` headless (SDL's off-screen driver, Mesa's software GL) with a back buffer of
// width x height on the manual clock, with message boxes and debugger output captured, and
// has it destroyed at exit. Aborts when the engine cannot start: no input could be judged.
void StartEngine(CGameApp& game, int width, int height);
// A plain started game for targets that need only the engine's objects.
CGameApp& Engine();

// Before each input: the clock at kStartClock and the random sequence from seed 1, so that an
// input always runs the same way.
void BeginInput();
// After each input: drops the captured message boxes and debugger output, window-system
// events and engine messages, which would otherwise pile up from input to input.
void EndInput();

// Whether `length` falls between two characters of `text`, in the current text encoding.
inline bool EndsOnCharacter(const std::string& text, size_t length) {
    size_t i = 0;
    while (i < length) i += TextCharLength(text.data() + i, text.size() - i);
    return i == length;
}

// A promise of the engine that an input broke: reported as a crash, so that libFuzzer keeps
// the input.
#define FUZZ_CHECK(condition) ((condition) ? (void)0 : VelmoraFuzz::Broken(#condition, __FILE__, __LINE__))
[[noreturn]] void Broken(const char* what, const char* file, int line);

// The input as text up to its first NUL (files of text formats hold none), and the bytes
// after that NUL, which targets read as extra choices.
struct SplitInput {
    std::string text;
    std::string rest;
};
SplitInput SplitAtNul(const uint8_t* data, size_t size);

}  // namespace VelmoraFuzz
