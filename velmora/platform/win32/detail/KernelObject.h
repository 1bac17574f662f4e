// The objects behind kernel handles and the one lock their waits share.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>

#include <velmora/platform/win32/Types.h>

namespace vlm_platform {

// A waitable object. Its state changes under KernelLock(), and whoever makes one signalled
// wakes the waiters through KernelSignal().
class KernelObject {
public:
    virtual ~KernelObject() = default;
    // Both under KernelLock(): whether a wait on the object is satisfied now, and what
    // satisfying one does to it (an auto-reset event resets).
    virtual bool IsSignaled() const = 0;
    virtual void Satisfy() {}
};

std::mutex& KernelLock();
std::condition_variable& KernelSignal();

// A new handle for `object` (never null, never INVALID_HANDLE_VALUE, never reused).
HANDLE AddHandle(std::shared_ptr<KernelObject> object);
// The object of an open handle; null otherwise. Safe from any thread, the audio thread
// included: it takes a short lock and allocates nothing.
std::shared_ptr<KernelObject> FindHandle(HANDLE handle);

template <class T>
std::shared_ptr<T> FindHandleOf(HANDLE handle) {
    return std::dynamic_pointer_cast<T>(FindHandle(handle));
}

}  // namespace vlm_platform
