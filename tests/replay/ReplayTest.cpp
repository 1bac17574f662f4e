// Recording and replay on the real engine: a game driven by injected input (keys, pointer,
// buttons, a pad, focus, the close box) recorded, then replayed to the same state, checkpoints
// and last picture; what a replay finds (a changed asset, another game or engine version, a game
// that draws or reads differently, a file cut short), live input during a replay, the file
// written as the game runs, and a game with sound replayed on a machine with another device.
#include <sys/stat.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <vector>

#include <velmora/platform/d3dx9/ImageCodec.h>
#include <velmora/platform/dsound/SoundFile.h>
#include <velmora/platform/replay/ReplayFile.h>

#include "support/EngineTest.h"

namespace {

constexpr DWORD kPing = 0x7001;

// A game that folds everything it gets from the engine into one number: the clock, the input
// snapshot, the pads, its own delayed messages and the random numbers.
class ReplayGame : public CGameApp {
public:
    uint64_t digest = 0xCBF29CE484222325ull;
    int frames = 0;
    int pings = 0;
    int variant = 0;     // 1: draws its dot red; 2: reads the clock once more a frame
    bool sound = false;  // plays a short beep every few frames, and asks whether it plays
    std::function<void(ReplayGame&)> onFrame;

    bool Load() {
        // Seeded from the time of day, as games do: a replay must get the same numbers anyway.
        srand(static_cast<unsigned>(time(nullptr)));
        m_hDot = LoadTexture("art/dot.png");
        if (sound) {
            m_hBeep = GetSoundManager()->LoadSound("beep.wav");
            if (!m_hBeep) return false;
        }
        return m_hDot != 0;
    }

    void MainLoop() override {
        ++frames;
        Fold(timeGetTime());
        const stInputInfo in = GetInputInfo();
        Fold(in.dwKey), Fold(in.dwMouse), Fold(DWORD(in.ptCursor.x)), Fold(DWORD(in.ptCursor.y));
        for (int p = 0; p < MAX_PADS; ++p) {
            const stPadInfo* pad = GetPadInfo(p);
            if (pad && pad->bConnected) Fold(pad->dwButtons), Fold(DWORD(pad->fAxis[PAD_AXIS_LEFT_X] * 1000));
        }
        if (in.dwKey == DIK_SPACE) {
            CMessage ping(kPing, 0, 0);
            ping.SetDelay(250);
            PostMessageA(ping);
        }
        if (sound) {
            CSoundManager* sounds = GetSoundManager();
            Fold(sounds->HasDevice());  // a game may show that it runs silent
            if (frames % 7 == 1) m_dwVoice = sounds->Play(m_hBeep, 80, (frames % 3 - 1) * 50);
            Fold(sounds->IsPlaying(m_dwVoice)), Fold(DWORD(sounds->GetVoiceCount()));
        }
        int index = 0;
        CMessage message;
        while (PeekMessageA(index, message, true)) {
            Fold(message.m_dwMessage), Fold(message.m_dwParam1), Fold(message.m_dwParam2);
            if (message.m_dwMessage == kPing) ++pings;
        }
        const int x = rand() % 760, y = rand() % 560;
        Fold(DWORD(x)), Fold(DWORD(y));
        if (variant == 2) timeGetTime();
        CGraphics* g = GetGraphics();
        if (g->BeginScene()) {
            g->Rectangle(RECT{in.ptCursor.x - 8, in.ptCursor.y - 8, in.ptCursor.x + 8, in.ptCursor.y + 8}, 0xFF2060C0,
                         true);
            Render(m_hDot, x, y, nullptr, variant == 1 ? 0xFFFF4040 : 0xFFFFFFFF);
            DrawSingleLine(10, 10, 0xFFFFFFFF, false, "frame %d pings %d", frames, pings);
            g->EndScene();
        }
        if (onFrame) onFrame(*this);
    }

private:
    void Fold(DWORD v) { digest = (digest ^ v) * 0x100000001B3ull; }

