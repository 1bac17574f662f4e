// BreakoutGame: the frame, the messages and the moves between the title and a match.
#include "BreakoutGame.h"

#include <algorithm>

#include "Court.h"
#include "GameMessages.h"
#include "Pads.h"
#include "SaveFile.h"

namespace {

// Whatever the frame rate, a frame moves the game by at most this much: after a stall (a
// window dragged, a slow disk) the ball must not jump through the paddle.
constexpr float kMaxFrameSeconds = 0.05f;

}  // namespace

BreakoutGame::BreakoutGame(Options options)
    : m_Options(std::move(options)),
      m_Match(m_Text, m_Effects, m_Tasks, m_BigFont),
      m_Title(m_Text, m_Scores),
      m_Settings(m_Text, m_Preferences) {}

std::string BreakoutGame::SaveFilePath() const { return SaveFile::PathIn(m_Options.dataFolder); }

bool BreakoutGame::Load() {
    bool ok = m_Text.Load("text.ini");
    m_Preferences.Load(SaveFilePath());
    m_Scores.Load(SaveFilePath());
    m_BigFont.CreateFontA("\xCB\xCE\xCC\xE5", 48, 0, 700);  // SimSun, the Song face
    ok = m_Title.Load() && ok;
    ok = m_Settings.Load() && ok;
    ok = m_Match.LoadArt() && ok;
    ok = m_Effects.Load() && ok;
    // Every screen works with the keyboard or a pad alone.
    GetGUIManager()->EnableNavigation(true);
    ok = m_Sounds.Load() && ok;
    m_Match.SetSounds(&m_Sounds);
    ApplyPreferences();
    m_dwLastFrame = timeGetTime();
    if (m_Options.autopilot) StartMatch();
    return ok;
}

void BreakoutGame::ApplyPreferences() {
    m_Text.SetLanguage(m_Preferences.language);
    m_Effects.SetEnabled(m_Preferences.particles);
    m_Sounds.SetVolumes(m_Preferences.effectsVolume, m_Preferences.musicVolume);
    m_Title.Translate();
    m_Settings.Translate();
}

const std::string& BreakoutGame::PlayerName() const {
    static const std::string anonymous = "?";
    if (!m_Preferences.player.empty()) return m_Preferences.player;
    return m_Text.Players().empty() ? anonymous : m_Text.Players().front();
}

void BreakoutGame::StartMatch() {
    m_bPlaying = true;
    m_bPaused = false;
    m_Title.Show(false);
    m_Match.Start(m_Preferences.ballSpeed, m_Options.autopilot);
}

void BreakoutGame::EndMatch() {
    m_Match.Abandon();
    m_bPlaying = false;
    m_bPaused = false;
    // Nothing of the match may reach the next one: its tasks (a countdown, popups) and its
    // messages still waiting in the queue (a serve, a power-up's end, the next level).
    m_Tasks.RemoveAll();
    CMessageManager* queue = GetMessageManager();
    for (DWORD id : {MSG_SERVE, MSG_POWER_END, MSG_NEXT_LEVEL, MSG_MATCH_OVER}) queue->DeleteMessage(id);

    m_nLastScore = m_Match.Score();
    m_nLastRank = m_Scores.Insert(PlayerName(), m_Match.Score(), m_Match.Level());
    if (m_nLastRank >= 0) m_Scores.Save(SaveFilePath());
    WriteLog(INFO_NORMAL, "Match over: score %d, level %d, rank %d", m_nLastScore, m_Match.Level(), m_nLastRank + 1);
    m_Title.SetHighlight(m_nLastRank);
    m_Title.Show(true);
    if (m_Options.autopilot) StartMatch();  // the demonstration goes on
}

void BreakoutGame::Finish() {
    m_Options.autopilot = false;  // no new demonstration after the last frame
    if (m_bPlaying) EndMatch();
}

