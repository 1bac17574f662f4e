// ParticleSystem simulation on the manual clock with the engine's seeded random numbers:
// stepping, emission by count and by rate, directions, stopping, moving the emitter, colour
// fades, the 500 cap, the clock's wrap and values that would poison a particle.
#include <cmath>

#include "particle/ParticleFixture.h"

namespace {

float Radians(int degrees) { return static_cast<float>(degrees * 0.017453292519943295); }

class ParticleSystemTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        srand(1);
    }
};

TEST_F(ParticleSystemTest, FirstUpdateOnlyRecordsAndACallRunsOneStepAtMost) {
    ParticleSystemInfo info = QuietInfo();
    info.EmissionNum = 1;
    info.Direction = Radians(90);
    info.fSpeedMin = info.fSpeedMax = 3.0f;
    ParticleSystem ps(&info, 0);
    ps.FireAt(10, 20);
    VelmoraTest::AdvanceClock(5000);
    ps.Update();  // however long since construction, the first call only starts the clock
    EXPECT_EQ(ps.GetParticlesAlive(), 0);
    EXPECT_EQ(ps.GetAge(), -1.0f);

    Step(ps, 1, 100);  // a 100 ms gap runs one step, which spawns at the emitter
    ASSERT_EQ(ps.GetParticlesAlive(), 1);
    EXPECT_EQ(ps.GetParticle(0)->x, 10.0f);
    EXPECT_EQ(ps.GetParticle(0)->vx, 3.0f);
    Step(ps, 1, 100);  // moves by its whole velocity, once
    EXPECT_EQ(ps.GetParticle(0)->x, 13.0f);
    EXPECT_FLOAT_EQ(ps.GetParticle(0)->fAge, 0.02f);
    Step(ps, 1, 10);  // half a step: nothing
    EXPECT_EQ(ps.GetParticle(0)->x, 13.0f);
    Step(ps, 1, 10);
    EXPECT_EQ(ps.GetParticle(0)->x, 16.0f);
    EXPECT_EQ(ps.GetParticle(0)->y, 20.0f);
}

TEST_F(ParticleSystemTest, AGapOfDaysRunsOneStepAndReturns) {
    ParticleSystemInfo info = QuietInfo();
    info.EmissionNum = 1;
    info.Direction = Radians(180);
    info.fSpeedMin = info.fSpeedMax = 1.0f;
    ParticleSystem ps(&info, 0);
    ps.Fire();
    ps.Update();
    Step(ps);
    // The clock read 1 ms back: as an unsigned difference that is 49.7 days.
    VelmoraTest::SetClock(VelmoraTest::GetClock() - 1);
    ps.Update();
    EXPECT_EQ(ps.GetParticle(0)->y, 1.0f);
}

TEST_F(ParticleSystemTest, DirectionAndSpreadGiveTheVelocity) {
    struct Case {
        int degrees;
        float vx, vy;
    };
    // 0 is up the screen (y grows downwards), 90 to the right.
    for (Case c : {Case{90, 2, 0}, {0, 0, -2}, {180, 0, 2}, {270, -2, 0}, {-45, -std::sqrt(2.0f), -std::sqrt(2.0f)}}) {
        ParticleSystemInfo info = QuietInfo();
        info.EmissionNum = 5;
        info.Direction = Radians(c.degrees);
        info.fSpeedMin = info.fSpeedMax = 2.0f;
        ParticleSystem ps(&info, 0);
        ps.Fire();
        ps.Update();
        Step(ps);
        ASSERT_EQ(ps.GetParticlesAlive(), 5);
        for (const Particle& p : Particles(ps)) {
            EXPECT_NEAR(p.vx, c.vx, 1e-5f) << c.degrees;
            EXPECT_NEAR(p.vy, c.vy, 1e-5f) << c.degrees;
        }
    }

    // A 60-degree fan to the right: angles from -30 to 30 degrees, both sides reached.
    ParticleSystemInfo info = QuietInfo();
    info.EmissionNum = 200;
    info.Direction = Radians(90);
    info.Spread = Radians(60);
    info.fSpeedMin = 1.0f;
    info.fSpeedMax = 3.0f;
    ParticleSystem ps(&info, 0);
    ps.Fire();
    ps.Update();
    Step(ps);
    float lowest = 1, highest = -1;
    for (const Particle& p : Particles(ps)) {
        const float angle = std::atan2(p.vy, p.vx), speed = std::hypot(p.vx, p.vy);
        lowest = std::min(lowest, angle);
        highest = std::max(highest, angle);
        EXPECT_GE(speed, 1.0f - 1e-5f);
        EXPECT_LE(speed, 3.0f + 1e-5f);
    }
    EXPECT_GE(lowest, Radians(-30) - 1e-5f);
    EXPECT_LE(highest, Radians(30) + 1e-5f);
    EXPECT_LT(lowest, Radians(-20));
    EXPECT_GT(highest, Radians(20));
}