    DWORD m_hDot = 0;
    DWORD m_hBeep = 0, m_dwVoice = 0;
};

// Writes the game's one picture: a dot of `colour`.
void WriteDot(DWORD colour) {
    mkdir("art", 0755);
    velmora::DecodedImage dot;
    dot.width = dot.height = 16;
    for (int i = 0; i < 256; ++i) {
        const int dx = i % 16 - 8, dy = i / 16 - 8;
        dot.pixels.push_back(dx * dx + dy * dy < 50 ? colour : 0);
    }
    ASSERT_TRUE(velmora::WritePngFile("art/dot.png", dot));
}

struct Session {
    bool started = false;
    uint64_t digest = 0;
    int frames = 0, pings = 0;
    std::vector<DWORD> picture;
};

std::vector<DWORD> BackBuffer() {
    std::vector<DWORD> pixels;
    IDirect3DSurface9* surface = nullptr;
    GetD3DDevice()->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &surface);
    D3DLOCKED_RECT locked{};
    if (surface && SUCCEEDED(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
        const DWORD* p = static_cast<const DWORD*>(locked.pBits);
        pixels.assign(p, p + 800 * 600);
        surface->UnlockRect();
    }
    if (surface) surface->Release();
    return pixels;
}

class ReplayTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        VelmoraTest::SetClockTickEveryReads(3);  // time passes while the loop polls
        WriteDot(0xFFFFFFFF);
    }

    // Runs the game: recording into `file` with the player's input of `script`, or replaying it.
    Session Play(const char* title, const std::string& file, bool record, int variant = 0,
                 const std::function<void(HWND)>& script = nullptr,
                 const std::function<void(ReplayGame&)>& onFrame = nullptr, bool sound = false) {
        Session run;
        ReplayGame game;
        game.variant = variant;
        game.sound = sound;
        game.onFrame = onFrame;
        game.SetFPS(60);
        if (record) {
            EXPECT_TRUE(game.StartRecording(file.c_str()));
        } else {
            VelmoraTest::FlushEvents();
            EXPECT_TRUE(VelmoraTest::Replay(file.c_str()));
        }
        run.started = game.InitApplication(GetModuleHandleA(nullptr), SW_SHOW, title, nullptr) == 1;
        if (run.started) {
            EXPECT_TRUE(game.Load());
            if (script) script(game.GetWndHandle());
            game.Run();
            run.digest = game.digest;
            run.frames = game.frames;
            run.pings = game.pings;
            run.picture = BackBuffer();
        }
        const HWND window = game.GetWndHandle();
        game.Destroy();
        if (window) DestroyWindow(window);
        VelmoraTest::DetachAllPads();
        return run;
    }

    // The player: the pointer, a click, Space twice (which pings 250 ms later), a pad plugged in
    // and used, the window losing and regaining the focus, then the close box.
    static void Player(HWND window) {
        const DWORD t = VelmoraTest::GetClock();
        using VelmoraTest::InjectAt;
        InjectAt(t + 100, [window] { VelmoraTest::InjectMouseMove(window, 200, 150); });
        InjectAt(t + 150, [window] { VelmoraTest::InjectMouseButton(window, 0, true); });
        InjectAt(t + 180, [window] { VelmoraTest::InjectMouseButton(window, 0, false); });
        InjectAt(t + 200, [] { VelmoraTest::InjectKey(VK_SPACE, true); });
        InjectAt(t + 230, [] { VelmoraTest::InjectKey(VK_SPACE, false); });
        InjectAt(t + 300, [] { VelmoraTest::AttachPad(); });
        InjectAt(t + 400, [] { VelmoraTest::InjectPadButton(0, PAD_BUTTON_A, true); });
        InjectAt(t + 450, [] { VelmoraTest::InjectPadAxis(0, PAD_AXIS_LEFT_X, 0.8f); });
        InjectAt(t + 500, [] { VelmoraTest::InjectPadButton(0, PAD_BUTTON_A, false); });
        InjectAt(t + 600, [window] { VelmoraTest::InjectFocus(window, false); });
        InjectAt(t + 700, [window] { VelmoraTest::InjectFocus(window, true); });
        InjectAt(t + 750, [window] { VelmoraTest::InjectMouseMove(window, 420, 330); });
        InjectAt(t + 800, [] { VelmoraTest::InjectKey(VK_SPACE, true); });
        InjectAt(t + 820, [] { VelmoraTest::InjectKey(VK_SPACE, false); });
        InjectAt(t + 1500, [window] { VelmoraTest::InjectClose(window); });
    }
};

