// Translation of SDL events into window messages, and the listeners that also want the raw
// events (the DirectInput stand-in).
#pragma once

#include <cstdint>
#include <deque>

#include <velmora/platform/win32/Types.h>

union SDL_Event;

namespace vlm_platform {

using RawEventListener = void (*)(const SDL_Event& event, void* user);

void AddRawEventListener(RawEventListener listener, void* user);
void RemoveRawEventListener(RawEventListener listener, void* user);

// Runs due scheduled injections, then drains SDL's queue: each event goes to the raw
// listeners and becomes zero or more messages in the thread's queue. A recording keeps what it
// delivers; a replay delivers what was recorded instead.
void PumpEvents();
// What the pump does with one event. `inPicture`: its pointer positions are in the picture's
// pixels already, not the window's.
void DeliverEvent(const SDL_Event& event, bool inPicture);
// The window an event of SDL window `windowID` goes to: that one, else the keyboard's.
HWND EventWindow(uint32_t windowID);

struct ThreadQueue {
    std::deque<MSG> messages;
    bool quitPosted = false;
    int quitCode = 0;
};
ThreadQueue& Queue();

}  // namespace vlm_platform