void BreakoutGame::DrainMessages() {
    int index = 0;
    CMessage message;
    while (PeekMessageA(index, message, true)) {
        if (message.m_dwMessage == MSG_GUI_EVENT && message.m_dwParam1 == GUI_EVENT_CLICK) m_Sounds.Play(Sounds::CLICK);
        if (message.m_dwMessage == MSG_MATCH_OVER) {
            EndMatch();
            continue;
        }
        if (m_bPlaying && m_Match.Handle(message)) continue;
        switch (m_Settings.Handle(message)) {
            case SettingsScreen::RESULT_CHANGED: ApplyPreferences(); break;
            case SettingsScreen::RESULT_CLOSED:
                m_Title.Enable(true);
                m_Preferences.Save(SaveFilePath());
                break;
            default: break;
        }
        switch (m_Title.Handle(message)) {
            case TitleScreen::CHOICE_PLAY: StartMatch(); break;
            case TitleScreen::CHOICE_SETTINGS:
                m_Title.Enable(false);  // the settings window is modal
                m_Settings.Open();
                break;
            case TitleScreen::CHOICE_QUIT: PostQuitMessage(0); break;
            default: break;
        }
    }
}

void BreakoutGame::HandleKeys() {
    const stInputInfo input = GetInputInfo();
    // P or a pad's Start pauses a match; a pad's Back leaves it as Esc does.
    if (m_bPlaying && (input.dwKey == DIK_P || Pads::Pressed(PAD_BUTTON_START))) m_bPaused = !m_bPaused;
    if (input.dwKey != DIK_ESCAPE && !(m_bPlaying && Pads::Pressed(PAD_BUTTON_BACK))) return;
    if (m_bPlaying)
        EndMatch();  // back to the title; the score counts
    else if (!m_Settings.IsOpen())
        PostQuitMessage(0);
}

void BreakoutGame::RenderBackground() const {
    // A dark blue gradient, in the engine's vertex format with no texture.
    IDirect3DDevice9* device = GetD3DDevice();
    device->SetTexture(0, nullptr);
    const float w = static_cast<float>(GetWindowWidth()), h = static_cast<float>(GetWindowHeight());
    const EngineVertex quad[4] = {{0, 0, 0, 0xFF0A1430, 0, 0},
                                  {w, 0, 0, 0xFF0A1430, 0, 0},
                                  {0, h, 0, 0xFF1A3468, 0, 0},
                                  {w, h, 0, 0xFF1A3468, 0, 0}};
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(EngineVertex));
}

void BreakoutGame::MainLoop() {
    ++m_nFramesRun;
    const DWORD now = timeGetTime();
    const float seconds = std::min(kMaxFrameSeconds, (now - m_dwLastFrame) / 1000.0f);
    m_dwLastFrame = now;

    GetGUIManager()->ProcessEvent();
    // The keys before the messages: an Esc that closes the settings (as a cancel of the GUI)
    // must find them open, or it would quit from the title too.
    HandleKeys();
    DrainMessages();
    // A pause holds the match and its tasks (the countdown, the popups); the power-ups'
    // delayed ends run on.
    if (!m_bPaused) m_Tasks.Update();
    if (m_bPlaying && !m_bPaused) m_Match.Update(seconds);

    CGraphics* graphics = GetGraphics();
    if (graphics->BeginScene()) {
        RenderBackground();
        if (m_bPlaying) m_Match.Render();
        m_Tasks.Render(TASK_LAYER_HIGH);
        GetGUIManager()->Render();
        if (!m_bPlaying) m_Title.Render();
        if (m_bPaused) m_BigFont.DrawSingleLine(Court::kCenterX, 300, 0xFFFFE080, true, "%s", m_Text.Get(TEXT_PAUSED));
        if (m_Options.autopilot)
            DrawSingleLine(Court::kCenterX, 590, 0xFF90A8D0, true, "%s", m_Text.Get(TEXT_AUTOPILOT));
        DrawSingleLine(620, 20, 0xFFFFD27A, false, "%s %d", m_Text.Get(TEXT_BEST),
                       std::max(m_Scores.Best(), m_Match.Score()));
        const bool last = m_Options.frames > 0 && m_nFramesRun >= m_Options.frames;
        if (last && !m_Options.snapFile.empty()) graphics->SnapToFile(m_Options.snapFile.c_str());
        graphics->EndScene();
    }
    m_BigFont.Update();
    if (m_Options.frames > 0 && m_nFramesRun >= m_Options.frames) PostQuitMessage(0);
}
