// Win32 stand-in: critical sections on std::recursive_mutex. A section that was never
// initialised (or was deleted) is left alone by every call instead of crashing.
#include <velmora/platform/win32/CriticalSection.h>

#include <mutex>
#include <new>

#include <velmora/platform/win32/Threads.h>

namespace {

std::recursive_mutex* LockOf(LPCRITICAL_SECTION section) {
    return section ? static_cast<std::recursive_mutex*>(section->DebugInfo) : nullptr;
}

void Entered(LPCRITICAL_SECTION section) {
    section->OwningThread = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(GetCurrentThreadId()));
    ++section->RecursionCount;
}

}  // namespace

void InitializeCriticalSection(LPCRITICAL_SECTION section) { InitializeCriticalSectionAndSpinCount(section, 0); }

BOOL InitializeCriticalSectionAndSpinCount(LPCRITICAL_SECTION section, DWORD spinCount) {
    if (!section) return FALSE;
    *section = RTL_CRITICAL_SECTION{};
    section->LockCount = -1;
    section->SpinCount = spinCount;
    section->DebugInfo = new (std::nothrow) std::recursive_mutex;
    return section->DebugInfo ? TRUE : FALSE;
}

void EnterCriticalSection(LPCRITICAL_SECTION section) {
    if (std::recursive_mutex* lock = LockOf(section)) {
        lock->lock();
        Entered(section);
    }
}

BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section) {
    std::recursive_mutex* lock = LockOf(section);
    if (!lock || !lock->try_lock()) return FALSE;
    Entered(section);
    return TRUE;
}

void LeaveCriticalSection(LPCRITICAL_SECTION section) {
    std::recursive_mutex* lock = LockOf(section);
    if (!lock || section->RecursionCount <= 0) return;
    if (--section->RecursionCount == 0) section->OwningThread = nullptr;
    lock->unlock();
}

void DeleteCriticalSection(LPCRITICAL_SECTION section) {
    delete LockOf(section);
    if (section) *section = RTL_CRITICAL_SECTION{};
}
