// Match: the rules of play.
#include "Match.h"

#include <algorithm>
#include <cmath>

#include "Assets.h"
#include "Countdown.h"
#include "Effects.h"
#include "GameMessages.h"
#include "Pads.h"
#include "ScorePopup.h"
#include "Sounds.h"

namespace {

constexpr float kPi = 3.14159265f;
constexpr float kMaxBounce = 60 * kPi / 180;  // off the paddle's ends, from straight up
constexpr float kCapsuleFall = 150;           // pixels a second
constexpr int kCapsuleWidth = 32, kCapsuleHeight = 16;
const DWORD kCapsuleColors[Match::POWER_COUNT] = {0xFF80FF90, 0xFF80C8FF};
// The task layers: popups and the countdown are drawn in the high band, over the court.
constexpr unsigned char kPopupLayer = 140, kCountdownLayer = 150;

// A delayed message of the game's into the main queue.
void PostLater(DWORD id, DWORD delay, DWORD param1 = 0, DWORD param2 = 0) {
    CMessage message(id, 0, 0);
    message.SetDelay(delay);
    message.SetParameter(param1, param2, nullptr);
    PostMessageA(message);
}

}  // namespace

Match::Match(const GameText& text, Effects& effects, CTaskManager& tasks, GFont& bigFont)
    : m_Text(text), m_Effects(effects), m_Tasks(tasks), m_BigFont(bigFont) {}

bool Match::LoadArt() {
    bool ok = Assets::LoadAnimation(m_Ball, "art/ball.amf");
    ok = Assets::LoadAnimation(m_Paddle, "art/paddle.amf") && ok;
    ok = Assets::LoadAnimation(m_Capsule, "art/capsule.amf") && ok;
    m_hBricks = Assets::LoadFrameSet("art/bricks.amf");
    m_Paddle.SetLoopType(LOOP_PINGPONG);  // the light sweeps along the paddle and back
    for (CAnimation* animation : {&m_Ball, &m_Paddle, &m_Capsule}) animation->Play();
    m_Hud.CreateFontA("\xCB\xCE\xCC\xE5", 16, 0, 700);  // SimSun, the Song face
    return ok && m_hBricks != 0;
}

void Match::Start(int ballSpeed, bool autopilot) {
    m_nBallSpeed = ballSpeed;
    m_bAutopilot = autopilot;
    m_nScore = 0;
    m_nLives = kLives;
    m_nLevel = 1;
    m_Wall.Build(m_nLevel);
    m_Capsules.clear();
    for (int kind = 0; kind < POWER_COUNT; ++kind) EndPowerUp(PowerUp(kind));
    m_fPaddleX = Court::kCenterX;
    BeginCountdown();
}

void Match::Abandon() {
    m_State = STATE_OVER;
    m_pCountdown = nullptr;  // the game removes its tasks
    m_Capsules.clear();
    m_Effects.Clear();
}

void Match::BeginCountdown() {
    m_State = STATE_COUNTDOWN;
    Countdown* countdown = new Countdown(&m_BigFont, m_Text.Get(TEXT_GET_READY));
    countdown->SetLayer(kCountdownLayer);
    countdown->SetMessage(GetMessageManager(), MSG_SERVE);
    m_Tasks.AddTask(countdown);  // the task manager owns it from here
    m_pCountdown = countdown;
    m_bServeArmed = false;
}

void Match::Serve() {
    m_State = STATE_PLAYING;
    m_pCountdown = nullptr;                        // it ends itself
    const float angle = RandomFloat(-0.5f, 0.5f);  // up, a little to either side
    m_fBallVX = BallSpeed() * std::sin(angle);
    m_fBallVY = -BallSpeed() * std::cos(angle);
    m_Effects.StartTrail(m_fBallX, m_fBallY);
}

bool Match::Handle(const CMessage& message) {
    switch (message.m_dwMessage) {
        case MSG_SERVE:
            if (m_State == STATE_COUNTDOWN) Serve();
            return true;
        case MSG_POWER_END:
            // Only the latest start of a power-up ends it.
            if (message.m_dwParam1 < POWER_COUNT && message.m_dwParam2 == m_PowerSerial[message.m_dwParam1])
                EndPowerUp(PowerUp(message.m_dwParam1));
            return true;
        case MSG_NEXT_LEVEL:
            if (m_State == STATE_CLEARED) {
                m_Wall.Build(++m_nLevel);
                BeginCountdown();
            }
            return true;
        default: return false;
    }
}

