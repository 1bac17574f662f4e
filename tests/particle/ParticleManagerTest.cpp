// ParticleManager on the manual clock: the full table, systems removed when they die out,
// removal order, and the clock's wrap.
#include "particle/ParticleFixture.h"

namespace {

class ParticleManagerTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        srand(1);
        // Emits for 0.5 s; its particles live 0.9 to 1 s.
        WriteFx("burst.ini", {{"fEmission", "50"},
                              {"fLifetime", "0.5"},
                              {"fParticleLifeMin", "0.9"},
                              {"fParticleLifeMax", "1.0"},
                              {"fSpeedMin", "1"},
                              {"fSpeedMax", "2"},
                              {"Spread", "360"}});
        WriteFx("forever.ini", {{"EmissionNum", "3"}, {"fLifetime", "-1"}, {"fParticleLifeMin", "0.1"}});
    }
    // Updates every 20 ms until `ps` is gone; the milliseconds since the first call, or 0.
    static DWORD MillisecondsUntilGone(ParticleManager& manager, const ParticleSystem* ps, DWORD limit) {
        const DWORD start = VelmoraTest::GetClock();
        while (VelmoraTest::GetClock() - start < limit) {
            manager.Update();
            if (!manager.IsPSAlive(ps)) return VelmoraTest::GetClock() - start;
            VelmoraTest::AdvanceClock(20);
        }
        return 0;
    }
};

TEST_F(ParticleManagerTest, HoldsAHundredSystems) {
    ParticleManager manager;
    std::set<ParticleSystem*> held;
    for (int i = 0; i < 100; ++i) held.insert(manager.AddPS("forever.ini"));
    EXPECT_EQ(held.size(), 100u);
    EXPECT_EQ(held.count(nullptr), 0u);
    EXPECT_EQ(manager.AddPS("forever.ini"), nullptr);
    EXPECT_EQ(manager.GetPSCount(), 100);
    for (ParticleSystem* ps : held) EXPECT_EQ(ps->GetAge(), -1.0f);  // fired

    // The stored transposition stays with the manager.
    manager.Transpose(5, -6);
    float x = 0, y = 0;
    manager.GetTransposition(&x, &y);
    EXPECT_EQ(x, 5.0f);
    EXPECT_EQ(y, -6.0f);
    (*held.begin())->GetTransposition(&x, &y);
    EXPECT_EQ(x, 0.0f);
    EXPECT_EQ(y, 0.0f);

    manager.RemoveAll();
    EXPECT_EQ(manager.GetPSCount(), 0);
    EXPECT_NE(manager.AddPS("forever.ini"), nullptr);
}

TEST_F(ParticleManagerTest, ASystemIsGoneWhenItHasDiedOut) {
    ParticleManager manager;
    ParticleSystem* burst = manager.AddPS("burst.ini");
    ParticleSystem* forever = manager.AddPS("forever.ini");
    ASSERT_TRUE(burst && forever);
    const DWORD gone = MillisecondsUntilGone(manager, burst, 3000);
    // It stops emitting after 0.5 s; its last particles die within 1 s of that.
    EXPECT_GE(gone, 1400u);
    EXPECT_LE(gone, 1560u);
    EXPECT_FALSE(manager.IsPSAlive(burst));
    EXPECT_TRUE(manager.IsPSAlive(forever));
    EXPECT_EQ(manager.GetPS(0), forever);

    // A missing file still gives a system; it emits nothing and goes with its first step.
    ParticleSystem* empty = manager.AddPS("missing.ini");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(MillisecondsUntilGone(manager, empty, 1000), 20u);
    EXPECT_EQ(VelmoraTest::TakeMessageBoxes().size(), 0u);  // no log: nothing shown
}

TEST_F(ParticleManagerTest, RemovalMovesTheLastSystemIntoTheFreedPlace) {
    for (bool diesOut : {false, true}) {
        ParticleManager manager;
        ParticleSystem* a = manager.AddPS(diesOut ? "missing.ini" : "forever.ini");
        ParticleSystem* b = manager.AddPS("forever.ini");
        ParticleSystem* c = manager.AddPS("forever.ini");
        ParticleSystem stranger;
        manager.RemovePS(&stranger);
        manager.RemovePS(nullptr);
        ASSERT_EQ(manager.GetPSCount(), 3);
        EXPECT_TRUE(manager.GetPS(0) == a && manager.GetPS(1) == b && manager.GetPS(2) == c);
        if (diesOut) {
            manager.Update();
            VelmoraTest::AdvanceClock(20);
            manager.Update();
        } else {
            manager.RemovePS(a);
        }
        ASSERT_EQ(manager.GetPSCount(), 2) << diesOut;
        EXPECT_FALSE(manager.IsPSAlive(a));
        EXPECT_TRUE(manager.GetPS(0) == c && manager.GetPS(1) == b) << diesOut;
    }
}

// Started 10 s before the 32-bit clock wraps, the manager removes the system at the same
// moment as one started anywhere else.
TEST_F(ParticleManagerTest, SameAcrossTheClocksWrap) {
    auto run = [](DWORD start) {
        srand(3);
        VelmoraTest::SetClock(start);
        ParticleManager manager;
        ParticleSystem* burst = manager.AddPS("burst.ini");
        std::vector<int> alive;
        for (int i = 0; i < 600; ++i) {  // 12 s, across the wrap
            manager.Update();
            alive.push_back(manager.IsPSAlive(burst) ? burst->GetParticlesAlive() : -1);
            VelmoraTest::AdvanceClock(20);
            if (i == 400) burst = manager.AddPS("burst.ini");  // fired 2 s before the wrap
        }
        return alive;
    };
    const std::vector<int> before = run(100000), across = run(0xFFFFFFFFu - 9999u);
    EXPECT_EQ(before, across);
    EXPECT_EQ(before.back(), -1);
}

}  // namespace
