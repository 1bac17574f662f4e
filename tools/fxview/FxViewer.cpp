// FxViewer: loading and reloading the effect, the pointer and keys, timing and the status line.
#include "FxViewer.h"

#include <chrono>
#include <cstdio>
#include <system_error>

namespace {

const DWORD kCheckIntervalMs = 250;  // how often the file is looked at for changes
const DWORD kShownIntervalMs = 1000;

double MillisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

std::string FrameTimeText(double ms, bool utf8) {
    char text[32];
    if (ms < 1)
        std::snprintf(text, sizeof text, "%.1f %ss", ms * 1000, utf8 ? "\xC2\xB5" : "\xA6\xCC");
    else
        std::snprintf(text, sizeof text, "%.2f ms", ms);
    return text;
}

std::string FxViewer::StatusText() const {
    const bool utf8 = GetTextEncoding() == TEXT_ENCODING_UTF8;
    const double update = m_bShownWindow ? m_fShownUpdateMs : MeanUpdateMs();
    const double draw = m_bShownWindow ? m_fShownDrawMs : MeanDrawMs();
    return m_Options.file + "   particles " + std::to_string(m_System.GetParticlesAlive()) + "   update " +
           FrameTimeText(update, utf8) + "   draw " + FrameTimeText(draw, utf8);
}

void FxViewer::Start() {
    m_fX = m_Options.x >= 0 ? m_Options.x : GetWindowWidth() / 2.0f;
    m_fY = m_Options.y >= 0 ? m_Options.y : GetWindowHeight() / 2.0f;
    Load();
    m_System.FireAt(m_fX, m_fY);
    m_dwWindowStart = m_dwLastCheck = timeGetTime();
}

void FxViewer::Load() {
    std::error_code error;
    m_FileTime = std::filesystem::last_write_time(m_Options.file, error);
    m_nFileSize = std::filesystem::file_size(m_Options.file, error);
    // Released first, so that a changed texture file is read again.
    if (DWORD texture = m_System.GetTexture()) ReleaseTexture(texture);
    const long mark = LoadLogMark();
    m_System.LoadIniFile(m_Options.file.c_str());
    m_Lines = LoadLogLinesAfter(mark);
    for (const LoadLogLine& line : m_Lines)
        std::printf("fxview: %s: %s\n", line.error ? "error" : "warning", line.text.c_str());
    std::fflush(stdout);
}

void FxViewer::WatchFile() {
    const DWORD now = timeGetTime();
    if (now - m_dwLastCheck < kCheckIntervalMs) return;
    m_dwLastCheck = now;
    std::error_code timeError, sizeError;
    const auto time = std::filesystem::last_write_time(m_Options.file, timeError);
    const auto size = std::filesystem::file_size(m_Options.file, sizeError);
    if (timeError || sizeError || (time == m_FileTime && size == m_nFileSize)) return;
    // The new numbers take over from here; the live particles finish with the old ones.
    Load();
    m_System.FireAt(m_fX, m_fY);
    ++m_nReloads;
    std::printf("fxview: %s changed, reloaded\n", m_Options.file.c_str());
    std::fflush(stdout);
}

void FxViewer::HandleInput() {
    const stInputInfo input = GetInputInfo();
    const float px = static_cast<float>(input.ptCursor.x), py = static_cast<float>(input.ptCursor.y);
    if (input.dwMouse == MOUSE_LDOWN) {
        m_fX = px;
        m_fY = py;
        if (m_System.GetAge() == ParticleSystem::AGE_STOPPED)
            m_System.FireAt(px, py);
        else
            m_System.MoveTo(px, py);
    } else if (IsMouseDown(0) && (px != m_fX || py != m_fY)) {
        m_fX = px;
        m_fY = py;
        m_System.MoveTo(px, py);  // particles spread along the path
    }
    if (input.dwKey == DIK_SPACE) m_System.FireAt(m_fX, m_fY);
    if (input.dwKey == DIK_S) m_System.Stop(false);
}

void FxViewer::DrawStatus() {
    DrawSingleLine(10, 10, 0xFFFFFFFF, false, "%s", StatusText().c_str());
    DrawSingleLine(10, 30, 0xFFA0A0A0, false,
                   "Space: fire   S: stop   left button: drag the effect   the file reloads when saved");
    // What the last load logged, along the bottom.
    int y = GetWindowHeight() - 8 - 16 * static_cast<int>(m_Lines.size());
    for (const LoadLogLine& line : m_Lines) {
        DrawSingleLine(10, y, line.error ? 0xFFFF6060 : 0xFFFFC040, false, "%s", line.text.c_str());
        y += 16;
    }
}

void FxViewer::MainLoop() {
    ++m_nFrames;
    WatchFile();
    HandleInput();

    const auto updateStart = std::chrono::steady_clock::now();
    m_System.Update();
    const double updateMs = MillisecondsSince(updateStart);

    CGraphics* graphics = GetGraphics();
    graphics->SetBKColor(0xFF181818);
    double drawMs = 0;
    if (graphics->BeginScene()) {
        const auto drawStart = std::chrono::steady_clock::now();
        graphics->BeginSprite();  // one batch, as a game would draw its effects
        m_System.Render();
        graphics->EndSprite();
        drawMs = MillisecondsSince(drawStart);
        DrawStatus();
        const bool last = m_Options.frames > 0 && m_nFrames >= m_Options.frames;
        if (last && !m_Options.snapFile.empty()) graphics->SnapToFile(m_Options.snapFile.c_str());
        graphics->EndScene();
    }

    m_fTotalUpdateMs += updateMs;
    m_fTotalDrawMs += drawMs;
    m_fWindowUpdateMs += updateMs;
    m_fWindowDrawMs += drawMs;
    ++m_nWindowFrames;
    if (timeGetTime() - m_dwWindowStart >= kShownIntervalMs) {
        m_fShownUpdateMs = m_fWindowUpdateMs / m_nWindowFrames;
        m_fShownDrawMs = m_fWindowDrawMs / m_nWindowFrames;
        m_bShownWindow = true;
        m_fWindowUpdateMs = m_fWindowDrawMs = 0;
        m_nWindowFrames = 0;
        m_dwWindowStart = timeGetTime();
    }
    if (m_Options.frames > 0 && m_nFrames >= m_Options.frames) PostQuitMessage(0);
}