void Match::Update(float seconds) {
    if (!IsRunning()) return;
    m_Ball.Update();
    m_Paddle.Update();
    m_Capsule.Update();
    MovePaddle(seconds);
    // A pad's A serves without waiting for the count.
    if (m_State == STATE_COUNTDOWN && !m_bAutopilot && m_pCountdown) {
        if (m_bServeArmed && Pads::Pressed(PAD_BUTTON_A)) m_pCountdown->Skip();
        m_bServeArmed = true;
    }
    if (m_State == STATE_COUNTDOWN) {  // the ball waits on the paddle
        m_fBallX = m_fPaddleX;
        m_fBallY = Court::kPaddleTop - kBallRadius;
    }
    if (m_State == STATE_PLAYING) {
        MoveBall(seconds);
        m_Effects.MoveTrail(m_fBallX, m_fBallY);
    }
    MoveCapsules(seconds);
}

void Match::MovePaddle(float seconds) {
    float target = m_fPaddleX;
    if (m_bAutopilot) {
        // Follows the ball, meeting it off-centre so that it flies off at an angle.
        target = m_State == STATE_PLAYING ? m_fBallX - m_fAim : Court::kCenterX;
        const float step = 900 * seconds;
        target = std::clamp(target, m_fPaddleX - step, m_fPaddleX + step);
    } else {
        const stInputInfo input = GetInputInfo();
        if (input.bMoved) target = static_cast<float>(input.ptCursor.x);
        if (IsKeyDown(DIK_LEFT) || Pads::Held(PAD_BUTTON_DPAD_LEFT)) target -= 700 * seconds;
        if (IsKeyDown(DIK_RIGHT) || Pads::Held(PAD_BUTTON_DPAD_RIGHT)) target += 700 * seconds;
        target += 900 * seconds * Pads::StickX();
    }
    const float half = m_nPaddleWidth / 2.0f;
    m_fPaddleX = std::clamp(target, Court::kLeft + half, Court::kRight - half);
}

void Match::MoveBall(float seconds) {
    // In steps of at most 4 pixels, so that a fast ball cannot pass through a brick.
    const int steps = std::max(1, static_cast<int>(std::ceil(BallSpeed() * seconds / 4)));
    const float h = seconds / steps;
    for (int i = 0; i < steps && m_State == STATE_PLAYING; ++i) {
        m_fBallX += m_fBallVX * h;
        m_fBallY += m_fBallVY * h;
        if (m_fBallX - kBallRadius < Court::kLeft) {
            m_fBallX = Court::kLeft + kBallRadius;
            m_fBallVX = std::fabs(m_fBallVX);
            Sound(Sounds::WALL, m_fBallX);
        } else if (m_fBallX + kBallRadius > Court::kRight) {
            m_fBallX = Court::kRight - kBallRadius;
            m_fBallVX = -std::fabs(m_fBallVX);
            Sound(Sounds::WALL, m_fBallX);
        }
        if (m_fBallY - kBallRadius < Court::kTop) {
            m_fBallY = Court::kTop + kBallRadius;
            m_fBallVY = std::fabs(m_fBallVY);
            Sound(Sounds::WALL, m_fBallX);
        }
        bool side = false;
        const int brick = m_Wall.Touch(m_fBallX, m_fBallY, kBallRadius, &side);
        if (brick >= 0) {
            // Sent away from the brick's centre, so a ball still touching it next step does
            // not turn back into it.
            const GRect& r = m_Wall.Bricks()[brick].rect;
            if (side)
                m_fBallVX = m_fBallX < (r.left + r.right) / 2.0f ? -std::fabs(m_fBallVX) : std::fabs(m_fBallVX);
            else
                m_fBallVY = m_fBallY < (r.top + r.bottom) / 2.0f ? -std::fabs(m_fBallVY) : std::fabs(m_fBallVY);
            BreakBrick(brick);
        }
        BounceOffPaddle();
        if (m_fBallY - kBallRadius > Court::kBottom) LoseBall();
    }
}

