// BreakoutGame: the application. It owns the screens, the match, the effects, the sounds and
// the task manager, drains the message queue each frame and hands each message to whoever it is for,
// and keeps the high scores and preferences in the player's save file.
#pragma once

#include <string>

#include <velmora/Velmora.h>

#include "Effects.h"
#include "GameText.h"
#include "HighScoreTable.h"
#include "Match.h"
#include "Preferences.h"
#include "SettingsScreen.h"
#include "Sounds.h"
#include "TitleScreen.h"

class BreakoutGame : public CGameApp {
public:
    struct Options {
        int frames = 0;          // stop after this many frames; 0 runs until the player quits
        std::string snapFile;    // the last frame is saved there as a BMP file
        std::string dataFolder;  // where the save file lives
        bool autopilot = false;  // the paddle plays by itself, one match after another
    };

    explicit BreakoutGame(Options options);

    // After InitApplication: the texts, the screens, the art and the save file. False when
    // something is missing (the log says what); the game still runs without it.
    bool Load();
    void MainLoop() override;
    // After Run: a match still under way ends, and its score enters the table.
    void Finish();

    int FramesRun() const { return m_nFramesRun; }
    // The score of the last match that ended, and its rank in the table (-1: not in it).
    int LastScore() const { return m_nLastScore; }
    int LastRank() const { return m_nLastRank; }
    bool IsPaused() const { return m_bPaused; }
    const Match& GetMatch() const { return m_Match; }
    Match& GetMatch() { return m_Match; }
    const HighScoreTable& Scores() const { return m_Scores; }
    std::string SaveFilePath() const;

private:
    void StartMatch();
    void EndMatch();
    void DrainMessages();
    void HandleKeys();
    void ApplyPreferences();
    void RenderBackground() const;
    const std::string& PlayerName() const;

    Options m_Options;
    GameText m_Text;
    Preferences m_Preferences;
    HighScoreTable m_Scores;
    Effects m_Effects;
    Sounds m_Sounds;
    CTaskManager m_Tasks;
    GFont m_BigFont;
    Match m_Match;
    TitleScreen m_Title;
    SettingsScreen m_Settings;
    bool m_bPlaying = false;
    bool m_bPaused = false;  // the ball, the paddle and the tasks stand still
    int m_nFramesRun = 0;
    int m_nLastScore = 0;
    int m_nLastRank = -1;
    DWORD m_dwLastFrame = 0;
};
