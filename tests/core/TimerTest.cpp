// CTimer and CHTimer on the manual clock.
#include "support/EngineTest.h"

namespace {

using VelmoraTest::AdvanceClock;

class TimerTest : public EngineTest {};

TEST_F(TimerTest, FiresOnceAfterTheIntervalHasPassed) {
    CTimer timer(1000);
    EXPECT_FALSE(timer.TimeOut());  // not counting
    timer.Start();
    AdvanceClock(1000);
    EXPECT_FALSE(timer.TimeOut());  // strictly greater is needed
    AdvanceClock(1);
    EXPECT_TRUE(timer.TimeOut());
    EXPECT_FALSE(timer.TimeOut());
    AdvanceClock(1000);
    EXPECT_FALSE(timer.TimeOut());
    AdvanceClock(1);
    EXPECT_TRUE(timer.TimeOut());  // the new period ran from the firing call
}

TEST_F(TimerTest, PauseKeepsThePhaseAndResumesWithTheRemainder) {
    CTimer timer(1000);
    timer.Start();
    AdvanceClock(2300);
    timer.Pause();
    EXPECT_FALSE(timer.IsCounting());
    EXPECT_EQ(timer.GetPassTime(), 300u);
    AdvanceClock(5000);
    timer.Start();
    AdvanceClock(700);
    EXPECT_FALSE(timer.TimeOut());
    EXPECT_EQ(timer.GetPassTime(), 300u);  // the held phase, not the running time
    AdvanceClock(1);
    EXPECT_TRUE(timer.TimeOut());
    EXPECT_EQ(timer.GetPassTime(), 0u);
    AdvanceClock(1001);
    EXPECT_TRUE(timer.TimeOut());  // later periods are whole again
}

TEST_F(TimerTest, PauseWithoutIntervalStopAndRestart) {
    CTimer zero;
    zero.Start();
    zero.Pause();
    EXPECT_TRUE(zero.IsCounting());

    CTimer timer(100);
    timer.Start();
    AdvanceClock(250);
    timer.Pause();
    timer.ReStart();  // drops the held phase
    AdvanceClock(100);
    EXPECT_FALSE(timer.TimeOut());
    AdvanceClock(1);
    EXPECT_TRUE(timer.TimeOut());

    timer.Stop();
    EXPECT_EQ(timer.GetPassTime(), 0u);
    EXPECT_FALSE(timer.TimeOut());
}

TEST_F(TimerTest, PauseTakesTheMagnitudeOfABackwardsPhase) {
    CTimer timer(1000);
    timer.Start();
    VelmoraTest::SetClock(VelmoraTest::GetClock() - 2300);  // the start lies in the future
    timer.Pause();
    EXPECT_EQ(timer.GetPassTime(), 300u);
}

TEST_F(TimerTest, TimeOutWrapsWithTheClock) {
    VelmoraTest::SetClock(0xFFFFFF00u);
    CTimer timer(0x200);
    timer.Start();
    EXPECT_FALSE(timer.TimeOut());
    AdvanceClock(0x100);  // the clock wraps to 0
    EXPECT_EQ(timer.GetPassTime(), 0x100u);
    EXPECT_FALSE(timer.TimeOut());
    AdvanceClock(0x100);
    EXPECT_FALSE(timer.TimeOut());
    AdvanceClock(1);
    EXPECT_TRUE(timer.TimeOut());
}

TEST_F(TimerTest, HighResolutionPassTime) {
    CHTimer timer;
    EXPECT_EQ(timer.GetPassTime(), 0.0);
    EXPECT_EQ(timer.GetAveragePassTime(), 0.0);
    timer.Start();
    AdvanceClock(250);
    EXPECT_DOUBLE_EQ(timer.GetPassTime(), 0.25);
}

TEST_F(TimerTest, AverageIsTheMeanOfThePreviousWindow) {
    CHTimer timer;
    VelmoraTest::SetClock(5000);
    timer.Start();
    EXPECT_EQ(timer.GetAveragePassTime(), 0.0);  // closes the empty first window
    // Frames of 10 ms and 30 ms alternate for a second.
    for (int i = 0; i < 10; ++i) {
        timer.Start();
        AdvanceClock(i % 2 ? 30 : 10);
        EXPECT_EQ(timer.GetAveragePassTime(), 0.0);
    }
    AdvanceClock(801);  // 1001 ms since the window opened
    timer.Start();
    EXPECT_DOUBLE_EQ(timer.GetAveragePassTime(), 0.02);
    timer.Start();
    AdvanceClock(500);
    EXPECT_DOUBLE_EQ(timer.GetAveragePassTime(), 0.02);  // still the previous window
    AdvanceClock(600);
    EXPECT_DOUBLE_EQ(timer.GetAveragePassTime(), 0.5);  // the window just closed held one sample
    AdvanceClock(1001);
    EXPECT_EQ(timer.GetAveragePassTime(), 0.0);  // and the one before this call held none
}

}  // namespace