TEST_F(ReplayTest, ReplayRunsTheGameThroughTheSameSession) {
    const Session recorded = Play("Replay test", "session.vlmreplay", true, 0, Player);
    ASSERT_TRUE(recorded.started);
    ASSERT_GT(recorded.frames, 60);
    EXPECT_EQ(recorded.pings, 2);

    const Session replayed = Play("Replay test", "session.vlmreplay", false);
    ASSERT_TRUE(replayed.started);
    const VelmoraTest::ReplayResult result = VelmoraTest::LastReplay();
    EXPECT_TRUE(result.Same()) << (result.report.empty() ? "" : result.report.back());
    EXPECT_EQ(result.frames, unsigned(recorded.frames));
    EXPECT_EQ(result.checkpoints, unsigned(recorded.frames / 60));
    EXPECT_TRUE(result.finalPictureCompared && result.finalPictureMatched);
    EXPECT_FALSE(result.programChanged);
    EXPECT_TRUE(result.changedFiles.empty());
    EXPECT_EQ(replayed.digest, recorded.digest);
    EXPECT_EQ(replayed.frames, recorded.frames);
    EXPECT_EQ(replayed.pings, 2);
    EXPECT_TRUE(replayed.picture == recorded.picture);
}

TEST_F(ReplayTest, ReplayFindsAChangedAssetAndTheFirstFrameThatDiffers) {
    ASSERT_TRUE(Play("Replay test", "asset.vlmreplay", true, 0, Player).started);
    WriteDot(0xFF00FF00);  // the same size of picture, other pixels
    ASSERT_TRUE(Play("Replay test", "asset.vlmreplay", false).started);
    const VelmoraTest::ReplayResult result = VelmoraTest::LastReplay();
    ASSERT_EQ(result.changedFiles.size(), 1u);
    EXPECT_EQ(result.changedFiles[0], "art/dot.png");
    EXPECT_EQ(result.firstDifferentFrame, 60u);
    EXPECT_NE(result.recordedChecksum, result.replayedChecksum);
    EXPECT_FALSE(result.Same());
    EXPECT_TRUE(result.reachedEnd);  // the input is the same: the session plays to its end
}

TEST_F(ReplayTest, AChangedGameIsFound) {
    ASSERT_TRUE(Play("Replay test", "game.vlmreplay", true, 0, Player).started);
    // Drawing otherwise: the checkpoints tell.
    ASSERT_TRUE(Play("Replay test", "game.vlmreplay", false, 1).started);
    VelmoraTest::ReplayResult result = VelmoraTest::LastReplay();
    EXPECT_EQ(result.firstDifferentFrame, 60u);
    EXPECT_FALSE(result.diverged);
    // Doing otherwise (one more look at the clock a frame): the first frame tells, and the
    // replay stops there.
    ASSERT_TRUE(Play("Replay test", "game.vlmreplay", false, 2).started);
    result = VelmoraTest::LastReplay();
    EXPECT_TRUE(result.diverged);
    EXPECT_LE(result.frames, 1u);
    EXPECT_FALSE(result.Same());
    // Another program than the one that recorded: said, and the replay goes on.
    velmora::ReplayReader reader;
    ASSERT_TRUE(reader.Open("game.vlmreplay", nullptr));
    velmora::ReplayHeader header = reader.Header();
    header.programCrc ^= 1;
    velmora::ReplayWriter writer;
    ASSERT_TRUE(writer.Open("other-program.vlmreplay", header, nullptr));
    for (velmora::ReplayEntry e; reader.Next(&e);) writer.Write(e);
    ASSERT_TRUE(writer.Close());
    ASSERT_TRUE(Play("Replay test", "other-program.vlmreplay", false).started);
    result = VelmoraTest::LastReplay();
    EXPECT_TRUE(result.programChanged);
    EXPECT_TRUE(result.Same());
}

