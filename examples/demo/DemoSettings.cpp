#include "DemoSettings.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

// Control IDs of settings.ini, and the main menu's button that opens the screen.
constexpr DWORD kMenuSettings = 105;
constexpr DWORD kWindow = 300, kPoints = 301, kFrame = 302, kBackground = 303, kStars = 307, kSpeed = 308,
                kPlainList = 309, kCoolList = 310, kClose = 311, kStarsLabel = 327, kSpeedLabel = 328;
constexpr size_t kRecentCount = 4;
const DWORD kBackgrounds[3] = {0xFF102040, 0xFF103024, 0xFF2C1034};

const char* ClassName(DWORD type) {
    switch (type) {
        case GUI_TYPE_BUTTON: return "Button";
        case GUI_TYPE_STATIC: return "GStatic";
        case GUI_TYPE_CHECKBOX: return "CCheckBox";
        case GUI_TYPE_RADIOGROUP: return "RadioGroup";
        case GUI_TYPE_SLIDER: return "CSlider";
        case GUI_TYPE_LISTBOX: return "GListBox";
        case GUI_TYPE_COOLBUTTON: return "CoolButton";
        case GUI_TYPE_COOLLISTBOX: return "CoolListBox";
        case GUI_TYPE_NUMBERINPUTBOX: return "CNumberInputBox";
        default: return "CWindow";
    }
}

const char* EventName(DWORD code) {
    switch (code) {
        case GUI_EVENT_ENTER: return "enter";
        case GUI_EVENT_PRESS: return "press";
        case GUI_EVENT_CLICK: return "click";
        case GUI_EVENT_LEAVE: return "leave";
        case GUI_EVENT_CHANGE: return "change";
        default: return "?";
    }
}

float FloatOf(DWORD bits) {
    float value = 0;
    std::memcpy(&value, &bits, sizeof(value));
    return value;
}

}  // namespace

bool DemoSettings::Load(const std::string& folder) {
    const std::string source = folder.empty() ? "settings.ini" : folder + "/settings.ini";
    if (FILE* fp = std::fopen(source.c_str(), "rb")) {
        std::fclose(fp);
    } else {
        WriteLog(INFO_WARNING, "Demo settings not found: %s", source.c_str());
        return false;
    }
    // As for the menu: every "File" becomes a path through the art folder, in a copy.
    CIniFile ini(source.c_str());
    char section[CIniFile::MAX_BUFFER], file[CIniFile::MAX_BUFFER];
    for (int n = 0; n < ini.GetIndexNum(); ++n) {
        if (!ini.GetIndex(n, section, sizeof(section))) continue;
        ini.ReadString(section, "File", file, sizeof(file), "");
        if (file[0] && file[0] != '/' && !folder.empty())
            ini.WriteString(section, "File", (folder + "/" + file).c_str());
    }
    const char* copy = "demo_settings.ini";
    GUIManager* manager = GetGUIManager();
    if (!ini.Save(copy) || !manager->LoadFromFile(copy) || !(m_pWindow = manager->GetElement(kWindow))) {
        WriteLog(INFO_WARNING, "Demo settings did not load: %s", source.c_str());
        return false;
    }
    // The lists show both looks with a hundred items each.
    char text[64];
    for (DWORD id : {kPlainList, kCoolList}) {
        auto* list = dynamic_cast<GListBox*>(m_pWindow->GetSubWindow(id));
        if (!list) continue;
        for (int i = 1; i <= 100; ++i) {
            std::snprintf(text, sizeof(text), "%s item %d%s", id == kPlainList ? "Plain" : "Skinned", i,
                          i % 10 == 0 ? " (a tenth: 10%)" : "");
            list->AddItem(text, nullptr);
        }
        if (id == kCoolList) list->SetStyle(0);  // one item at a time
    }
    for (DWORD id : {kPoints, kFrame})
        if (auto* box = dynamic_cast<CCheckBox*>(m_pWindow->GetSubWindow(id))) box->SetSelect(true);
    if (auto* speed = dynamic_cast<CNumberInputBox*>(m_pWindow->GetSubWindow(kSpeed))) speed->SetValue(1);
    m_pWindow->Show(false);
    return true;
}

DWORD DemoSettings::Background() const { return kBackgrounds[m_nBackground % 3]; }

void DemoSettings::SetLabel(DWORD id, const char* text) {
    if (auto* label = m_pWindow ? dynamic_cast<GStatic*>(m_pWindow->GetSubWindow(id)) : nullptr)
        label->SetCaption(text);
}

void DemoSettings::Remember(const CMessage& message) {
    const CWindow* control = static_cast<const CWindow*>(message.m_pData);
    char line[128];
    if (control && control->GetType() == GUI_TYPE_NUMBERINPUTBOX)
        std::snprintf(line, sizeof(line), "%s %u %s %g", ClassName(control->GetType()), unsigned(message.m_dwSourceID),
                      EventName(message.m_dwParam1), double(FloatOf(message.m_dwParam2)));
    else
        std::snprintf(line, sizeof(line), "%s %u %s %u", control ? ClassName(control->GetType()) : "?",
                      unsigned(message.m_dwSourceID), EventName(message.m_dwParam1), unsigned(message.m_dwParam2));
    m_Recent.push_back(line);
    if (m_Recent.size() > kRecentCount) m_Recent.pop_front();
}

void DemoSettings::Handle(const CMessage& message) {
    if (message.m_dwMessage != MSG_GUI_EVENT || !m_pWindow) return;
    Remember(message);
    const DWORD code = message.m_dwParam1, value = message.m_dwParam2;
    char text[64];
    switch (message.m_dwSourceID) {
        case kMenuSettings:
            if (code == GUI_EVENT_CLICK) m_pWindow->Show(true);
            break;
        case kClose:
            if (code == GUI_EVENT_CLICK) m_pWindow->Show(false);
            break;
        case kPoints:
            if (code == GUI_EVENT_CHANGE) m_bPoints = value != 0;
            break;
        case kFrame:
            if (code == GUI_EVENT_CHANGE) m_bFrame = value != 0;
            break;
        case kBackground:
            // The radio group reports the ID of the box now selected: 304, 305 or 306.
            if (code == GUI_EVENT_CHANGE && value >= 304 && value <= 306) m_nBackground = int(value - 304);
            break;
        case kStars:
            if (code != GUI_EVENT_CHANGE) break;
            m_nStars = int(value);
            std::snprintf(text, sizeof(text), "Stars: %d", m_nStars);
            SetLabel(kStarsLabel, text);
            break;
        case kSpeed: {
            if (code != GUI_EVENT_CHANGE) break;
            // Kept to what still looks like a sweep.
            const float speed = FloatOf(value);
            m_fSweepSpeed = std::isfinite(speed) ? std::fmax(-10.0f, std::fmin(10.0f, speed)) : 1.0f;
            std::snprintf(text, sizeof(text), "Sweep speed: %g", double(m_fSweepSpeed));
            SetLabel(kSpeedLabel, text);
            break;
        }
        default: break;
    }
}

void DemoSettings::Render() {
    if (!m_pWindow || !m_pWindow->IsShow()) return;
    const GPoint at = m_pWindow->GetPosition();
    int y = at.y + 398;
    for (const std::string& line : m_Recent) {
        DrawSingleLine(at.x + 24, y, 0xFFD0E0FF, false, "%s", line.c_str());
        y += 16;
    }
}