TEST_F(ParticleSystemTest, RelativeTurnsTheDirectionWithTheEmittersMotion) {
    struct Case {
        float toX, toY;
        float vx, vy;
    };
    // The angle of (previous - current position) turns the direction when it is at least
    // 0.001: moving right or up sends particles out behind; moving left or down leaves the
    // direction (up) as it is.
    for (Case c : {Case{150, 100, -2, 0}, {100, 50, 0, 2}, {50, 100, 0, -2}, {100, 150, 0, -2}}) {
        ParticleSystemInfo info = QuietInfo();
        info.EmissionNum = 1;
        info.Relative = 1;
        info.fSpeedMin = info.fSpeedMax = 2.0f;
        ParticleSystem ps(&info, 0);
        ps.FireAt(100, 100);
        ps.Update();
        ps.MoveTo(c.toX, c.toY);
        Step(ps);
        ASSERT_EQ(ps.GetParticlesAlive(), 1);
        EXPECT_NEAR(ps.GetParticle(0)->vx, c.vx, 1e-5f) << c.toX << "," << c.toY;
        EXPECT_NEAR(ps.GetParticle(0)->vy, c.vy, 1e-5f) << c.toX << "," << c.toY;
    }
}

TEST_F(ParticleSystemTest, EmissionNumKeepsThatManyAlive) {
    ParticleSystemInfo info = QuietInfo();
    info.EmissionNum = 10;
    info.fParticleLifeMin = 0.05f;
    info.fParticleLifeMax = 0.15f;
    ParticleSystem ps(&info, 0);
    ps.Fire();
    ps.Update();
    int replaced = 0;
    for (int step = 0; step < 50; ++step) {
        Step(ps);
        ASSERT_EQ(ps.GetParticlesAlive(), 10) << step;
        for (const Particle& p : Particles(ps)) replaced += step > 0 && p.fAge == 0.0f;
    }
    EXPECT_GT(replaced, 50);  // dead ones are replaced in the step they die in
}

TEST_F(ParticleSystemTest, RateCarriesTheFractionFromStepToStep) {
    ParticleSystemInfo info = QuietInfo();
    info.fEmission = 37.5f;  // 0.75 a step: nothing would ever spawn without the carried fraction
    info.fParticleLifeMin = info.fParticleLifeMax = 1000.0f;
    ParticleSystem ps(&info, 0);
    ps.Fire();
    ps.Update();
    for (int step = 1; step <= 400; ++step) {
        Step(ps);
        ASSERT_NEAR(ps.GetParticlesAlive(), step * 0.02 * 37.5, 1.0) << step;
    }
}

TEST_F(ParticleSystemTest, NoParticleBeyondTheFiveHundredth) {
    struct Case {
        int count;
        float rate;
        int alive;
    };
    for (Case c : {Case{1000, 0, 500}, {0, 1e6f, 500}, {0, INFINITY, 500}, {0, NAN, 0}, {0, -50, 0}}) {
        ParticleSystemInfo info = QuietInfo();
        info.EmissionNum = c.count;
        info.fEmission = c.rate;
        info.fParticleLifeMin = info.fParticleLifeMax = 1000.0f;
        ParticleSystem ps(&info, 0);
        ps.Fire();
        ps.Update();
        Step(ps);
        EXPECT_EQ(ps.GetParticlesAlive(), c.alive) << c.count << " " << c.rate;
        Step(ps, 3);
        EXPECT_EQ(ps.GetParticlesAlive(), c.alive) << c.count << " " << c.rate;
    }
}

