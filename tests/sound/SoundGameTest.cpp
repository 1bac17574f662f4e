// The sound manager in a started game: made by start-up after the message queue and gone
// after Destroy, its end messages in the main queue, sound suspended with the application,
// a machine without a sound device, and a device that goes away and comes back.
#include "SoundFixture.h"

namespace {

using namespace sound;

TEST_F(SoundGameTest, EndMessagesCarryTheVoiceItsSoundAndWhy) {
    WriteSound("short.wav", 22050, 2205, Sine(441, 22050));  // 100 ms
    WriteTones("track.wav", 24000, {300}, 0.25);
    const DWORD sound = manager->LoadSound("short.wav");
    manager->SetMaxVoices(2);
    const DWORD first = manager->Play(sound), second = manager->Play(sound);
    const DWORD third = manager->Play(sound, 100, 0, true);  // takes the first voice's place
    const DWORD stopped = manager->Play(sound);              // and this one the second's
    manager->Stop(stopped);                                  // which posts nothing
    ASSERT_TRUE(manager->PlayMusic("track.wav", false));
    AdvanceMs(99);
    std::vector<CMessage> ends = Take(MSG_SOUND_END);
    ASSERT_EQ(ends.size(), 2u);
    EXPECT_EQ(ends[0].m_dwSourceID, first);
    EXPECT_EQ(ends[1].m_dwSourceID, second);
    for (const CMessage& m : ends) {
        EXPECT_EQ(m.m_dwParam1, sound);
        EXPECT_EQ(m.m_dwParam2, DWORD(SOUND_END_STOLEN));
    }
    manager->Stop(third);
    const DWORD last = manager->Play(sound);
    AdvanceMs(100);  // posted by the frame's update once its time is up
    ends = Take(MSG_SOUND_END);
    ASSERT_EQ(ends.size(), 1u);
    EXPECT_EQ(ends[0].m_dwSourceID, last);
    EXPECT_EQ(ends[0].m_dwParam2, DWORD(SOUND_END_FINISHED));
    EXPECT_TRUE(Take(MSG_MUSIC_END).empty());
    AdvanceMs(60);
    EXPECT_EQ(Take(MSG_MUSIC_END).size(), 1u);
    AdvanceMs(1000);
    EXPECT_TRUE(Take(MSG_MUSIC_END).empty());
    EXPECT_TRUE(Take(MSG_SOUND_END).empty());
}

class SuspensionTest : public EngineTest {
protected:
    void TearDown() override {
        game.Destroy();
        if (game.GetWndHandle()) DestroyWindow(game.GetWndHandle());
        EngineTest::TearDown();
    }
    CGameApp game;
};

TEST_F(SuspensionTest, SoundStandsStillWhileTheApplicationIsSuspended) {
    WriteSound("second.wav", 22050, 22050, Sine(441, 22050));  // one second
    for (bool keepRunning : {false, true}) {
        SCOPED_TRACE(keepRunning ? "SetNotSuspend(true)" : "suspended when inactive");
        game.SetNotSuspend(keepRunning);
        game.SetFPS(60);
        if (!GetSoundManager()) {
            ASSERT_EQ(game.InitApplication(nullptr, SW_SHOW, "suspend", nullptr), 1);
        }
        VelmoraTest::SetClockTickEveryReads(3);
        CSoundManager* sound = GetSoundManager();
        const HWND hwnd = game.GetWndHandle();
        const DWORD start = VelmoraTest::GetClock();
        DWORD voice = 0;
        bool suspendedWhileAway = false, playingAfter = true, playingLater = true;
        VelmoraTest::InjectAt(start + 10, [&] {
            voice = sound->Play(sound->LoadSound("second.wav"));
            VelmoraTest::InjectFocus(hwnd, false);
        });
        VelmoraTest::InjectAt(start + 3010, [&] {
            suspendedWhileAway = sound->IsSuspended();
            VelmoraTest::InjectFocus(hwnd, true);
        });
        VelmoraTest::InjectAt(start + 3300, [&] { playingAfter = sound->IsPlaying(voice); });
        VelmoraTest::InjectAt(start + 4500, [&] {
            playingLater = sound->IsPlaying(voice);
            PostQuitMessage(0);
        });
        game.Run();
        EXPECT_EQ(suspendedWhileAway, !keepRunning);
        EXPECT_FALSE(sound->IsSuspended());
        // Suspended, the voice's second is counted from the return: it plays on after 3 s.
        EXPECT_EQ(playingAfter, !keepRunning);
        EXPECT_FALSE(playingLater);
    }
}

TEST_F(EngineTest, StartUpMakesTheSoundSystemAndDestroyTakesItDown) {
    CGameApp game;
    game.SetDLLFileLog(true);
    ASSERT_EQ(game.InitApplication(nullptr, SW_SHOW, "sound", nullptr), 1);
    ASSERT_NE(GetSoundManager(), nullptr);
    EXPECT_TRUE(GetSoundManager()->HasDevice());
    game.Destroy();
    DestroyWindow(game.GetWndHandle());
    EXPECT_EQ(GetSoundManager(), nullptr);
    const std::string log = ReadFile("VLMLog.html");
    const size_t messages = log.find("]Create Main Message System...</font>");
    const size_t sound = log.find("]Create Sound System...</font>");
    const size_t gui = log.find("]Create GUI System...</font>");
    ASSERT_NE(sound, std::string::npos);
    EXPECT_LT(messages, sound);
    EXPECT_LT(sound, gui);
}

TEST_F(EngineTest, WithoutASoundDeviceTheGamePlaysTheSameSilently) {
    VelmoraTest::UseManualAudio(false);
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    WriteSound("short.wav", 22050, 2205, Sine(441, 22050));
    WriteTones("track.wav", 24000, {300}, 0.25);
    CGameApp game;
    const int started = game.InitApplication(nullptr, SW_SHOW, "silent", nullptr);
    unsetenv("SDL_AUDIODRIVER");
    ASSERT_EQ(started, 1);
    CSoundManager* manager = GetSoundManager();
    ASSERT_NE(manager, nullptr);
    EXPECT_FALSE(manager->HasDevice());
    const std::string log = VelmoraTest::TakeDebugOutput();
    EXPECT_NE(log.find("No sound device, the game runs silent!"), std::string::npos) << log;

    const DWORD sound = manager->LoadSound("short.wav");
    EXPECT_NE(sound, 0u);
    EXPECT_EQ(manager->GetSound(sound)->GetFrames(), 2205u);
    const DWORD voice = manager->Play(sound);
    EXPECT_NE(voice, 0u);
    EXPECT_TRUE(manager->PlayMusic("track.wav", false));
    MixClock clock;
    clock.AdvanceMs(manager, 99);
    EXPECT_TRUE(manager->IsPlaying(voice));
    clock.AdvanceMs(manager, 200);
    EXPECT_FALSE(manager->IsPlaying(voice));
    EXPECT_FALSE(manager->IsMusicPlaying());
    int index = 0, soundEnds = 0, musicEnds = 0;
    CMessage message;
    while (PeekMessageA(index, message, true)) {
        soundEnds += message.m_dwMessage == MSG_SOUND_END;
        musicEnds += message.m_dwMessage == MSG_MUSIC_END;
    }
    EXPECT_EQ(soundEnds, 1);
    EXPECT_EQ(musicEnds, 1);
    game.Destroy();
    DestroyWindow(game.GetWndHandle());
}

TEST_F(SoundGameTest, SoundComesBackWithTheDevice) {
    WriteSound("loop.wav", 22050, 2200, Sine(441, 22050));
    WriteTones("track.wav", 24000, {800}, 1.0);
    manager->Play(manager->LoadSound("loop.wav"), 50, 0, true);
    ASSERT_TRUE(manager->PlayMusic("track.wav"));
    AdvanceMs(100);
    VelmoraTest::LoseAudioDevice();
    AdvanceMs(100);  // the frame's update restores what was lost and plays it on
    const Stereo mix = AdvanceMs(100);
    EXPECT_NEAR(LevelAt(mix, 441, At(5), At(95)), 0.25, 0.01);
    EXPECT_NEAR(LevelAt(mix, 800, At(5), At(95)), 0.5, 0.01);
    // A sound played after the loss is heard too.
    WriteSound("beep.wav", 24000, 24000, Sine(600, 24000));
    manager->Play(manager->LoadSound("beep.wav"), 50);
    EXPECT_NEAR(LevelAt(AdvanceMs(100), 600, At(5), At(95)), 0.25, 0.01);
}

}  // namespace
