// Win32 stand-in: threads on std::thread, detached, each with a kernel object that its
// handle waits on.
#include <velmora/platform/win32/Threads.h>

#include <atomic>
#include <system_error>
#include <thread>

#include <velmora/platform/win32/detail/KernelObject.h>

namespace vlm_platform {

namespace {

class ThreadObject final : public KernelObject {
public:
    bool IsSignaled() const override { return m_bFinished; }

    bool m_bFinished = false;
    bool m_bSuspended = false;
    DWORD m_dwExitCode = STILL_ACTIVE;
};

std::atomic<DWORD> g_nextThreadId{1000};
thread_local DWORD t_threadId = 0;

}  // namespace

}  // namespace vlm_platform

using namespace vlm_platform;

DWORD GetCurrentThreadId() {
    if (t_threadId == 0) t_threadId = g_nextThreadId.fetch_add(4);
    return t_threadId;
}

HANDLE CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE start, LPVOID parameter, DWORD flags,
                    LPDWORD threadId) {
    if (!start) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto object = std::make_shared<ThreadObject>();
    object->m_bSuspended = (flags & CREATE_SUSPENDED) != 0;
    const DWORD id = g_nextThreadId.fetch_add(4);
    try {
        std::thread([object, start, parameter, id] {
            t_threadId = id;
            {
                std::unique_lock<std::mutex> hold(KernelLock());
                KernelSignal().wait(hold, [&] { return !object->m_bSuspended; });
            }
            const DWORD code = start(parameter);
            {
                std::lock_guard<std::mutex> hold(KernelLock());
                object->m_dwExitCode = code;
                object->m_bFinished = true;
            }
            KernelSignal().notify_all();
        }).detach();
    } catch (const std::system_error&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (threadId) *threadId = id;
    return AddHandle(std::move(object));
}

DWORD ResumeThread(HANDLE thread) {
    std::shared_ptr<ThreadObject> object = FindHandleOf<ThreadObject>(thread);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return static_cast<DWORD>(-1);
    }
    bool wasSuspended;
    {
        std::lock_guard<std::mutex> hold(KernelLock());
        wasSuspended = object->m_bSuspended;
        object->m_bSuspended = false;
    }
    if (wasSuspended) KernelSignal().notify_all();
    return wasSuspended ? 1 : 0;
}

BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode) {
    std::shared_ptr<ThreadObject> object = FindHandleOf<ThreadObject>(thread);
    if (!object || !exitCode) {
        SetLastError(object ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
        return FALSE;
    }
    std::lock_guard<std::mutex> hold(KernelLock());
    *exitCode = object->m_dwExitCode;
    return TRUE;
}
