#include "DemoMenu.h"

#include <cstdio>

namespace {

// Control IDs of menu.ini.
constexpr DWORD kStars = 101, kBalls = 102, kLines = 103, kQuit = 104, kPanel = 200, kInfoText = 201;

}  // namespace

bool DemoMenu::Load(const std::string& folder) {
    const std::string source = folder.empty() ? "menu.ini" : folder + "/menu.ini";
    if (FILE* fp = std::fopen(source.c_str(), "rb")) {
        std::fclose(fp);
    } else {
        WriteLog(INFO_WARNING, "Demo menu not found: %s", source.c_str());
        return false;
    }
    // Every "File" becomes a path through the art folder, written with the engine's own INI
    // writer into a copy beside the log.
    CIniFile ini(source.c_str());
    char section[CIniFile::MAX_BUFFER], file[CIniFile::MAX_BUFFER];
    for (int n = 0; n < ini.GetIndexNum(); ++n) {
        if (!ini.GetIndex(n, section, sizeof(section))) continue;
        ini.ReadString(section, "File", file, sizeof(file), "");
        if (file[0] && file[0] != '/' && !folder.empty())
            ini.WriteString(section, "File", (folder + "/" + file).c_str());
    }
    const char* copy = "demo_menu.ini";
    if (!ini.Save(copy) || !GetGUIManager()->LoadFromFile(copy)) {
        WriteLog(INFO_WARNING, "Demo menu did not load: %s", source.c_str());
        return false;
    }
    // The paragraph's panel is narrower than the font's 70-byte lines.
    CWindow* panel = GetGUIManager()->GetElement(kPanel);
    if (auto* text = panel ? dynamic_cast<MLStatic*>(panel->GetSubWindow(kInfoText)) : nullptr) {
        text->GetFont()->SetLineCount(34);
        text->GetFont()->SetLineHeight(16);
    }
    m_bLoaded = true;
    // The buttons click (the breakout's click, made by its assets/make_sounds.py).
    const std::string click = folder.empty() ? "click.wav" : folder + "/click.wav";
    if (FILE* fp = std::fopen(click.c_str(), "rb")) {
        std::fclose(fp);
        m_hClick = LoadSound(click.c_str());
    }
    return true;
}

void DemoMenu::ProcessEvent() {
    if (m_bLoaded) GetGUIManager()->ProcessEvent();
}

void DemoMenu::Handle(const CMessage& message) {
    if (message.m_dwMessage != MSG_GUI_EVENT || message.m_dwParam1 != GUI_EVENT_CLICK) return;
    if (m_hClick) GetSoundManager()->Play(m_hClick, 70);
    switch (message.m_dwSourceID) {
        case kStars: m_bStars = !m_bStars, m_strLastClick = "stars"; break;
        case kBalls: m_bBalls = !m_bBalls, m_strLastClick = "balls"; break;
        case kLines: m_bLines = !m_bLines, m_strLastClick = "lines"; break;
        case kQuit: PostQuitMessage(0); break;
        default: break;
    }
}

void DemoMenu::Render() {
    if (m_bLoaded) GetGUIManager()->Render();
}
