// The Win32 calls that streaming code uses beside DirectSound: events and waits, threads,
// critical sections and the Interlocked functions, across real threads.
#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include <velmora/Velmora.h>

namespace {

TEST(Win32Threads, EventsAndWaits) {
    HANDLE autoReset = CreateEventA(nullptr, FALSE, TRUE, nullptr);
    HANDLE manual = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(autoReset, nullptr);
    ASSERT_NE(manual, nullptr);

    // An auto-reset event releases one wait; a manual one stays set until reset.
    EXPECT_EQ(WaitForSingleObject(autoReset, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(autoReset, 0), DWORD(WAIT_TIMEOUT));
    const auto before = std::chrono::steady_clock::now();
    EXPECT_EQ(WaitForSingleObject(autoReset, 5), DWORD(WAIT_TIMEOUT));
    EXPECT_GE(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(5));
    EXPECT_TRUE(SetEvent(manual));
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(manual, INFINITE), WAIT_OBJECT_0);
    EXPECT_TRUE(ResetEvent(manual));
    EXPECT_EQ(WaitForSingleObject(manual, 0), DWORD(WAIT_TIMEOUT));

    // Any: the index of the first one set; all: only when every one is, taking them together.
    const HANDLE both[] = {manual, autoReset};
    SetEvent(autoReset);
    EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), WAIT_OBJECT_0 + 1);
    SetEvent(autoReset);
    EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 0), DWORD(WAIT_TIMEOUT));
    EXPECT_EQ(WaitForSingleObject(autoReset, 0), WAIT_OBJECT_0);  // the failed wait took nothing
    SetEvent(manual);
    SetEvent(autoReset);
    EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(autoReset, 0), DWORD(WAIT_TIMEOUT));
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);

    // A named event is one object; a closed handle is refused.
    HANDLE named = CreateEventA(nullptr, TRUE, FALSE, "velmora-test");
    EXPECT_EQ(GetLastError(), DWORD(ERROR_SUCCESS));
    HANDLE again = CreateEventA(nullptr, TRUE, FALSE, "velmora-test");
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
    SetEvent(named);
    EXPECT_EQ(WaitForSingleObject(again, 0), WAIT_OBJECT_0);
    for (HANDLE h : {autoReset, manual, named, again}) EXPECT_TRUE(CloseHandle(h));
    EXPECT_FALSE(CloseHandle(manual));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_FAILED);
    EXPECT_FALSE(SetEvent(manual));
    EXPECT_EQ(WaitForMultipleObjects(0, both, FALSE, 0), WAIT_FAILED);
}

struct Shared {
    CRITICAL_SECTION section;
    int counted = 0;  // guarded by the section
    LONG volatile atomic = 0;
    HANDLE go = nullptr;
};

DWORD WINAPI Count(LPVOID parameter) {
    auto* shared = static_cast<Shared*>(parameter);
    WaitForSingleObject(shared->go, INFINITE);
    for (int i = 0; i < 10000; ++i) {
        EnterCriticalSection(&shared->section);
        EnterCriticalSection(&shared->section);  // a thread may enter its own section again
        ++shared->counted;
        LeaveCriticalSection(&shared->section);
        LeaveCriticalSection(&shared->section);
        InterlockedIncrement(&shared->atomic);
        InterlockedExchangeAdd(&shared->atomic, 2);
        InterlockedDecrement(&shared->atomic);
    }
    return GetCurrentThreadId();
}

DWORD WINAPI TryFromElsewhere(LPVOID parameter) {
    return TryEnterCriticalSection(static_cast<CRITICAL_SECTION*>(parameter));
}

// Threads start (suspended if asked), run, end with their code, and their handles are
// signalled when they have; critical sections and Interlocked calls keep counts exact.
TEST(Win32Threads, ThreadsCriticalSectionsAndInterlockedCounts) {
    Shared shared;
    InitializeCriticalSection(&shared.section);
    shared.go = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::vector<HANDLE> threads;
    std::vector<DWORD> ids;
    for (int i = 0; i < 4; ++i) {
        DWORD id = 0;
        threads.push_back(CreateThread(nullptr, 0, Count, &shared, i == 0 ? CREATE_SUSPENDED : 0, &id));
        ASSERT_NE(threads.back(), nullptr);
        ids.push_back(id);
    }
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(threads[1], &code));
    EXPECT_EQ(code, DWORD(STILL_ACTIVE));
    SetEvent(shared.go);
    ASSERT_EQ(WaitForMultipleObjects(3, threads.data() + 1, TRUE, 20000), WAIT_OBJECT_0);
    EXPECT_EQ(shared.counted, 30000);  // the suspended one has not run
    EXPECT_EQ(WaitForSingleObject(threads[0], 0), DWORD(WAIT_TIMEOUT));
    EXPECT_EQ(ResumeThread(threads[0]), 1u);
    ASSERT_EQ(WaitForMultipleObjects(4, threads.data(), TRUE, 20000), WAIT_OBJECT_0);
    EXPECT_EQ(shared.counted, 40000);
    EXPECT_EQ(shared.atomic, 80000);
    for (size_t i = 0; i < threads.size(); ++i) {
        EXPECT_TRUE(GetExitCodeThread(threads[i], &code));
        EXPECT_EQ(code, ids[i]);
        EXPECT_NE(code, GetCurrentThreadId());
        CloseHandle(threads[i]);
    }

    // A section held here cannot be entered from another thread, but can be from this one.
    EnterCriticalSection(&shared.section);
    EXPECT_TRUE(TryEnterCriticalSection(&shared.section));
    HANDLE other = CreateThread(nullptr, 0, TryFromElsewhere, &shared.section, 0, nullptr);
    ASSERT_EQ(WaitForSingleObject(other, 20000), WAIT_OBJECT_0);
    EXPECT_TRUE(GetExitCodeThread(other, &code));
    EXPECT_EQ(code, DWORD(FALSE));
    LeaveCriticalSection(&shared.section);
    LeaveCriticalSection(&shared.section);
    CloseHandle(other);
    DeleteCriticalSection(&shared.section);
    EnterCriticalSection(&shared.section);  // deleted: left alone, not a crash
    CloseHandle(shared.go);

    LONG value = 5;
    EXPECT_EQ(InterlockedCompareExchange(&value, 9, 4), 5);
    EXPECT_EQ(value, 5);
    EXPECT_EQ(InterlockedCompareExchange(&value, 9, 5), 5);
    EXPECT_EQ(value, 9);
    EXPECT_EQ(InterlockedExchange(&value, -1), 9);
    EXPECT_EQ(value, -1);
}

}  // namespace
