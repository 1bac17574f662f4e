// HandleTable: the storage the texture, frame and sound managers share: the items they own under
// 32-bit handles, the numbering of the handles they issue, sharing by name, reference counts
// and the idle-release sweep. Not for games: the managers are the interface.
#pragma once

#include <map>
#include <memory>
#include <new>

#include <velmora/core/Log.h>
#include <velmora/platform/win32/Types.h>
#include <velmora/resource/Texture.h>

namespace vlm_engine {

// 0 is no handle; 1 to 5000 are chosen by callers; the managers issue the numbers above.
constexpr DWORD kLastCallerHandle = 5000;
// A sweep runs when more than this has passed since the last one...
constexpr DWORD kSweepInterval = 3000;
// ...and releases what has not been used for more than this.
constexpr DWORD kIdleTime = 5000;

inline bool IsCallerHandle(DWORD handle) { return handle != 0 && handle <= kLastCallerHandle; }

// A load under a caller-chosen handle needs a name and a handle from 1 to 5000: handle 0
// could never be looked up again, so it is refused with the others. False after the log line.
inline bool CallerLoadValid(DWORD handle, const char* file) {
    if (!file || !*file || !IsCallerHandle(handle)) {
        WriteLog(INFO_ERROR, "Invalidate parameter!");
        return false;
    }
    return true;
}

// T is CTexture, CFrames or CSound: it counts its holders with AddRef and Release, and its pixels
// can be dropped (AutoRemove) and loaded again from its name.
template <class T>
class HandleTable {
public:
    // The first issued handle is the one after `lastIssued`.
    explicit HandleTable(DWORD lastIssued = kLastCallerHandle) : m_dwLastHandle(lastIssued) {}
    HandleTable(const HandleTable&) = delete;
    HandleTable& operator=(const HandleTable&) = delete;

    // Null for handle 0 and for a handle not in the table.
    T* Find(DWORD handle) const {
        // Draws tend to name one handle many times in a row.
        if (handle == m_dwFoundHandle && handle) return m_pFound;
        auto it = handle ? m_Items.find(handle) : m_Items.end();
        if (it == m_Items.end()) return nullptr;
        m_dwFoundHandle = handle;
        m_pFound = it->second.get();
        return m_pFound;
    }

    // The first item under an issued handle, in ascending order, that `match` accepts, with
    // a reference taken on it; 0 when there is none. Caller-chosen handles are never shared.
    template <class Match>
    DWORD Share(Match match) {
        for (auto it = m_Items.upper_bound(kLastCallerHandle); it != m_Items.end(); ++it) {
            if (match(*it->second)) {
                it->second->AddRef();
                return it->first;
            }
        }
        return 0;
    }

    // A new item filled by `fill`, under `handle` or, when that is 0, under a newly issued
    // one. 0 when the item cannot be made or `fill` fails: nothing enters the table then.
    template <class Fill>
    DWORD AddLoaded(DWORD handle, Fill fill) {
        std::unique_ptr<T> item(new (std::nothrow) T());
        if (!item || !fill(*item)) return 0;
        if (!handle) handle = IssueHandle();
        Forget();
        m_Items[handle] = std::move(item);
        return handle;
    }

    // Takes ownership of `item` (not null) under a newly issued handle.
    DWORD Adopt(T* item) {
        DWORD handle = IssueHandle();
        Forget();
        m_Items[handle].reset(item);
        return handle;
    }

    // Drops one reference; the item is deleted when none is left.
    void Release(DWORD handle) {
        auto it = handle ? m_Items.find(handle) : m_Items.end();
        if (it == m_Items.end() || it->second->Release() > 0) return;
        Forget();
        m_Items.erase(it);
    }

    // Deletes the item whatever its count.
    void Erase(DWORD handle) {
        Forget();
        if (handle) m_Items.erase(handle);
    }

    // Deletes every item, in ascending handle order. The numbering goes on where it was.
    void Clear() {
        Forget();
        for (auto& entry : m_Items) entry.second.reset();
        m_Items.clear();
        Forget();
    }

    // At most once every 3 s (on the millisecond clock, whose wrap-around is harmless):
    // drops the pixels of every MEM_AUTO item whose last use, read by `lastUse`, is more than
    // 5 s old. An item without a name has nothing to reload from, so it keeps them.
    void Sweep(DWORD now, DWORD (T::*lastUse)() const) {
        if (DWORD(now - m_dwLastSweep) <= kSweepInterval) return;
        for (auto& entry : m_Items) {
            T& item = *entry.second;
            if (DWORD(now - (item.*lastUse)()) > kIdleTime && !item.IsRelease() && item.GetMemMode() == MEM_AUTO &&
                !item.GetName().empty())
                item.AutoRemove();
        }
        m_dwLastSweep = now;
    }

private:
    // The item last found is no longer known to be in the table.
    void Forget() {
        m_dwFoundHandle = 0;
        m_pFound = nullptr;
    }

    // The next free number after the last issued one, never a caller's: after the counter
    // wraps it starts again above 5000, skipping numbers still in use.
    DWORD IssueHandle() {
        DWORD handle = m_dwLastHandle;
        do {
            handle = handle == 0xFFFFFFFF || handle < kLastCallerHandle ? kLastCallerHandle + 1 : handle + 1;
        } while (m_Items.count(handle));
        m_dwLastHandle = handle;
        return handle;
    }

    std::map<DWORD, std::unique_ptr<T>> m_Items;
    DWORD m_dwLastHandle;
    DWORD m_dwLastSweep = 0;
    mutable DWORD m_dwFoundHandle = 0;  // the last handle Find found, and its item
    mutable T* m_pFound = nullptr;
};

}  // namespace vlm_engine
