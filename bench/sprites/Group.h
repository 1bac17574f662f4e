// The sprite benchmark's libraries. Each group is one library's window and its ways of
// drawing the scene (the variants); a group runs in a process of its own, so that no two GL
// stacks share a thread's idea of the current context.
#pragma once

#include <time.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sprites/Scene.h"

namespace SpriteBench {

// The processor time of the calling thread, in milliseconds: the draw calls alone, without
// a software rasteriser's own threads.
inline double ThreadCpuMilliseconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

class Group {
public:
    virtual ~Group() = default;
    // Opens the 800 x 600 window and loads the textures from kTextureFile and kPixelFile;
    // false with the reason in `error`.
    virtual bool Start(std::string* error) = 0;
    // A line on how the library draws and on what (its GL renderer).
    virtual std::string Describe() = 0;
    virtual std::vector<std::string> Variants() const = 0;
    // One frame: clear, draw `sprites` sprites of `shape` placed for `frame`, present,
    // glFinish. Returns the calling thread's processor time in the draw calls, in ms.
    virtual double Frame(size_t variant, int sprites, int frame, Shape shape) = 0;
    // The same frame read back instead of presented, as 0xAARRGGBB values, top row first.
    virtual std::vector<uint32_t> Picture(size_t variant, int sprites, int frame) = 0;
    // Handles the window's pending events (between frames, not timed).
    virtual void DrainEvents() = 0;
};

// The engine as a CGameApp sets it up; `plainBackBuffer` then resets its device to one
// sample and no depth buffer (a diagnostic: a game does not get that back buffer).
std::unique_ptr<Group> MakeEngineGroup(bool plainBackBuffer);
// SDL's renderer on its "opengl" driver. Naming the driver turns SDL's batching off unless
// it is asked for, so both ways are measured.
std::unique_ptr<Group> MakeSdlGroup(bool batching);
std::unique_ptr<Group> MakeSfmlGroup();

}  // namespace SpriteBench