TEST_F(ParticleSystemTest, StopLetsParticlesFinishOrDropsThem) {
    for (bool kill : {false, true}) {
        ParticleSystemInfo info = QuietInfo();
        info.EmissionNum = 5;
        info.fParticleLifeMin = info.fParticleLifeMax = 0.09f;  // dies in its fifth step
        ParticleSystem ps(&info, 0);
        ps.Fire();
        ps.Update();
        Step(ps);
        ps.Stop(kill);
        EXPECT_EQ(ps.GetAge(), -2.0f);
        EXPECT_EQ(ps.GetParticlesAlive(), kill ? 0 : 5);
        Step(ps, 4);
        EXPECT_EQ(ps.GetParticlesAlive(), kill ? 0 : 5) << kill;
        Step(ps);
        EXPECT_EQ(ps.GetParticlesAlive(), 0) << kill;
        Step(ps, 10);
        EXPECT_EQ(ps.GetParticlesAlive(), 0) << kill;
    }
}

TEST_F(ParticleSystemTest, EmitterLifetime) {
    struct Case {
        float lifetime;
        float ageAfterThreeSteps;
        float ageAfterTenSteps;
        int aliveAfterTenSteps;
    };
    // 0 (or anything not above 0 but -1) stops in the first step, before emitting.
    for (Case c : {Case{-1, -1, -1, 1}, {0, -2, -2, 0}, {-0.5f, -2, -2, 0}, {0.1f, 0.06f, -2, 1}}) {
        ParticleSystemInfo info = QuietInfo();
        info.EmissionNum = 1;
        info.fLifetime = c.lifetime;
        ParticleSystem ps(&info, 0);
        EXPECT_EQ(ps.GetAge(), -2.0f);
        ps.Fire();
        ps.Update();
        Step(ps, 3);
        EXPECT_NEAR(ps.GetAge(), c.ageAfterThreeSteps, 1e-6f) << c.lifetime;
        Step(ps, 7);
        EXPECT_EQ(ps.GetAge(), c.ageAfterTenSteps) << c.lifetime;
        EXPECT_EQ(ps.GetParticlesAlive(), c.aliveAfterTenSteps) << c.lifetime;
    }
}

TEST_F(ParticleSystemTest, BlueFadeReachesItsEndColourAsTheParticleDies) {
    ParticleSystemInfo info = QuietInfo();
    info.EmissionNum = 1;
    info.fParticleLifeMin = info.fParticleLifeMax = 0.1f;
    info.dwColorStart = 0xFF0000FF;
    info.dwColorEnd = 0x000000FF;
    ParticleSystem ps(&info, 0);
    ps.Fire();
    ps.Update();
    float faintest = 1;
    int reborn = 0;
    for (int step = 0; step < 12; ++step) {
        Step(ps);
        const Particle& p = *ps.GetParticle(0);
        EXPECT_NEAR(p.fAlpha, 1.0f - p.fAge / 0.1f, 1e-5f) << step;
        EXPECT_NEAR(p.fAlpha + p.fAlphaDelta * (p.fTerminalAge - p.fAge), 0.0f, 1e-5f) << step;
        EXPECT_EQ(p.fBlue, 1.0f);
        EXPECT_EQ(p.fRed + p.fGreen + p.fBlueDelta, 0.0f);
        faintest = std::min(faintest, p.fAlpha);
        reborn += step > 0 && p.fAge == 0.0f;
    }
    EXPECT_LE(faintest, 0.2f + 1e-5f);  // near the end colour in the last step before it dies
    EXPECT_GE(reborn, 1);
}

