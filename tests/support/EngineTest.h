// Test fixture base: the manual clock, the manual audio clock (no audio device: what the
// engine plays is mixed only when a test asks), captured message boxes and debugger output,
// and a clean window-system queue, restored after each test.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include <velmora/Velmora.h>
#include <velmora/testing/TestSeams.h>

// Where the manual clock starts in each test: 100000 ms, or VELMORA_TEST_CLOCK_START (CTest
// runs the timed suites a second time with the clock just before its 32-bit wrap).
inline DWORD TestClockStart() {
    const char* start = std::getenv("VELMORA_TEST_CLOCK_START");
    return start && *start ? static_cast<DWORD>(std::strtoul(start, nullptr, 0)) : 100000;
}

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        VelmoraTest::UseManualClock(true);
        VelmoraTest::SetClock(TestClockStart());
        VelmoraTest::SetClockTickEveryReads(0);
        VelmoraTest::ResetSleepCount();
        VelmoraTest::UseManualAudio(true);
        VelmoraTest::CaptureMessageBoxes(true);
        VelmoraTest::CaptureDebugOutput(true);
        VelmoraTest::TakeMessageBoxes();
        VelmoraTest::TakeDebugOutput();
        VelmoraTest::ClearScheduledInjections();
        VelmoraTest::FlushEvents();
    }
    void TearDown() override {
        VelmoraTest::DetachAllPads();
        VelmoraTest::ClearScheduledInjections();
        VelmoraTest::FlushEvents();
        VelmoraTest::SetLocalTimeOverride(nullptr);
        VelmoraTest::SetClockTickEveryReads(0);
        VelmoraTest::UseManualClock(false);
        VelmoraTest::UseManualAudio(false);
        VelmoraTest::CaptureMessageBoxes(false);
        VelmoraTest::CaptureDebugOutput(false);
        SetTextEncoding(TEXT_ENCODING_GBK);  // whatever a failed test left
    }
};

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}