void Match::BounceOffPaddle() {
    const float half = m_nPaddleWidth / 2.0f;
    if (m_fBallVY <= 0 || m_fBallY + kBallRadius < Court::kPaddleTop || m_fBallY > Court::kPaddleTop + kPaddleHeight ||
        std::fabs(m_fBallX - m_fPaddleX) > half + kBallRadius)
        return;
    // The farther from the centre the ball meets the paddle, the flatter it flies off.
    const float offset = std::clamp((m_fBallX - m_fPaddleX) / half, -1.0f, 1.0f);
    m_fBallVX = BallSpeed() * std::sin(offset * kMaxBounce);
    m_fBallVY = -BallSpeed() * std::cos(offset * kMaxBounce);
    m_fBallY = Court::kPaddleTop - kBallRadius;
    m_fAim = RandomFloat(-0.7f, 0.7f) * half;
    Sound(Sounds::PADDLE, m_fBallX);
}

void Match::Sound(int effect, float x) const {
    if (m_pSounds) m_pSounds->Play(Sounds::Effect(effect), x);
}

void Match::BreakBrick(int index) {
    const Brick brick = m_Wall.Bricks()[index];
    const int points = m_Wall.Hit(index);
    const GPoint centre = brick.rect.CenterPoint();
    Sound(points ? Sounds::BRICK : Sounds::STEEL, float(centre.x));
    if (!points) return;  // a steel brick cracked
    m_nScore += points;
    m_Effects.Burst(float(centre.x), float(centre.y), BrickWall::kColors[brick.color]);
    ScorePopup* popup = new ScorePopup(centre.x, centre.y, points, BrickWall::kColors[brick.color]);
    popup->SetLayer(kPopupLayer);
    m_Tasks.AddTask(popup);
    if (m_nCapsuleChance > 0 && RandomInt(0, m_nCapsuleChance) == 0)
        m_Capsules.push_back({float(centre.x), float(centre.y), RandomFloat(0, 1) < 0.5f ? POWER_WIDE : POWER_SLOW});
    if (m_Wall.Remaining() > 0) return;
    m_State = STATE_CLEARED;
    m_nScore += 100 * m_nLevel;  // the level's bonus
    m_Capsules.clear();
    m_Effects.StopTrail();
    PostLater(MSG_NEXT_LEVEL, kLevelPauseMs);
}

void Match::LoseBall() {
    Pads::Rumble(0.8f, 0.5f, 300);
    Sound(Sounds::LOST, m_fBallX);
    m_Effects.StopTrail();
    m_Capsules.clear();
    if (--m_nLives > 0) {
        BeginCountdown();
        return;
    }
    m_State = STATE_OVER;
    PostLater(MSG_MATCH_OVER, kGameOverPauseMs);
}

void Match::MoveCapsules(float seconds) {
    const float half = m_nPaddleWidth / 2.0f;
    for (size_t i = 0; i < m_Capsules.size();) {
        Capsule& capsule = m_Capsules[i];
        capsule.y += kCapsuleFall * seconds;
        const bool caught = std::fabs(capsule.x - m_fPaddleX) < half + kCapsuleWidth / 2 &&
                            capsule.y + kCapsuleHeight / 2 >= Court::kPaddleTop &&
                            capsule.y - kCapsuleHeight / 2 <= Court::kPaddleTop + kPaddleHeight;
        if (caught) {
            StartPowerUp(capsule.kind);
            m_Effects.Sparkle(capsule.x, Court::kPaddleTop);
            Sound(Sounds::CAPSULE, capsule.x);
        }
        if (caught || capsule.y - kCapsuleHeight / 2 > Court::kBottom)
            m_Capsules.erase(m_Capsules.begin() + i);
        else
            ++i;
    }
}