TEST_F(ReplayTest, AReplayOfAnotherGameOrEngineRefusesToStart) {
    ASSERT_TRUE(Play("Replay test", "refused.vlmreplay", true, 0, Player).started);
    EXPECT_FALSE(Play("Another game", "refused.vlmreplay", false).started);
    velmora::ReplayReader reader;
    ASSERT_TRUE(reader.Open("refused.vlmreplay", nullptr));
    velmora::ReplayHeader header = reader.Header();
    header.engineVersion = "0.0.1";
    velmora::ReplayWriter writer;
    ASSERT_TRUE(writer.Open("old-engine.vlmreplay", header, nullptr));
    ASSERT_TRUE(writer.Close());
    EXPECT_FALSE(Play("Replay test", "old-engine.vlmreplay", false).started);
    EXPECT_FALSE(VelmoraTest::Replay("no-such.vlmreplay"));
    EXPECT_FALSE(VelmoraTest::Replay("art/dot.png"));
}

TEST_F(ReplayTest, LiveInputIsIgnoredButTheQuitKeys) {
    ASSERT_TRUE(Play("Replay test", "live.vlmreplay", true, 0, Player).started);
    // The player's keys and pointer during a replay change nothing...
    const Session replayed = Play("Replay test", "live.vlmreplay", false, 0, [](HWND window) {
        VelmoraTest::InjectKey(VK_SPACE, true);
        VelmoraTest::InjectMouseMove(window, 700, 500);
    });
    ASSERT_TRUE(replayed.started);
    EXPECT_TRUE(VelmoraTest::LastReplay().Same());
    // ... but Alt+F4 stops it.
    ASSERT_TRUE(Play("Replay test", "live.vlmreplay", false, 0, [](HWND) {
                    VelmoraTest::InjectKey(VK_F4, true, true);
                }).started);
    const VelmoraTest::ReplayResult result = VelmoraTest::LastReplay();
    EXPECT_TRUE(result.stoppedByPlayer);
    EXPECT_LT(result.frames, 2u);
}

TEST_F(ReplayTest, TheFileIsWrittenAsTheGameRunsAndAReplayOfACutFileEndsWhereItEnds) {
    // Checked from inside the game: 3 seconds in, at most the last second is not in the file yet.
    unsigned framesOnDisk = 0, framesRun = 0;
    const Session recorded = Play("Replay test", "growing.vlmreplay", true, 0, nullptr, [&](ReplayGame& game) {
        if (game.frames != 180) {
            if (game.frames == 240) PostQuitMessage(0);
            return;
        }
        framesRun = unsigned(game.frames);
        velmora::ReplayReader reader;
        ASSERT_TRUE(reader.Open("growing.vlmreplay", nullptr));
        for (velmora::ReplayEntry e; reader.Next(&e);)
            framesOnDisk += e.kind == velmora::ReplayKind::Frame || e.kind == velmora::ReplayKind::Checkpoint;
        EXPECT_TRUE(reader.Error().empty()) << reader.Error();
    });
    ASSERT_TRUE(recorded.started);
    EXPECT_GE(framesOnDisk + 61, framesRun);
    EXPECT_LE(framesOnDisk, framesRun);

    // A program killed then: the file ends after its last whole chunk.
    std::string bytes = ReadFile("growing.vlmreplay");
    WriteFile("cut.vlmreplay", bytes.substr(0, bytes.size() * 2 / 3));
    ASSERT_TRUE(Play("Replay test", "cut.vlmreplay", false).started);
    const VelmoraTest::ReplayResult result = VelmoraTest::LastReplay();
    EXPECT_TRUE(result.reachedEnd);
    EXPECT_FALSE(result.diverged);
    EXPECT_GT(result.frames, 60u);
    EXPECT_LT(result.frames, 240u);
    EXPECT_EQ(result.matched, result.checkpoints);
}

