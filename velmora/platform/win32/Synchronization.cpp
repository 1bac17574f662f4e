// Win32 stand-in: events and waits.
#include <velmora/platform/win32/Synchronization.h>

#include <chrono>
#include <string>
#include <unordered_map>

#include <velmora/platform/win32/detail/KernelObject.h>

namespace vlm_platform {

namespace {

class EventObject final : public KernelObject {
public:
    explicit EventObject(bool manualReset, bool signaled) : m_bManualReset(manualReset), m_bSignaled(signaled) {}
    bool IsSignaled() const override { return m_bSignaled; }
    void Satisfy() override {
        if (!m_bManualReset) m_bSignaled = false;
    }
    void Set(bool signaled) { m_bSignaled = signaled; }

private:
    const bool m_bManualReset;
    bool m_bSignaled;
};

struct EventNames {
    std::mutex lock;
    std::unordered_map<std::string, std::weak_ptr<EventObject>> events;
};

EventNames& Names() {
    static EventNames* names = new EventNames;
    return *names;
}

BOOL SetState(HANDLE handle, bool signaled) {
    std::shared_ptr<EventObject> event = FindHandleOf<EventObject>(handle);
    if (!event) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    {
        std::lock_guard<std::mutex> hold(KernelLock());
        event->Set(signaled);
    }
    if (signaled) KernelSignal().notify_all();
    return TRUE;
}

}  // namespace

}  // namespace vlm_platform

using namespace vlm_platform;

HANDLE CreateEventA(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState, LPCSTR name) {
    std::shared_ptr<EventObject> event;
    bool existed = false;
    if (name && *name) {
        EventNames& names = Names();
        std::lock_guard<std::mutex> hold(names.lock);
        std::weak_ptr<EventObject>& slot = names.events[name];
        event = slot.lock();
        existed = event != nullptr;
        if (!event) slot = event = std::make_shared<EventObject>(manualReset != FALSE, initialState != FALSE);
    } else {
        event = std::make_shared<EventObject>(manualReset != FALSE, initialState != FALSE);
    }
    HANDLE handle = AddHandle(std::move(event));
    SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return handle;
}

BOOL SetEvent(HANDLE event) { return SetState(event, true); }
BOOL ResetEvent(HANDLE event) { return SetState(event, false); }

DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds) {
    return WaitForMultipleObjects(1, &object, TRUE, milliseconds);
}

DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds) {
    if (count == 0 || count > MAXIMUM_WAIT_OBJECTS || !handles) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    std::shared_ptr<KernelObject> objects[MAXIMUM_WAIT_OBJECTS];
    for (DWORD i = 0; i < count; ++i) {
        objects[i] = FindHandle(handles[i]);
        if (!objects[i]) {
            SetLastError(ERROR_INVALID_HANDLE);
            return WAIT_FAILED;
        }
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    std::unique_lock<std::mutex> hold(KernelLock());
    for (bool timedOut = false;;) {
        if (waitAll) {
            DWORD ready = 0;
            while (ready < count && objects[ready]->IsSignaled()) ++ready;
            if (ready == count) {
                for (DWORD i = 0; i < count; ++i) objects[i]->Satisfy();
                return WAIT_OBJECT_0;
            }
        } else {
            for (DWORD i = 0; i < count; ++i) {
                if (objects[i]->IsSignaled()) {
                    objects[i]->Satisfy();
                    return WAIT_OBJECT_0 + i;
                }
            }
        }
        if (milliseconds == 0 || timedOut) return WAIT_TIMEOUT;
        if (milliseconds == INFINITE)
            KernelSignal().wait(hold);
        else
            timedOut = KernelSignal().wait_until(hold, deadline) == std::cv_status::timeout;
    }
}