TEST_F(ParticleSystemTest, MoveToJumpsWhenStoppedAndLeavesATrailWhenRunning) {
    ParticleSystemInfo info = QuietInfo();
    info.fParticleLifeMin = info.fParticleLifeMax = 1000.0f;
    info.EmissionNum = 20;
    ParticleSystem stopped(&info, 0);
    stopped.Update();
    stopped.MoveTo(100, 50);
    stopped.Fire();
    Step(stopped);
    ASSERT_EQ(stopped.GetParticlesAlive(), 20);
    for (const Particle& p : Particles(stopped)) EXPECT_TRUE(p.x == 100 && p.y == 50) << p.x << "," << p.y;

    info.EmissionNum = 0;
    info.fEmission = 1000;  // 20 a step
    ParticleSystem running(&info, 0);
    running.FireAt(0, 0);
    running.Update();
    Step(running);
    const int first = running.GetParticlesAlive();
    ASSERT_GE(first, 19);
    running.MoveTo(100, 0);
    Step(running);
    std::vector<Particle> all = Particles(running);
    ASSERT_GE(all.size(), size_t(first + 19));
    float lowest = 100, highest = 0;
    for (size_t i = 0; i < all.size(); ++i) {
        const Particle& p = all[i];
        EXPECT_EQ(p.y, 0.0f);
        if (i < size_t(first)) {
            EXPECT_EQ(p.x, 0.0f);  // the old ones stay where they were
            continue;
        }
        EXPECT_GE(p.x, 0.0f);
        EXPECT_LE(p.x, 100.0f);
        lowest = std::min(lowest, p.x);
        highest = std::max(highest, p.x);
    }
    EXPECT_LT(lowest, 30.0f);
    EXPECT_GT(highest, 70.0f);

    // Moving the particles along: everything shifts, and the next ones start at the new place.
    running.MoveTo(200, 0, true);
    std::vector<Particle> moved = Particles(running);
    for (size_t i = 0; i < all.size(); ++i) EXPECT_EQ(moved[i].x, all[i].x + 100.0f);
    Step(running);
    for (size_t i = all.size(); i < size_t(running.GetParticlesAlive()); ++i)
        EXPECT_EQ(running.GetParticle(int(i))->x, 200.0f);
    float x = 0, y = 0;
    running.GetPosition(&x, &y);
    EXPECT_EQ(x, 200.0f);
}

// Started 10 s before the 32-bit clock wraps, a system steps exactly as one started anywhere
// else, though one reading falls on 0.
TEST_F(ParticleSystemTest, SameAcrossTheClocksWrap) {
    ParticleSystemInfo info = QuietInfo();
    info.fEmission = 60;
    info.fParticleLifeMin = 0.3f;
    info.fParticleLifeMax = 0.6f;
    info.Spread = Radians(360);
    info.fSpeedMin = 0.5f;
    info.fSpeedMax = 2.0f;
    info.fGravityMin = info.fGravityMax = 30.0f;
    info.fRadialAccelMin = -5.0f;
    info.fRadialAccelMax = 5.0f;
    info.fTangentialAccelMin = info.fTangentialAccelMax = 3.0f;
    auto run = [&info](DWORD start) {
        srand(5);
        VelmoraTest::SetClock(start);
        ParticleSystem ps(&info, 0);
        ps.FireAt(400, 300);
        ps.Update();
        std::vector<std::vector<Particle>> states;
        const DWORD gaps[] = {20, 7, 13, 33, 27};  // 100 ms a round
        for (int i = 0; i < 1000; ++i) {
            Step(ps, 1, gaps[i % 5]);
            if (i % 50 == 0) ps.MoveTo(400.0f + i % 7 * 10.0f, 300.0f);
            states.push_back(Particles(ps));
        }
        return states;
    };
    const auto before = run(100000), across = run(0xFFFFFFFFu - 9999u);
    ASSERT_EQ(before.size(), across.size());
    for (size_t i = 0; i < before.size(); ++i) {
        ASSERT_EQ(before[i].size(), across[i].size()) << "call " << i;
        ASSERT_EQ(std::memcmp(before[i].data(), across[i].data(), before[i].size() * sizeof(Particle)), 0)
            << "call " << i;
    }
}

// A life of 0 (or below, or not a number) would divide the changes by 0: such particles carry
// no changes and die in their first step.
TEST_F(ParticleSystemTest, ParticlesWithoutALifeStayFiniteAndDieAtOnce) {
    for (float life : {0.0f, -1.0f, NAN}) {
        ParticleSystemInfo info = QuietInfo();
        info.EmissionNum = 3;
        info.fParticleLifeMin = info.fParticleLifeMax = life;
        info.fSizeEnd = 9.0f;
        info.dwColorEnd = 0x00102030;
        ParticleSystem ps(&info, 0);
        ps.Fire();
        ps.Update();
        for (int step = 0; step < 5; ++step) {
            Step(ps);
            ASSERT_EQ(ps.GetParticlesAlive(), 3);
            for (const Particle& p : Particles(ps)) {
                EXPECT_EQ(p.fAge, 0.0f) << life;  // each step's are new
                const float* field = &p.x;
                for (size_t f = 0; f < sizeof(Particle) / sizeof(float); ++f)
                    EXPECT_TRUE(std::isfinite(field[f])) << life << " field " << f;
            }
        }
    }
}

}  // namespace