TEST_F(ReplayTest, AGameWaitingForItsFocusBackStillWritesItsFile) {
    // Without the focus the game waits for messages and reads no clock: the looks at the events
    // must write what is pending once a second too.
    unsigned framesRun = 0, framesBeforeCheck = 0, framesOnDisk = 0;
    const Session recorded = Play(
        "Replay test", "idle.vlmreplay", true, 0,
        [&](HWND window) {
            const DWORD t = VelmoraTest::GetClock();
            using VelmoraTest::InjectAt;
            InjectAt(t + 500, [window] { VelmoraTest::InjectFocus(window, false); });
            InjectAt(t + 2000, [] {});  // something for the wait to wake to
            InjectAt(t + 2100, [&] {
                framesBeforeCheck = framesRun;
                velmora::ReplayReader reader;
                ASSERT_TRUE(reader.Open("idle.vlmreplay", nullptr));
                for (velmora::ReplayEntry e; reader.Next(&e);)
                    framesOnDisk += e.kind == velmora::ReplayKind::Frame || e.kind == velmora::ReplayKind::Checkpoint;
            });
            InjectAt(t + 2200, [window] { VelmoraTest::InjectFocus(window, true); });
            InjectAt(t + 2500, [window] { VelmoraTest::InjectClose(window); });
        },
        [&](ReplayGame& game) { framesRun = unsigned(game.frames); });
    ASSERT_TRUE(recorded.started);
    ASSERT_GT(framesBeforeCheck, 20u);
    EXPECT_LT(framesBeforeCheck, unsigned(recorded.frames));  // the game ran on afterwards
    EXPECT_EQ(framesOnDisk, framesBeforeCheck);
    ASSERT_TRUE(Play("Replay test", "idle.vlmreplay", false).started);
    EXPECT_TRUE(VelmoraTest::LastReplay().Same());
}

// How the machine plays sound: a device far ahead of the engine's clock (SDL's disk device
// writing to /dev/null with next to no pause: a voice is played out before the clock ends it),
// the testing component's manual audio (a device whose voices are still heard when the clock
// ends them: it mixes only when asked), or no device at all.
enum class Audio { Ahead, Manual, None };

void UseAudio(Audio audio) {
    VelmoraTest::UseManualAudio(audio == Audio::Manual);
    setenv("SDL_AUDIODRIVER", audio == Audio::None ? "no-such-driver" : "disk", 1);
    setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
    setenv("SDL_DISKAUDIODELAY", "1", 1);
}

TEST_F(ReplayTest, TheSoundDeviceOfTheMachineChangesNothing) {
    const char* const driver = std::getenv("SDL_AUDIODRIVER");
    const std::string kept = driver ? driver : "";
    // A beep of 40 ms, played every 7 frames: voices end by the engine's clock, with their
    // messages, while the device may still be playing them (or never will).
    std::vector<int16_t> beep(1764);
    for (size_t i = 0; i < beep.size(); ++i) beep[i] = int16_t(8000 * std::sin(double(i) * 0.06));
    ASSERT_TRUE(velmora::WriteWavFile("beep.wav", velmora::MakeWaveFormat(velmora::SoundSampleType::Pcm16, 1, 44100),
                                      beep.data(), beep.size()));
    const auto quitAt90 = [](ReplayGame& game) {
        if (game.frames == 90) PostQuitMessage(0);
    };
    struct Case {
        Audio recorded, replayed;
    };
    for (const Case& c :
         {Case{Audio::Ahead, Audio::Manual}, Case{Audio::Manual, Audio::None}, Case{Audio::None, Audio::Ahead}}) {
        SCOPED_TRACE(int(c.recorded) * 10 + int(c.replayed));
        UseAudio(c.recorded);
        const Session recorded = Play("Replay test", "sound.vlmreplay", true, 0, nullptr, quitAt90, true);
        ASSERT_TRUE(recorded.started);
        ASSERT_EQ(recorded.frames, 90);
        UseAudio(c.replayed);
        const Session replayed = Play("Replay test", "sound.vlmreplay", false, 0, nullptr, nullptr, true);
        ASSERT_TRUE(replayed.started);
        const VelmoraTest::ReplayResult result = VelmoraTest::LastReplay();
        EXPECT_TRUE(result.Same()) << (result.report.empty() ? "" : result.report.back());
        EXPECT_EQ(replayed.digest, recorded.digest);
        EXPECT_EQ(replayed.frames, 90);
    }
    VelmoraTest::UseManualAudio(false);
    unsetenv("SDL_DISKAUDIOFILE");
    unsetenv("SDL_DISKAUDIODELAY");
    if (kept.empty())
        unsetenv("SDL_AUDIODRIVER");
    else
        setenv("SDL_AUDIODRIVER", kept.c_str(), 1);
}

}  // namespace
