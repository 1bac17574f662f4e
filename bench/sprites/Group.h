// The sprite benchmark's libraries. Each group is one library's window and its ways of
// drawing the scene (the variants); a group runs in a process of its own, so that no two GL
// stacks share a thread's idea of the current context.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace SpriteBench {

class Group {
public:
    virtual ~Group() = default;
    // Opens the 800 x 600 window and loads the texture from kTextureFile; false with the
    // reason in `error`.
    virtual bool Start(std::string* error) = 0;
    // A line on how the library draws and on what (its GL renderer).
    virtual std::string Describe() = 0;
    virtual std::vector<std::string> Variants() const = 0;
    // One frame: clear, draw `sprites` sprites placed for `frame`, present, glFinish.
    virtual void Frame(size_t variant, int sprites, int frame) = 0;
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
