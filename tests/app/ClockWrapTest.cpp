// The whole engine across the 32-bit wrap of the millisecond clock: a game whose clock starts
// ten seconds before the wrap runs twenty-two seconds through the real main loop, with a timer,
// a delayed message, an animation, an idle texture and a particle system running in it.
#include <algorithm>

#include "support/ResourceFixture.h"

namespace {

constexpr DWORD kBeforeWrap = 10000;
constexpr DWORD kRunTime = 22000;

// Everything the game's frames saw, for the test to check afterwards.
struct Observed {
    std::vector<DWORD> frameTimes;
    std::vector<DWORD> timerFires;
    std::vector<DWORD> messageTimes;
    bool animationRight = true;
    DWORD animationWrongAt = 0;
    bool textureResidentAt12s = false;
    DWORD textureReleasedAt = 0;
    int fewestParticles = ParticleSystem::MAX_PARTICLES;
    int mostParticles = 0;
};

class WrapGame : public CGameApp {
public:
    DWORD t0 = 0;
    DWORD textureHandle = 0;
    CTexture* texture = nullptr;  // looked at without GetTexture, which would mark it used
    CTimer timer{1000};
    CAnimation animation;
    ParticleSystem particles;
    Observed seen;

    void MainLoop() override {
        const DWORD now = timeGetTime();
        const DWORD elapsed = now - t0;
        seen.frameTimes.push_back(m_dwLastFrameTime);  // when the loop started the frame
        if (timer.TimeOut()) seen.timerFires.push_back(elapsed);

        int index = 0;
        CMessage message;
        while (PeekMessageA(index, message, true))
            if (message.m_dwMessage == 42) seen.messageTimes.push_back(elapsed);

        // Four frames of 100 ms, cycling, played from t0 + 100. Time passes while the game
        // reads the clock: the animation sees a moment between the two readings.
        animation.Update();
        const DWORD after = timeGetTime() - t0;
        if (elapsed >= 100) {
            auto frameAt = [](DWORD ms) { return ((ms - 100) / 100) % 4; };
            const DWORD current = animation.GetCurrentFrame();
            if (current != frameAt(elapsed) && current != frameAt(after) && seen.animationRight) {
                seen.animationRight = false;
                seen.animationWrongAt = elapsed;
            }
        }

        // The texture is used for eight seconds, then left idle; the manager sweeps each frame.
        CTextureManager* textures = GetTextureManager();
        if (elapsed < 8000) textures->GetTexture(textureHandle);
        textures->Update();
        if (elapsed >= 12000 && elapsed < 12100 && texture && !texture->IsRelease()) seen.textureResidentAt12s = true;
        if (!seen.textureReleasedAt && texture && texture->IsRelease()) seen.textureReleasedAt = elapsed;

        particles.Update();
        if (elapsed >= 1000) {
            seen.fewestParticles = std::min(seen.fewestParticles, particles.GetParticlesAlive());
            seen.mostParticles = std::max(seen.mostParticles, particles.GetParticlesAlive());
        }
        if (elapsed >= kRunTime) PostQuitMessage(0);
    }
};

class ClockWrapTest : public ResourceTest {};

TEST_F(ClockWrapTest, EveryTimedPartOfTheEngineRunsOnAcrossTheWrap) {
    WriteAmf("spin.amf", {MakePicture(4, 4, 1), MakePicture(4, 4, 2), MakePicture(4, 4, 3), MakePicture(4, 4, 4)}, 100);
    WritePng("idle.png", MakePicture(8, 8, 5));

    WrapGame wrap;  // the application object in charge of the frames from here
    ASSERT_EQ(GetMainApp(), &wrap);
    wrap.SetFPS(50);
    VelmoraTest::SetClockTickEveryReads(3);  // time passes while the loop polls

    ASSERT_TRUE(wrap.animation.LoadFromFile("spin.amf", MEM_AUTO));
    wrap.animation.SetLoopType(LOOP_CYCLE);
    wrap.textureHandle = textures->LoadTexture("idle.png", MEM_AUTO, 1);
    wrap.texture = textures->GetTexture(wrap.textureHandle);
    ASSERT_NE(wrap.texture, nullptr);
    ParticleSystemInfo info{};
    info.EmissionNum = 10;
    info.fLifetime = -1.0f;  // for ever
    info.fParticleLifeMin = info.fParticleLifeMax = 0.5f;
    info.fSizeStart = info.fSizeEnd = 2.0f;
    info.dwColorStart = info.dwColorEnd = 0xFFFFFFFF;
    wrap.particles.SetSystem(&info, 0);

    const DWORD t0 = 0u - kBeforeWrap;
    VelmoraTest::SetClock(t0);
    wrap.t0 = t0;
    wrap.timer.ReStart();
    CMessage delayed(42, 0, 0);
    delayed.SetDelay(12000);  // comes due two seconds after the wrap
    PostMessageA(delayed);
    VelmoraTest::SetClock(t0 + 100);
    wrap.animation.Play();
    VelmoraTest::SetClock(t0);
    wrap.particles.FireAt(20, 20);

    // The window still belongs to the fixture's game; this one only runs the loop.
    wrap.Run();

    const Observed& seen = wrap.seen;
    ASSERT_GT(seen.frameTimes.size(), 1000u);
    // Frames keep their pace through the wrap: 20 ms apart, never two in one millisecond.
    DWORD longest = 0, shortest = 0xFFFFFFFF;
    for (size_t i = 1; i < seen.frameTimes.size(); ++i) {
        const DWORD gap = seen.frameTimes[i] - seen.frameTimes[i - 1];
        longest = std::max(longest, gap);
        shortest = std::min(shortest, gap);
    }
    EXPECT_GE(shortest, 20u);
    EXPECT_LE(longest, 22u);

    // The timer fires every second (each period starts when the last one is seen to end).
    ASSERT_GE(seen.timerFires.size(), 21u);
    EXPECT_GE(seen.timerFires[0], 1000u);
    for (size_t i = 1; i < seen.timerFires.size(); ++i) {
        EXPECT_GE(seen.timerFires[i] - seen.timerFires[i - 1], 1000u) << i;
        EXPECT_LT(seen.timerFires[i] - seen.timerFires[i - 1], 1025u) << i;
    }

    // The delayed message arrives once, in the first frame after it comes due.
    ASSERT_EQ(seen.messageTimes.size(), 1u);
    EXPECT_GE(seen.messageTimes[0], 12000u);
    EXPECT_LT(seen.messageTimes[0], 12025u);

    EXPECT_TRUE(seen.animationRight) << "wrong frame at +" << seen.animationWrongAt << " ms";

    // Idle for more than 5 s, released by the next sweep (at most 3 s later), not before.
    EXPECT_TRUE(seen.textureResidentAt12s);
    EXPECT_GT(seen.textureReleasedAt, 13000u);
    EXPECT_LE(seen.textureReleasedAt, 16100u);

    // Ten particles stay alive throughout.
    EXPECT_EQ(seen.fewestParticles, 10);
    EXPECT_EQ(seen.mostParticles, 10);
}

}  // namespace
