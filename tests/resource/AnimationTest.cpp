// CAnimation and C2DFrame on the manual clock with real frame sets.
#include "support/ResourceFixture.h"

namespace {

class AnimationTest : public ResourceTest {
protected:
    void SetUp() override {
        ResourceTest::SetUp();
        std::vector<Picture> pictures;
        for (DWORD i = 0; i < 4; ++i) pictures.push_back(MakePicture(4, 2, i + 1));
        WriteAmf("four.amf", pictures, 100);
        WriteAmf("three.amf", {pictures[0], pictures[1], pictures[2]}, 100);
    }
    // The frames shown at each of `updates` consecutive periods after Play.
    static std::vector<DWORD> Sequence(CAnimation& a, int updates) {
        std::vector<DWORD> shown;
        a.Play();
        for (int i = 0; i < updates; ++i) {
            a.Update();
            shown.push_back(a.GetCurrentFrame());
            VelmoraTest::AdvanceClock(100);
        }
        return shown;
    }
};

TEST_F(AnimationTest, LoadCopiesTheDescription) {
    CAnimation a;
    ASSERT_TRUE(a.LoadFromFile("four.amf", MEM_AUTO));
    EXPECT_EQ(a.GetFrameCount(), 4u);
    EXPECT_EQ(a.GetDelay(), 100u);
    EXPECT_EQ(a.GetWidth(), 4);
    EXPECT_EQ(a.GetHeight(), 2);
    EXPECT_EQ(a.GetState(), ANI_STOP);
    EXPECT_FALSE(a.LoadFromFile("missing.amf", MEM_AUTO));
    EXPECT_EQ(a.GetFrameCount(), 0u);  // the old set was given up first
    EXPECT_FALSE(a.LoadFromFile("", MEM_AUTO));
    EXPECT_FALSE(a.LoadFromFrame(nullptr));
    auto errors = Errors();
    ASSERT_GE(errors.size(), 3u);
    EXPECT_EQ(errors[errors.size() - 2], "Invalidate parameter!");
    EXPECT_NE(std::find(errors.begin(), errors.end(), "Load Animation Error!"), errors.end());
}

TEST_F(AnimationTest, LoopSequences) {
    struct Case {
        const char* file;
        LOOP_TYPE loop;
        std::vector<DWORD> frames;
    };
    const Case cases[] = {
        {"four.amf", LOOP_CYCLE, {0, 1, 2, 3, 0, 1, 2, 3, 0}},
        {"four.amf", LOOP_PINGPONG, {0, 1, 2, 3, 2, 1, 0, 1, 2}},
        {"three.amf", LOOP_ONCE, {0, 1, 2, 2, 2}},
    };
    for (const Case& c : cases) {
        CAnimation a;
        ASSERT_TRUE(a.LoadFromFile(c.file, MEM_STATIC));
        a.SetLoopType(c.loop);
        EXPECT_EQ(Sequence(a, int(c.frames.size())), c.frames) << c.loop;
    }
}

TEST_F(AnimationTest, OnceStopsAndHidesWhenTheSequenceWraps) {
    CAnimation a;
    ASSERT_TRUE(a.LoadFromFile("three.amf", MEM_STATIC));
    a.SetLoopType(LOOP_ONCE);
    Sequence(a, 3);  // frames 0, 1, 2; the clock is now at the wrap
    a.Update();
    EXPECT_EQ(a.GetState(), ANI_STOP);
    EXPECT_FALSE(a.IsVisual());
    EXPECT_EQ(a.GetCurrentFrame(), 2u);
    a.Play();  // still on the last frame: stops again at the next update
    VelmoraTest::AdvanceClock(100);
    a.Update();
    EXPECT_EQ(a.GetState(), ANI_STOP);
    a.Replay();
    a.Update();
    EXPECT_EQ(a.GetState(), ANI_PLAY);
    EXPECT_EQ(a.GetCurrentFrame(), 0u);
}

TEST_F(AnimationTest, CycleTimingPauseAndDelayZero) {
    CAnimation a;
    ASSERT_TRUE(a.LoadFromFile("four.amf", MEM_STATIC));
    a.Play();
    VelmoraTest::AdvanceClock(250);
    a.Update();
    EXPECT_EQ(a.GetCurrentFrame(), 2u);
    VelmoraTest::AdvanceClock(280);  // 530 ms
    a.Update();
    EXPECT_EQ(a.GetCurrentFrame(), 1u);
    a.Pause();
    VelmoraTest::AdvanceClock(2000);
    a.Update();
    EXPECT_EQ(a.GetCurrentFrame(), 1u);
    a.Play();  // the paused span is skipped
    a.Update();
    EXPECT_EQ(a.GetCurrentFrame(), 1u);
    VelmoraTest::AdvanceClock(100);
    a.Update();
    EXPECT_EQ(a.GetCurrentFrame(), 2u);
    a.SetDelay(0);
    VelmoraTest::AdvanceClock(1000);
    a.Update();
    EXPECT_EQ(a.GetCurrentFrame(), 2u);
    a.SetCurrentFrame(10);
    EXPECT_EQ(a.GetCurrentFrame(), 2u);
    a.Stop();
    EXPECT_EQ(a.GetCurrentFrame(), 0u);
}

TEST_F(AnimationTest, SharedFrameSetsAndCopies) {
    CAnimation first;
    ASSERT_TRUE(first.LoadFromFile("four.amf", MEM_AUTO));
    {
        CAnimation second;
        ASSERT_TRUE(second.LoadFromFile("four.amf", MEM_AUTO));
        CAnimation copy(second);  // shares with a reference of its own
        second.Release();
        EXPECT_EQ(copy.GetFrameCount(), 4u);
    }
    EXPECT_EQ(first.GetFrameCount(), 4u);
    DWORD before = 0;
    {
        CAnimation assigned;
        assigned = first;
        before = assigned.GetFrameCount();
    }
    EXPECT_EQ(before, 4u);
    // The set is still there for the first animation: drawing it needs its texture.
    first.Play();
    GetGraphics()->BeginScene();
    first.Render();
    GetGraphics()->EndScene();
    CFrames* set = new CFrames();
    ASSERT_TRUE(set->LoadFrame("three.amf"));
    CAnimation inserted;
    ASSERT_TRUE(inserted.LoadFromFrame(set));  // the manager now owns the set
    EXPECT_EQ(inserted.GetFrameCount(), 3u);
    EXPECT_TRUE(inserted.LoadFromFrame(set));  // the same set again: nothing changes
}

TEST_F(AnimationTest, StillFrameLoadsDrawsAndShares) {
    WritePng("still.png", MakePicture(4, 4, 9));
    C2DFrame frame;
    EXPECT_FALSE(frame.Load("missing.png"));
    ASSERT_TRUE(frame.Load("still.png"));
    frame.SetPosition(3, 4);
    frame.SetScale(2.0f, 2.0f);
    {
        C2DFrame copy(frame);
        C2DFrame assigned;
        assigned = frame;
    }
    ASSERT_NE(textures->GetTexture(frame.GetHandle()), nullptr);  // the copies released only their own
    GetGraphics()->BeginScene();
    frame.Render();
    GetGraphics()->EndScene();
}

}  // namespace
