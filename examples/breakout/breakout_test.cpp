// The breakout's test, on Velmora's testing component: the high-score table and the save
// file, then a session on a manual clock in which the test plays: it picks Chinese in the
// settings, clicks Play, leaves the match during its countdown and starts another, follows the
// ball with the pointer, starts a power-up twice, and reads the last picture back from the
// device; then a round played with a virtual pad alone, from the settings to quitting; then a
// session recorded as a player's would be (pointer, clicks, keys, the close box) and replayed,
// also on a machine without a sound device.
#include <velmora/testing/TestSeams.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "BreakoutGame.h"
#include "SaveFile.h"

namespace {

int failures = 0;

void Check(bool ok, const char* what) {
    std::printf("%s: %s\n", ok ? "ok" : "FAILED", what);
    if (!ok) ++failures;
}

std::string ScratchFolder() {
    char folder[] = "/tmp/breakout_test_XXXXXX";
    return mkdtemp(folder) ? folder : "/tmp";
}

void WriteFile(const std::string& file, const char* text) {
    if (FILE* fp = std::fopen(file.c_str(), "wb")) {
        std::fputs(text, fp);
        std::fclose(fp);
    }
}

void TableRanks() {
    struct Case {
        const char* name;
        int score;
        int rank;  // expected
    };
    // The table fills, a tie ranks below the earlier game, a full table takes only what beats
    // its last line, and no score is no game.
    const Case cases[] = {{"A", 100, 0}, {"B", 300, 0}, {"C", 200, 1}, {"D", 300, 1},
                          {"E", 50, 4},  {"F", 10, -1}, {"G", 0, -1},  {"H", 60, 4}};
    HighScoreTable table;
    bool ranks = true;
    for (const Case& c : cases) ranks = table.Insert(c.name, c.score, 1) == c.rank && ranks;
    Check(ranks, "each game's rank in the table");
    std::string order;
    for (const HighScore& entry : table.Entries()) order += entry.name;
    Check(order == "BDCAH", "the table holds the five best, best first");
}

void SaveFileRoundTrip() {
    const std::string folder = ScratchFolder() + "/deeper/data";  // made by the first save
    const std::string file = SaveFile::PathIn(folder);
    HighScoreTable table;
    table.Insert("\xB3\xC2\xB3\xBF", 420, 2);  // a GBK name
    table.Insert("Ayla", 900, 3);
    Preferences preferences;
    preferences.language = LANGUAGE_CHINESE;
    preferences.ballSpeed = 5;
    preferences.player = "Ayla";
    Check(table.Save(file) && preferences.Save(file), "the table and the settings saved into one new file");

    HighScoreTable loaded;
    loaded.Load(file);
    Preferences read;
    read.Load(file);
    Check(loaded.Entries().size() == 2 && loaded.Entries()[0].name == "Ayla" && loaded.Entries()[0].level == 3 &&
              loaded.Entries()[1].name == "\xB3\xC2\xB3\xBF" && loaded.Entries()[1].score == 420,
          "the table read back as saved, beside the settings");
    Check(read.language == LANGUAGE_CHINESE && read.ballSpeed == 5 && read.player == "Ayla",
          "the settings read back as saved, beside the table");

    // A file edited by hand: nonsense is left out, the rest put in order, settings kept in range.
    WriteFile(file,
              "[HighScores]\r\nName1=Bad\r\nScore1=-5\r\nScore2=100\r\nName3=Zed\r\nScore3=70\r\n"
              "Name4=Amy\r\nScore4=900\r\nLevel4=0\r\n[Settings]\r\nLanguage=7\r\nBallSpeed=99\r\n");
    loaded.Load(file);
    read = Preferences();
    read.Load(file);
    Check(loaded.Entries().size() == 2 && loaded.Entries()[0].name == "Amy" && loaded.Entries()[0].level == 1 &&
              loaded.Entries()[1].name == "Zed",
          "a hand-edited table keeps its sensible lines, in order");
    Check(read.language == LANGUAGE_ENGLISH && read.ballSpeed == Preferences::kMaxSpeed,
          "hand-edited settings are brought into range");
}

// The back buffer's pixel at (x, y), as 0xAARRGGBB.
DWORD PixelAt(int x, int y) {
    IDirect3DSurface9* surface = nullptr;
    GetD3DDevice()->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &surface);
    D3DLOCKED_RECT locked{};
    DWORD pixel = 0;
    if (surface && SUCCEEDED(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
        pixel = static_cast<const DWORD*>(locked.pBits)[y * (locked.Pitch / 4) + x];
        surface->UnlockRect();
    }
    if (surface) surface->Release();
    return pixel;
}

bool ChineseInSaveFile(const std::string& file) {
    Preferences preferences;
    preferences.Load(file);
    return preferences.language == LANGUAGE_CHINESE;
}

int Brightness(DWORD pixel) { return int((pixel >> 16) & 0xFF) + int((pixel >> 8) & 0xFF) + int(pixel & 0xFF); }

// The game with a script of timed steps, run after each frame.
class ScriptedGame : public BreakoutGame {
public:
    struct Step {
        DWORD at;  // ms after the start
        std::function<void()> action;
    };
    using BreakoutGame::BreakoutGame;

