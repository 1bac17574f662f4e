// Match: one game from the first serve to the last ball: the paddle, the ball, the bricks,
// the falling capsules, the score, the lives and the level. Its timed events run on the
// engine's messages: a Countdown task posts MSG_SERVE before each serve, and delayed
// messages end power-ups, start the next level and end the match.
#pragma once

#include <vector>

#include <velmora/Velmora.h>

#include "BrickWall.h"
#include "Court.h"
#include "GameText.h"

class Countdown;
class Effects;
class Sounds;

class Match {
public:
    enum State { STATE_IDLE, STATE_COUNTDOWN, STATE_PLAYING, STATE_CLEARED, STATE_OVER };
    enum PowerUp { POWER_WIDE, POWER_SLOW, POWER_COUNT };

    static constexpr int kLives = 3;
    static constexpr int kPaddleWidth = 96, kWidePaddleWidth = 144, kPaddleHeight = 16;
    static constexpr float kBallRadius = 8;
    static constexpr DWORD kPowerUpMs = 10000;       // how long a power-up lasts
    static constexpr DWORD kLevelPauseMs = 1500;     // between a cleared level and the next
    static constexpr DWORD kGameOverPauseMs = 2500;  // between the last ball and the title

    // The texts, effects, tasks and the big font must outlive the match.
    Match(const GameText& text, Effects& effects, CTaskManager& tasks, GFont& bigFont);

    // The animations (ball, paddle, capsule) and the bricks' frame set; false when one is
    // missing (the match still runs, without that picture).
    bool LoadArt();
    // A new match at level 1. `ballSpeed` is the setting (1 to 5); with `autopilot` the
    // paddle plays by itself.
    void Start(int ballSpeed, bool autopilot);
    // Ends the match at once (the player left it); its score stands.
    void Abandon();

    // One frame of play, `seconds` after the last one.
    void Update(float seconds);
    // The game's messages (MSG_SERVE, MSG_POWER_END, MSG_NEXT_LEVEL); true when it was one.
    bool Handle(const CMessage& message);
    void Render();

    // Starts power-up `kind` for kPowerUpMs, or starts its time afresh when it is on.
    void StartPowerUp(PowerUp kind);
    bool IsPowerUpOn(PowerUp kind) const { return m_bPowerOn[kind]; }
    // About one broken brick in `chance` drops a capsule; 0 drops none.
    void SetCapsuleChance(int chance) { m_nCapsuleChance = chance; }
    // Where the match's sounds go (none at first); they must outlive the match.
    void SetSounds(Sounds* sounds) { m_pSounds = sounds; }

    State GetState() const { return m_State; }
    bool IsRunning() const { return m_State != STATE_IDLE && m_State != STATE_OVER; }
    int Score() const { return m_nScore; }
    int Level() const { return m_nLevel; }
    int Lives() const { return m_nLives; }
    int PaddleWidth() const { return m_nPaddleWidth; }
    float PaddleX() const { return m_fPaddleX; }
    float BallX() const { return m_fBallX; }
    float BallY() const { return m_fBallY; }
    const BrickWall& Wall() const { return m_Wall; }

private:
    struct Capsule {
        float x, y;  // centre
        PowerUp kind;
    };

    void BeginCountdown();
    void Serve();
    void MovePaddle(float seconds);
    void MoveBall(float distance);
    void BounceOffPaddle();
    void BreakBrick(int index);
    void LoseBall();
    void MoveCapsules(float seconds);
    void EndPowerUp(PowerUp kind);
    float BallSpeed() const;
    // Keeps the ball's direction at the speed of now, after a change from `before`.
    void RescaleBall(float before);
    void RenderCourt() const;
    // An effect of Sounds, heard from `x` on the court.
    void Sound(int effect, float x) const;
    void RenderHud();

    const GameText& m_Text;
    Effects& m_Effects;
    Sounds* m_pSounds = nullptr;
    CTaskManager& m_Tasks;
    GFont& m_BigFont;

    Countdown* m_pCountdown = nullptr;  // the count before the serve, while it runs
    bool m_bServeArmed = false;         // the count ran a frame: the press that started it is past
    CAnimation m_Ball, m_Paddle, m_Capsule;
    DWORD m_hBricks = 0;  // frame set of the bricks
    BrickWall m_Wall;
    std::vector<Capsule> m_Capsules;

    State m_State = STATE_IDLE;
    bool m_bAutopilot = false;
    int m_nBallSpeed = 3;
    int m_nCapsuleChance = 7;
    int m_nScore = 0, m_nLives = kLives, m_nLevel = 1;
    int m_nPaddleWidth = kPaddleWidth;
    float m_fPaddleX = Court::kCenterX;
    float m_fAim = 0;  // where the autopilot meets the ball, from the paddle's centre
    float m_fBallX = 0, m_fBallY = 0, m_fBallVX = 0, m_fBallVY = 0;
    // Each power-up's state, its end and the serial number of its latest start: an expiry
    // message of an earlier start finds a newer serial and is ignored.
    bool m_bPowerOn[POWER_COUNT] = {};
    DWORD m_PowerEnd[POWER_COUNT] = {};
    DWORD m_PowerSerial[POWER_COUNT] = {};
    GFont m_Hud;
};
