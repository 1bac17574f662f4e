// The sound manager's sounds: handles shared by name with reference counts, caller-chosen
// handles, list files, idle MEM_AUTO sounds released and reloaded, Windows paths, and bad
// files, handles and arguments.
#include <filesystem>

#include "SoundFixture.h"

namespace {

using namespace sound;

class SoundManagerTest : public SoundTest {
protected:
    void SetUp() override {
        SoundTest::SetUp();
        WriteSound("tone.wav", 22050, 22050, Sine(441, 22050));
        std::filesystem::create_directories("sounds");
        WriteSound("sounds/beep.wav", 24000, 2400, Sine(800, 24000));
    }

    // What the log reported since the last call: warnings reach the debugger output, errors
    // a message box.
    static std::string Log() {
        std::string text = VelmoraTest::TakeDebugOutput();
        for (const auto& box : VelmoraTest::TakeMessageBoxes()) text += box.text + "\n";
        return text;
    }
};

TEST_F(SoundManagerTest, LoadsWithoutAHandleShareByNameAndCountReferences) {
    const DWORD a = manager->LoadSound("tone.wav");
    EXPECT_GT(a, 5000u);
    EXPECT_EQ(manager->LoadSound("tone.wav"), a);
    EXPECT_EQ(manager->LoadSoundDesc("tone.wav"), a);
    CSound* sound = manager->GetSound(a);
    ASSERT_NE(sound, nullptr);
    EXPECT_EQ(sound->GetFrames(), 22050u);
    EXPECT_EQ(sound->GetLength(), 1000u);
    EXPECT_EQ(sound->GetFormat().nSamplesPerSec, 22050u);
    const DWORD b = manager->LoadSound("sounds/beep.wav");
    EXPECT_GT(b, a);
    manager->ReleaseSound(a);
    manager->ReleaseSound(a);
    EXPECT_NE(manager->GetSound(a), nullptr);
    manager->ReleaseSound(a);
    EXPECT_EQ(manager->GetSound(a), nullptr);
    EXPECT_EQ(manager->Play(a), 0u);
    EXPECT_GT(manager->LoadSound("tone.wav"), b);  // handles are not used again

    // A sound's voices play on after its last reference goes; destroying it stops them.
    const DWORD beep = manager->Play(b, 100, 0, true);
    manager->ReleaseSound(b);
    EXPECT_NEAR(LevelAt(AdvanceMs(50), 800, At(5), At(45)), 0.5, 0.01);
    EXPECT_TRUE(manager->IsPlaying(beep));
    const DWORD c = manager->LoadSound("sounds/beep.wav");
    const DWORD again = manager->Play(c, 100, 0, true);
    manager->DestroySound(c);
    EXPECT_FALSE(manager->IsPlaying(again));
    EXPECT_NEAR(LevelAt(AdvanceMs(50), 800, At(5), At(45)), 0.5, 0.01);  // the first voice alone

    // The free functions work on the engine's manager, which a game without a start-up lacks.
    EXPECT_EQ(LoadSound("tone.wav"), 0u);
    ReleaseSound(a);
}

TEST_F(SoundManagerTest, CallerHandlesAreTheCallersOwn) {
    EXPECT_TRUE(manager->LoadSound(7, "tone.wav"));
    EXPECT_TRUE(manager->LoadSoundDesc(8, "tone.wav"));
    EXPECT_TRUE(manager->LoadSound(5000, "tone.wav", MEM_STATIC));
    const DWORD shared = manager->LoadSound("tone.wav");  // never shared with a caller's handle
    EXPECT_GT(shared, 5000u);
    Log();
    EXPECT_FALSE(manager->LoadSound(7, "sounds/beep.wav"));
    EXPECT_NE(Log().find("Sound Handle has been used![sounds/beep.wav]"), std::string::npos);
    for (DWORD handle : {0u, 5001u}) {
        EXPECT_FALSE(manager->LoadSound(handle, "tone.wav")) << handle;
        EXPECT_NE(Log().find("Invalidate parameter!"), std::string::npos) << handle;
    }
    EXPECT_FALSE(manager->LoadSound(9, ""));
    EXPECT_FALSE(manager->LoadSound(9, nullptr));
    EXPECT_EQ(manager->GetSound(9), nullptr);
    EXPECT_TRUE(manager->GetSound(8)->IsRelease());  // only described
    EXPECT_NE(manager->Play(8), 0u);                 // decoded by its first play
    EXPECT_FALSE(manager->GetSound(8)->IsRelease());
    EXPECT_EQ(manager->GetSound(5000)->GetMemMode(), MEM_STATIC);
}

TEST_F(SoundManagerTest, ListFilesLoadUnderTheirHandles) {
    WriteFile("sounds.lst",
              "Sounds of the test. Fields: handle, resident, description only, file.\n"
              "#1 1 0 tone.wav\n"
              "#2 0 1 tone.wav\r\n"
              "#3\t0  0 Sounds\\BEEP.wav\n"
              "# 4 0 0 missing.wav\n"
              "#5 0\n"
              "#1 0 0 sounds/beep.wav\n"
              "free text is ignored, # only counts at the start\n"
              "#6 0 0 sounds/beep.wav\n");
    Log();
    EXPECT_TRUE(manager->BatchLoad("sounds.lst"));
    const std::string log = Log();
    ASSERT_NE(manager->GetSound(1), nullptr);
    EXPECT_EQ(manager->GetSound(1)->GetMemMode(), MEM_STATIC);
    EXPECT_FALSE(manager->GetSound(1)->IsRelease());
    EXPECT_TRUE(manager->GetSound(2)->IsRelease());
    EXPECT_EQ(manager->GetSound(2)->GetMemMode(), MEM_AUTO);
    // A Windows path: backslashes and any case find sounds/beep.wav.
    ASSERT_NE(manager->GetSound(3), nullptr);
    EXPECT_EQ(manager->GetSound(3)->GetFrames(), 2400u);
    EXPECT_EQ(manager->GetSound(4), nullptr);
    EXPECT_NE(log.find("Can't load sound file[missing.wav]!"), std::string::npos) << log;
    EXPECT_NE(log.find("Bad record in list file[sounds.lst]!"), std::string::npos) << log;
    EXPECT_NE(log.find("Sound Handle has been used![sounds/beep.wav]"), std::string::npos) << log;
    EXPECT_NE(manager->GetSound(6), nullptr);
    EXPECT_NEAR(LevelAt((manager->Play(3), AdvanceMs(50)), 800, At(5), At(45)), 0.5, 0.01);

    EXPECT_FALSE(manager->BatchLoad("missing.lst"));
    EXPECT_NE(Log().find("Can't open file[missing.lst]!"), std::string::npos);
    EXPECT_FALSE(manager->BatchLoad(""));
    EXPECT_FALSE(manager->BatchLoad(nullptr));
}

TEST_F(SoundManagerTest, IdleSoundsLoseTheirSamplesAndGetThemBackOnTheirNextPlay) {
    const DWORD idle = manager->LoadSound("tone.wav");
    const DWORD resident = manager->LoadSound("sounds/beep.wav", MEM_STATIC);
    WriteSound("loop.wav", 24000, 2400, Sine(300, 24000));
    const DWORD looping = manager->LoadSound("loop.wav");
    manager->Play(looping, 100, 0, true);
    CSound* sound = manager->GetSound(idle);  // (a look-up counts as a use)
    AdvanceMs(4900);
    EXPECT_FALSE(sound->IsRelease());
    AdvanceMs(3200);  // more than 5 s idle, and a sweep since
    EXPECT_TRUE(sound->IsRelease());
    EXPECT_EQ(sound->GetBuffer(), nullptr);
    EXPECT_EQ(sound->GetFrames(), 22050u);  // the description stays
    EXPECT_FALSE(manager->GetSound(resident)->IsRelease());
    EXPECT_FALSE(manager->GetSound(looping)->IsRelease());  // in use while it plays

    const DWORD voice = manager->Play(idle);
    EXPECT_NE(voice, 0u);
    EXPECT_FALSE(sound->IsRelease());
    EXPECT_NEAR(LevelAt(AdvanceMs(100), 441, At(5), At(95)), 0.5, 0.01);
}

TEST_F(SoundManagerTest, BadFilesHandlesAndArgumentsAreRefused) {
    WriteFile("junk.wav", std::string(600, 'x'));
    WriteFile("empty.ogg", "");
    std::string wav = ReadFile("tone.wav");
    WriteFile("cut.wav", wav.substr(0, wav.size() / 2));  // the header promises more
    Log();
    for (const char* file : {"missing.wav", "junk.wav", "empty.ogg", "cut.wav"}) {
        EXPECT_EQ(manager->LoadSound(file), 0u) << file;
        EXPECT_NE(Log().find(std::string("Can't load sound file[") + file + "]!"), std::string::npos) << file;
    }
    EXPECT_EQ(manager->LoadSound(""), 0u);
    EXPECT_EQ(manager->LoadSound(nullptr), 0u);
    EXPECT_FALSE(manager->PlayMusic("junk.wav"));
    EXPECT_NE(Log().find("Can't load music file[junk.wav]!"), std::string::npos);
    EXPECT_FALSE(manager->PlayMusic(nullptr));
    EXPECT_FALSE(manager->IsMusicPlaying());

    for (DWORD handle : {0u, 7u, 123456u}) EXPECT_EQ(manager->Play(handle), 0u) << handle;
    for (DWORD voice : {0u, 99u}) {
        EXPECT_FALSE(manager->IsPlaying(voice));
        EXPECT_FALSE(manager->SetVoiceVolume(voice, 50));
        EXPECT_FALSE(manager->SetVoicePan(voice, 50));
        EXPECT_FALSE(manager->SetVoicePitch(voice, 2));
        manager->Stop(voice);
    }
    const DWORD voice = manager->Play(manager->LoadSound("tone.wav"));
    EXPECT_FALSE(manager->SetVoicePitch(voice, std::nanf("")));
    EXPECT_TRUE(manager->SetVoicePitch(voice, 1e9f));  // held to what the device takes
    EXPECT_FALSE(manager->SetMusicLoop(0, 0));         // no track

    manager->SetVolume(SOUND_MASTER, 150);
    EXPECT_EQ(manager->GetVolume(SOUND_MASTER), 100);
    manager->SetVolume(SOUND_MUSIC, -5);
    EXPECT_EQ(manager->GetVolume(SOUND_MUSIC), 0);
    manager->SetVolume(SoundCategory(7), 50);
    EXPECT_NE(Log().find("Invalidate parameter!"), std::string::npos);
    manager->SetMaxVoices(0);
    EXPECT_EQ(manager->GetMaxVoices(), 1);
    manager->SetMaxVoices(100000);
    EXPECT_EQ(manager->GetMaxVoices(), CSoundManager::kMostVoices);
}

}  // namespace
