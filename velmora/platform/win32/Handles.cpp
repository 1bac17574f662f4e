// Win32 stand-in: the table of kernel handles, CloseHandle and the last error.
#include <velmora/platform/win32/Handles.h>

#include <unordered_map>

#include <velmora/platform/win32/detail/KernelObject.h>

namespace vlm_platform {

namespace {

struct HandleTable {
    std::mutex lock;
    std::unordered_map<uintptr_t, std::shared_ptr<KernelObject>> objects;
    // Windows handles are multiples of 4; these start well clear of null and of the
    // console's standard handles.
    uintptr_t next = 0x10000;
};

// Never destroyed: the audio thread may still signal an event while the process exits.
HandleTable& Table() {
    static HandleTable* table = new HandleTable;
    return *table;
}

thread_local DWORD t_lastError = ERROR_SUCCESS;

}  // namespace

std::mutex& KernelLock() {
    static std::mutex* lock = new std::mutex;
    return *lock;
}

std::condition_variable& KernelSignal() {
    static std::condition_variable* signal = new std::condition_variable;
    return *signal;
}

HANDLE AddHandle(std::shared_ptr<KernelObject> object) {
    HandleTable& t = Table();
    std::lock_guard<std::mutex> hold(t.lock);
    uintptr_t value = t.next;
    t.next += 4;
    t.objects.emplace(value, std::move(object));
    return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<KernelObject> FindHandle(HANDLE handle) {
    HandleTable& t = Table();
    std::lock_guard<std::mutex> hold(t.lock);
    auto it = t.objects.find(reinterpret_cast<uintptr_t>(handle));
    return it == t.objects.end() ? nullptr : it->second;
}

}  // namespace vlm_platform

BOOL CloseHandle(HANDLE object) {
    std::shared_ptr<vlm_platform::KernelObject> closed;  // released after the table's lock
    {
        auto& t = vlm_platform::Table();
        std::lock_guard<std::mutex> hold(t.lock);
        auto it = t.objects.find(reinterpret_cast<uintptr_t>(object));
        if (it == t.objects.end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        closed = std::move(it->second);
        t.objects.erase(it);
    }
    return TRUE;
}

DWORD GetLastError() { return vlm_platform::t_lastError; }
void SetLastError(DWORD error) { vlm_platform::t_lastError = error; }