    void Play(std::vector<Step> steps) {
        m_Steps = std::move(steps);
        m_dwStart = VelmoraTest::GetClock();
        Run();
    }
    // Runs every frame after the script's steps have run out, until the game quits.
    std::function<void()> everyFrame;

    void MainLoop() override {
        BreakoutGame::MainLoop();
        const DWORD elapsed = VelmoraTest::GetClock() - m_dwStart;
        while (m_nNext < m_Steps.size() && elapsed >= m_Steps[m_nNext].at) m_Steps[m_nNext++].action();
        if (everyFrame) everyFrame();
    }

private:
    std::vector<Step> m_Steps;
    size_t m_nNext = 0;
    DWORD m_dwStart = 0;
};

void PlayedSession() {
    VelmoraTest::UseManualClock(true);
    VelmoraTest::SetClockTickEveryReads(3);  // game time passes while the main loop polls
    VelmoraTest::CaptureMessageBoxes(true);

    BreakoutGame::Options options;
    options.dataFolder = ScratchFolder();
    ScriptedGame game(options);
    game.SetFPS(60);
    if (!game.InitApplication(GetModuleHandleA(nullptr), SW_SHOW, "Breakout test", nullptr)) {
        Check(false, "start-up");
        return;
    }
    Check(game.Load(), "the game's files load");
    game.GetMatch().SetCapsuleChance(0);  // no capsules: the test starts the power-ups itself
    const HWND window = game.GetWndHandle();
    auto click = [window](int x, int y) {
        return [window, x, y] {
            VelmoraTest::InjectMouseMove(window, x, y);
            VelmoraTest::InjectMouseButton(window, 0, true);
        };
    };
    const auto clickPlay = click(210, 250);  // the middle of the Play button
    auto release = [window] { VelmoraTest::InjectMouseButton(window, 0, false); };
    const Match& match = game.GetMatch();
    // Whether every caption of the title and settings screens is in the language's text.
    const auto inLanguage = [](Language language) {
        GameText text;
        text.Load("text.ini");
        text.SetLanguage(language);
        const std::pair<DWORD, TextId> captions[] = {{100, TEXT_MENU},    {101, TEXT_PLAY},     {102, TEXT_SETTINGS},
                                                     {103, TEXT_QUIT},    {300, TEXT_SETTINGS}, {307, TEXT_OK},
                                                     {310, TEXT_LANGUAGE}};
        for (const auto& caption : captions) {
            char shown[256] = "";
            if (CWindow* control = GetGUIManager()->GetElement(caption.first)) control->GetCaption(shown);
            if (std::string(shown) != text.Get(caption.second)) return false;
        }
        return true;
    };
    bool englishFirst = inLanguage(LANGUAGE_ENGLISH), translated = false;
    bool listShown = false, chineseSaved = false, countdownHeld = false, served = false, wideAfterFirstEnd = false,
         narrowAfterSecondEnd = false;
    int paddleAfterEnd = 0;

    game.Play({
        // The settings: Chinese, then OK, which closes the window and saves the choice.
        {100, click(210, 298)},  // the title's Settings button
        {200, release},
        {300, [&] { listShown = Brightness(PixelAt(250, 350)) > 200 && (PixelAt(250, 350) & 0xFF) > 0xA0; }},
        {300, click(398, 158)},  // the second radio box
        {400, release},
        {450, [&] { translated = inLanguage(LANGUAGE_CHINESE); }},
        {500, click(400, 506)},  // OK
        {600, release},
        {700, [&] { chineseSaved = ChineseInSaveFile(game.SaveFilePath()); }},
        {1300, clickPlay},
        {1400, release},
        {2000, [] { VelmoraTest::InjectKey(VK_ESCAPE, true); }},  // back to the title in the countdown
        {2100, [] { VelmoraTest::InjectKey(VK_ESCAPE, false); }},
        {2500, clickPlay},
        {2600, release},
        // The first countdown would have served by now, had it outlived its match.
        {4300, [&] { countdownHeld = match.GetState() == Match::STATE_COUNTDOWN; }},
        {5500,
         [&] {
             served = match.GetState() == Match::STATE_PLAYING;
             // From here the test plays: the pointer follows the ball.
             game.everyFrame = [&game, window] {
                 VelmoraTest::InjectMouseMove(window, int(game.GetMatch().BallX()), 300);
             };
             game.GetMatch().StartPowerUp(Match::POWER_WIDE);
         }},
        {11500, [&] { game.GetMatch().StartPowerUp(Match::POWER_WIDE); }},
        // The first start's end arrives at 15500 and must not end the second start.
        {17000, [&] { wideAfterFirstEnd = match.PaddleWidth() == Match::kWidePaddleWidth; }},
        {22000,
         [&] {
             narrowAfterSecondEnd = !match.IsPowerUpOn(Match::POWER_WIDE);
             paddleAfterEnd = match.PaddleWidth();
             // Quits once the ball is well above the paddle, so that its trail hides no part of it.
             game.everyFrame = [&game, window] {
                 VelmoraTest::InjectMouseMove(window, int(game.GetMatch().BallX()), 300);
                 if (game.GetMatch().BallY() < 300) PostQuitMessage(0);
             };
         }},
    });
    Check(englishFirst, "the screens' captions start in English");
    Check(translated, "choosing Chinese puts every caption of both screens in Chinese on the spot");
    Check(listShown, "the settings open with the player's name selected in the list");
    Check(chineseSaved, "the language picked in the settings is saved when they close");
    Check(countdownHeld, "a match left in its countdown does not serve the next one early");
    Check(served, "the countdown serves the ball");
    Check(wideAfterFirstEnd, "a power-up started again outlasts its first start's end");
    Check(narrowAfterSecondEnd && paddleAfterEnd == Match::kPaddleWidth, "the power-up ends after its second start");
    Check(match.Score() > 0 && match.Wall().Remaining() < BrickWall::kColumns * BrickWall::kRows,
          "the ball breaks bricks and scores");

    // The last picture: the paddle where the match has it, and the bricks left standing.
    const DWORD paddle = PixelAt(int(match.PaddleX()), Court::kPaddleTop + Match::kPaddleHeight / 2);
    Check((paddle & 0xFF) > 0x80 && (paddle & 0xFF) > ((paddle >> 16) & 0xFF), "the paddle is drawn, blue");
    bool bricks = !match.Wall().Bricks().empty();
    for (const Brick& brick : match.Wall().Bricks()) {
        const GPoint centre = brick.rect.CenterPoint();
        bricks = bricks && Brightness(PixelAt(centre.x, centre.y)) > 250;
    }
    Check(bricks, "every brick left is drawn over the dark background");
    Check(Brightness(PixelAt(10, 300)) < 150, "the background is dark");

    // Quitting in a match ends it; its score enters the (empty) table and the save file.
    game.Finish();
    HighScoreTable saved;
    saved.Load(game.SaveFilePath());
    Check(game.LastRank() == 0 && saved.Best() == match.Score() && !saved.Entries().empty() &&
              saved.Entries()[0].name == "Ayla",
          "the match's score is saved under the first name offered");
    const auto boxes = VelmoraTest::TakeMessageBoxes();
    for (const auto& box : boxes) std::printf("box: %s\n", box.text.c_str());
    Check(boxes.empty(), "no error box");
    game.Destroy();
}

// A press and release of a pad button, seen by the next frame as a press.
std::function<void()> Tap(int button) {
    return [button] {
        VelmoraTest::InjectPadButton(0, button, true);
        VelmoraTest::InjectPadButton(0, button, false);
    };
}

void PadSession() {
    VelmoraTest::UseManualClock(true);
    VelmoraTest::SetClockTickEveryReads(3);
    VelmoraTest::CaptureMessageBoxes(true);

    BreakoutGame::Options options;
    options.dataFolder = ScratchFolder();
    ScriptedGame game(options);
    game.SetFPS(60);
    if (!game.InitApplication(GetModuleHandleA(nullptr), SW_SHOW, "Breakout pad test", nullptr)) {
        Check(false, "start-up");
        return;
    }
    Check(game.Load(), "the game's files load");
    game.GetMatch().SetCapsuleChance(0);
    Check(VelmoraTest::AttachPad() == 0, "a pad is plugged in");
    GUIManager* gui = GetGUIManager();
    const Match& match = game.GetMatch();
    auto shown = [gui](DWORD id) { return gui->GetElement(id) && gui->GetElement(id)->IsShow(); };
    bool settingsOpened = false, settingsClosed = false, keyboardOpened = false, keyboardClosed = false,
         countdown = false, servedEarly = false, pushed = false, paused = false, resumed = false, rumbled = false,
         backAtTitle = false;
    float ballX = 0, ballY = 0;
    // After the scripted steps, a small machine: wait for the lost ball, leave the match with
    // Back, then walk the menu to Quit and press it.
    int phase = 0, frames = 0;
    game.everyFrame = [&] {
        ++frames;
        switch (phase) {
            case 0: break;
            case 1:
                if (match.Lives() == Match::kLives && frames < 3000) break;  // about 50 s of play
                rumbled = match.Lives() < Match::kLives && VelmoraTest::GetPadRumble(0).requests > 0;
                Tap(PAD_BUTTON_BACK)();
                phase = 2, frames = 0;
                break;
            case 2:
                if (frames < 5) break;
                backAtTitle = shown(100) && !match.IsRunning();
                Tap(PAD_BUTTON_DPAD_DOWN)();
                phase = 3, frames = 0;
                break;
            case 3:
                if (frames < 3) break;
                Tap(PAD_BUTTON_DPAD_DOWN)();
                phase = 4, frames = 0;
                break;
            case 4:
                if (frames < 3) break;
                Tap(PAD_BUTTON_A)();  // Quit
                phase = 5, frames = 0;
                break;
            default:
                if (frames > 60) PostQuitMessage(0);  // the game should have quit by itself
                break;
        }
    };
    game.Play({
        // The menu's focus starts on Play: down to Settings, and A opens them.
        {100, Tap(PAD_BUTTON_DPAD_DOWN)},
        {200, Tap(PAD_BUTTON_A)},
        {300, [&] { settingsOpened = shown(300); }},
        // The language row has the focus: right picks Chinese; B closes the window.
        {300, Tap(PAD_BUTTON_DPAD_RIGHT)},
        {400, Tap(PAD_BUTTON_B)},
        {500, [&] { settingsClosed = !shown(300) && ChineseInSaveFile(game.SaveFilePath()); }},
        // The keyboard alone, too: Enter on Settings opens them, Esc closes them (and no more).
        {500, [] { VelmoraTest::InjectKey(VK_RETURN, true); }},
        {550, [] { VelmoraTest::InjectKey(VK_RETURN, false); }},
        {650, [&] { keyboardOpened = shown(300); }},
        {650, [] { VelmoraTest::InjectKey(VK_ESCAPE, true); }},
        {700, [] { VelmoraTest::InjectKey(VK_ESCAPE, false); }},
        {800, [&] { keyboardClosed = !shown(300) && shown(100); }},
        // Back on Settings: up to Play, and A starts a match; A again serves at once.
        {800, Tap(PAD_BUTTON_DPAD_UP)},
        {900, Tap(PAD_BUTTON_A)},
        {1000, [&] { countdown = match.GetState() == Match::STATE_COUNTDOWN; }},
        {1000, Tap(PAD_BUTTON_A)},
        {1200, [&] { servedEarly = match.GetState() == Match::STATE_PLAYING; }},
        {1200, [] { VelmoraTest::InjectPadAxis(0, PAD_AXIS_LEFT_X, 1); }},
        {1600, [&] { pushed = match.PaddleX() > Court::kCenterX + 150; }},
        {1600, Tap(PAD_BUTTON_START)},
        {1700,
         [&] {
             ballX = match.BallX();
             ballY = match.BallY();
         }},
        {2200, [&] { paused = game.IsPaused() && match.BallX() == ballX && match.BallY() == ballY; }},
        {2200, Tap(PAD_BUTTON_START)},
        {2400, [&] { resumed = !game.IsPaused() && (match.BallX() != ballX || match.BallY() != ballY); }},
        // The paddle goes to the far left and waits there for the ball to be lost.
        {2400,
         [&] {
             VelmoraTest::InjectPadAxis(0, PAD_AXIS_LEFT_X, -1);
             phase = 1, frames = 0;
         }},
    });
    Check(settingsOpened, "the pad opens the settings from the menu");
    Check(settingsClosed, "the pad picks a language and B closes the settings, saving it");
    Check(keyboardOpened && keyboardClosed, "Enter opens the settings and Esc closes them, without quitting");
    Check(countdown && servedEarly, "the pad starts a match and A serves before the count ends");
    Check(pushed, "the stick moves the paddle");
    Check(paused && resumed, "Start pauses the match and resumes it");
    Check(rumbled, "the pad rumbles when the ball is lost");
    Check(backAtTitle, "Back leaves the match for the title");
    Check(phase == 5 && frames <= 60, "the pad walks the menu to Quit, which quits");
    const auto boxes = VelmoraTest::TakeMessageBoxes();
    for (const auto& box : boxes) std::printf("box: %s\n", box.text.c_str());
    Check(boxes.empty(), "no error box");
    VelmoraTest::DetachAllPads();
    game.Destroy();
}

// The back buffer, every pixel.
std::vector<DWORD> Picture() {
    std::vector<DWORD> pixels;
    IDirect3DSurface9* surface = nullptr;
    GetD3DDevice()->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &surface);
    D3DLOCKED_RECT locked{};
    if (surface && SUCCEEDED(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
        const DWORD* p = static_cast<const DWORD*>(locked.pBits);
        pixels.assign(p, p + (locked.Pitch / 4) * 600);
        surface->UnlockRect();
    }
    if (surface) surface->Release();
    return pixels;
}

// A match played with the pointer and the keyboard, recorded; then the recording replayed by
// the game as a player's recording would be: the same frames, score and pictures.
void ReplayedSession() {
    VelmoraTest::UseManualClock(true);
    VelmoraTest::SetClockTickEveryReads(3);
    VelmoraTest::CaptureMessageBoxes(true);
    const std::string file = ScratchFolder() + "/match.vlmreplay";
    int score = 0, frames = 0;
    std::vector<DWORD> picture;
    {
        BreakoutGame::Options options;
        options.dataFolder = ScratchFolder();
        ScriptedGame game(options);
        game.SetFPS(60);
        Check(game.StartRecording(file.c_str()), "a recording is asked for");
        if (!game.InitApplication(GetModuleHandleA(nullptr), SW_SHOW, "Velmora Breakout", nullptr)) {
            Check(false, "start-up");
            return;
        }
        game.Load();
        const HWND window = game.GetWndHandle();
        game.Play({
            {1200, [window] { VelmoraTest::InjectMouseMove(window, 210, 250); }},  // over the Play button
            {1300, [window] { VelmoraTest::InjectMouseButton(window, 0, true); }},
            {1400, [window] { VelmoraTest::InjectMouseButton(window, 0, false); }},
            {1600,
             [&game, window] {
                 // The player follows the ball with the pointer.
                 game.everyFrame = [&game, window] {
                     VelmoraTest::InjectMouseMove(window, int(game.GetMatch().BallX()) + 9, 500);
                 };
             }},
            {6000, [] { VelmoraTest::InjectKey('P', true); }},  // a pause
            {6050, [] { VelmoraTest::InjectKey('P', false); }},
            {6500, [] { VelmoraTest::InjectKey('P', true); }},
            {6550, [] { VelmoraTest::InjectKey('P', false); }},
            {10000,
             [&game] {
                 game.everyFrame = nullptr;
                 VelmoraTest::InjectKey(VK_ESCAPE, true);  // back to the title; the score counts
             }},
            {10050, [] { VelmoraTest::InjectKey(VK_ESCAPE, false); }},
            {10500, [window] { VelmoraTest::InjectClose(window); }},
        });
        game.Finish();
        score = game.LastScore();
        frames = game.FramesRun();
        picture = Picture();
        game.Destroy();
        DestroyWindow(window);
    }
    Check(score > 0, "the recorded match scores");

    // Replayed on a machine like the recording one, then on one without a sound device: the
    // match's sounds must not make it go another way.
    const char* const driver = std::getenv("SDL_AUDIODRIVER");
    const std::string recordedDriver = driver ? driver : "";
    for (const bool silentMachine : {false, true}) {
        if (silentMachine) setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
        BreakoutGame::Options options;
        options.dataFolder = ScratchFolder();  // as empty as the recorded game's was
        BreakoutGame game(options);
        game.SetFPS(60);
        VelmoraTest::FlushEvents();
        Check(VelmoraTest::Replay(file.c_str()), "the recording is a replay file");
        if (!game.InitApplication(GetModuleHandleA(nullptr), SW_SHOW, "Velmora Breakout", nullptr)) {
            Check(false, "the replay's start-up");
            return;
        }
        game.Load();
        game.Run();
        game.Finish();
        Check(game.LastScore() == score && game.FramesRun() == frames,
              silentMachine ? "without a sound device the replay plays the same frames to the same score"
                            : "the replay plays the same frames to the same score");
        Check(Picture() == picture, "the replay ends on the same picture");
        const HWND window = game.GetWndHandle();
        game.Destroy();
        DestroyWindow(window);
        const VelmoraTest::ReplayResult result = VelmoraTest::LastReplay();
        Check(result.Same() && result.checkpoints >= 5 && result.finalPictureMatched,
              "the replay matches every checkpoint of the recording");
    }
    if (recordedDriver.empty())
        unsetenv("SDL_AUDIODRIVER");
    else
        setenv("SDL_AUDIODRIVER", recordedDriver.c_str(), 1);
    Check(VelmoraTest::TakeMessageBoxes().empty(), "no error box");
}

}  // namespace

int main() {
    TableRanks();
    SaveFileRoundTrip();
    PlayedSession();
    PadSession();
    ReplayedSession();
    std::printf("%s\n", failures ? "breakout_test: FAILED" : "breakout_test: OK");
    return failures ? 1 : 0;
}
