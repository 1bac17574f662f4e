// Private to the resource managers: the handle numbering and the idle-release timing that the
// texture and frame managers share.
#pragma once

#include <map>

#include <velmora/platform/win32/Types.h>

namespace vlm_engine {

// 0 is no handle; 1 to 5000 are chosen by callers; the managers issue the numbers above.
constexpr DWORD kLastCallerHandle = 5000;
// A sweep runs when more than this has passed since the last one...
constexpr DWORD kSweepInterval = 3000;
// ...and releases what has not been used for more than this.
constexpr DWORD kIdleTime = 5000;

inline bool IsCallerHandle(DWORD handle) { return handle != 0 && handle <= kLastCallerHandle; }

// The next free number after `*last`, never a caller's one: after the counter wraps it
// starts again above 5000, skipping numbers still in use.
template <class T>
DWORD IssueHandle(const std::map<DWORD, T*>& table, DWORD* last) {
    DWORD handle = *last;
    do {
        handle = handle == 0xFFFFFFFF || handle < kLastCallerHandle ? kLastCallerHandle + 1 : handle + 1;
    } while (table.count(handle));
    *last = handle;
    return handle;
}

// Times are compared as unsigned differences, so the clock's wrap-around is harmless.
inline bool SweepDue(DWORD now, DWORD lastSweep) { return DWORD(now - lastSweep) > kSweepInterval; }
inline bool IsIdle(DWORD now, DWORD lastUse) { return DWORD(now - lastUse) > kIdleTime; }

}  // namespace vlm_engine