void Match::StartPowerUp(PowerUp kind) {
    const float before = BallSpeed();
    m_PowerEnd[kind] = timeGetTime() + kPowerUpMs;
    m_bPowerOn[kind] = true;
    if (kind == POWER_WIDE) m_nPaddleWidth = kWidePaddleWidth;
    if (kind == POWER_SLOW) RescaleBall(before);
    // The expiry is a delayed message; a later start of the same power-up outdates it.
    PostLater(MSG_POWER_END, kPowerUpMs, kind, ++m_PowerSerial[kind]);
}

void Match::EndPowerUp(PowerUp kind) {
    const float before = BallSpeed();
    m_bPowerOn[kind] = false;
    if (kind == POWER_WIDE) m_nPaddleWidth = kPaddleWidth;
    if (kind == POWER_SLOW) RescaleBall(before);
}

float Match::BallSpeed() const {
    const float speed = (250.0f + 50.0f * m_nBallSpeed) * (1.0f + 0.1f * (m_nLevel - 1));
    return m_bPowerOn[POWER_SLOW] ? speed * 0.65f : speed;
}

void Match::RescaleBall(float before) {
    if (before <= 0) return;
    m_fBallVX *= BallSpeed() / before;
    m_fBallVY *= BallSpeed() / before;
}

void Match::Render() {
    if (m_State == STATE_IDLE) return;
    RenderCourt();
    m_Wall.Render(m_hBricks);
    for (const Capsule& capsule : m_Capsules) {
        m_Capsule.SetColor(kCapsuleColors[capsule.kind]);
        m_Capsule.SetPosition(int(capsule.x) - kCapsuleWidth / 2, int(capsule.y) - kCapsuleHeight / 2);
        m_Capsule.Render();
    }
    RECT paddle = {LONG(m_fPaddleX - m_nPaddleWidth / 2.0f), Court::kPaddleTop,
                   LONG(m_fPaddleX + m_nPaddleWidth / 2.0f), Court::kPaddleTop + kPaddleHeight};
    m_Paddle.Render(&paddle, nullptr);  // stretched when wide
    m_Effects.Render();
    if (m_State == STATE_COUNTDOWN || m_State == STATE_PLAYING) {
        m_Ball.SetPosition(int(m_fBallX - kBallRadius), int(m_fBallY - kBallRadius));
        m_Ball.Render();
    }
    if (m_State == STATE_CLEARED)
        m_BigFont.DrawSingleLine(Court::kCenterX, 380, 0xFFFFE080, true, "%s", m_Text.Get(TEXT_LEVEL_CLEARED));
    if (m_State == STATE_OVER)
        m_BigFont.DrawSingleLine(Court::kCenterX, 380, 0xFFFF8080, true, "%s", m_Text.Get(TEXT_GAME_OVER));
    RenderHud();
    m_Hud.Update();  // lets go of the textures of texts no longer shown
}

void Match::RenderCourt() const {
    CGraphics* graphics = GetGraphics();
    const DWORD edge = 0xFF5A8CF0;
    graphics->Line(Court::kLeft, Court::kBottom, Court::kLeft, Court::kTop, edge);
    graphics->Line(Court::kLeft, Court::kTop, Court::kRight, Court::kTop, edge);
    graphics->Line(Court::kRight, Court::kTop, Court::kRight, Court::kBottom, edge);
}

void Match::RenderHud() {
    m_Hud.DrawSingleLine(Court::kLeft, 20, 0xFFFFFFFF, false, "%s %d    %s %d    %s %d", m_Text.Get(TEXT_SCORE),
                         m_nScore, m_Text.Get(TEXT_LIVES), m_nLives, m_Text.Get(TEXT_LEVEL), m_nLevel);
    // The power-ups on, with the seconds they have left.
    int x = 320;
    const TextId names[POWER_COUNT] = {TEXT_WIDE_PADDLE, TEXT_SLOW_BALL};
    for (int kind = 0; kind < POWER_COUNT; ++kind) {
        if (!m_bPowerOn[kind]) continue;
        const DWORD left = m_PowerEnd[kind] - timeGetTime();
        const int seconds = left > kPowerUpMs ? 0 : int((left + 999) / 1000);
        m_Hud.DrawSingleLine(x, 20, kCapsuleColors[kind], false, "%s %d", m_Text.Get(names[kind]), seconds);
        x += 150;
    }
}
