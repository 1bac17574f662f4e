// GuiViewer: loading, reloading, drawing and reporting a GUI description file.
#include "GuiViewer.h"

#include <sys/stat.h>

#include <cstring>

namespace {

constexpr DWORD kBackground = 0xFF3A4048;
constexpr DWORD kErrorColor = 0xFFFF6060;
constexpr DWORD kWarningColor = 0xFFFFC040;
// How often the file's stamp is looked at.
constexpr DWORD kCheckInterval = 250;

}  // namespace

GuiViewer::GuiViewer(GuiViewOptions options, FILE* out) : m_Options(std::move(options)), m_pOut(out) {
    SetWindowWidth(m_Options.width);
    SetWindowHeight(m_Options.height);
    SetDLLFileLog(true);
    SetFPS(60);
}

bool GuiViewer::Start() {
    const std::string title = "guiview - " + m_Options.file;
    if (!InitApplication(GetModuleHandleA(nullptr), SW_SHOW, title.c_str(), nullptr)) return false;
    Load();
    return true;
}

const char* GuiViewer::ClassName(DWORD type) {
    switch (type) {
        case GUI_TYPE_WINDOW: return "CWindow";
        case GUI_TYPE_BUTTON: return "Button";
        case GUI_TYPE_STATIC: return "GStatic";
        case GUI_TYPE_CHECKBOX: return "CCheckBox";
        case GUI_TYPE_RADIOGROUP: return "RadioGroup";
        case GUI_TYPE_SLIDER: return "CSlider";
        case GUI_TYPE_SCROLLBAR: return "GScrollBar";
        case GUI_TYPE_LISTBOX: return "GListBox";
        case GUI_TYPE_COOLBUTTON: return "CoolButton";
        case GUI_TYPE_COOLSCROLL: return "CoolScroll";
        case GUI_TYPE_COOLLISTBOX: return "CoolListBox";
        case GUI_TYPE_NUMBERINPUTBOX: return "CNumberInputBox";
        case GUI_TYPE_MLSTATIC: return "MLStatic";
        default: return "unknown";
    }
}

const char* GuiViewer::EventName(DWORD code) {
    switch (code) {
        case GUI_EVENT_ENTER: return "GUI_EVENT_ENTER";
        case GUI_EVENT_PRESS: return "GUI_EVENT_PRESS";
        case GUI_EVENT_CLICK: return "GUI_EVENT_CLICK";
        case GUI_EVENT_LEAVE: return "GUI_EVENT_LEAVE";
        case GUI_EVENT_CHANGE: return "GUI_EVENT_CHANGE";
        case GUI_EVENT_CANCEL: return "GUI_EVENT_CANCEL";
        default: return "unknown";
    }
}

std::string GuiViewer::Describe(const CMessage& message) {
    // The control is alive: messages are drained in the frame that posted them.
    const CWindow* control = static_cast<const CWindow*>(message.m_pData);
    char line[160];
    std::snprintf(line, sizeof(line), "id=%u class=%s event=%s param2=%u", unsigned(message.m_dwSourceID),
                  control ? ClassName(control->GetType()) : "none", EventName(message.m_dwParam1),
                  unsigned(message.m_dwParam2));
    std::string text = line;
    if (!control || message.m_dwParam1 != GUI_EVENT_CHANGE) return text;
    // What the second parameter stands for, where a number alone says little.
    const DWORD type = control->GetType();
    if (type == GUI_TYPE_NUMBERINPUTBOX) {
        float value = 0;
        std::memcpy(&value, &message.m_dwParam2, sizeof(value));
        std::snprintf(line, sizeof(line), " value=%g", double(value));
        text += line;
    } else if (type == GUI_TYPE_RADIOGROUP) {
        text += " box=" + std::to_string(message.m_dwParam2);
    } else if (type == GUI_TYPE_LISTBOX || type == GUI_TYPE_COOLLISTBOX) {
        const ListBoxItem* item = static_cast<const GListBox*>(control)->GetItem(int(message.m_dwParam2));
        if (item) text += std::string(" item=\"") + item->szText + "\"";
    }
    return text;
}

std::string GuiViewer::Stamp() const {
    struct stat s {};
    if (stat(m_Options.file.c_str(), &s) != 0) return "";
    return std::to_string(s.st_mtim.tv_sec) + "." + std::to_string(s.st_mtim.tv_nsec) + ":" + std::to_string(s.st_size);
}

void GuiViewer::Load() {
    GUIManager* manager = GetGUIManager();
    if (!manager) return;
    manager->Reset();
    RemoveAllMessage();  // messages of the old windows point at deleted controls
    m_strStamp = Stamp();
    const long mark = LoadLogMark();
    m_bLoaded = manager->LoadFromFile(m_Options.file.c_str());
    m_Lines = LoadLogLinesAfter(mark);
    // The lines above say why; this one says that the rest of the file was not read.
    if (!m_bLoaded) m_Lines.push_back({true, "The file did not load completely: the load stopped there."});
    ++m_nLoads;
    WriteLog(INFO_NORMAL, "guiview: loaded %s (%d windows)%s", m_Options.file.c_str(), manager->GetWindowCount(),
             m_bLoaded ? "" : ", with errors");
    std::fprintf(m_pOut, "loaded %s%s\n", m_Options.file.c_str(), m_bLoaded ? "" : " with errors");
    for (const LoadLogLine& line : m_Lines)
        std::fprintf(m_pOut, "%s: %s\n", line.error ? "error" : "warning", line.text.c_str());
    std::fflush(m_pOut);
}

void GuiViewer::PrintMessages() {
    int index = 0;
    CMessage message;
    while (PeekMessageA(index, message, true)) {
        if (message.m_dwMessage != MSG_GUI_EVENT) continue;
        std::fprintf(m_pOut, "%s\n", Describe(message).c_str());
    }
    std::fflush(m_pOut);
}

bool GuiViewer::LastLoadHadErrors() const {
    for (const LoadLogLine& line : m_Lines)
        if (line.error) return true;
    return !m_bLoaded;
}

void GuiViewer::DrawErrors() {
    int y = GetWindowHeight() - 8 - 16 * int(m_Lines.size());
    for (const LoadLogLine& line : m_Lines) {
        DrawSingleLine(8, y, line.error ? kErrorColor : kWarningColor, false, "%s", line.text.c_str());
        y += 16;
    }
}

void GuiViewer::MainLoop() {
    ++m_nFramesRun;
    const DWORD now = timeGetTime();
    if (now - m_dwLastCheck >= kCheckInterval) {
        m_dwLastCheck = now;
        const std::string stamp = Stamp();
        if (!stamp.empty() && stamp != m_strStamp) Load();
    }
    GUIManager* manager = GetGUIManager();
    manager->ProcessEvent();
    PrintMessages();

    CGraphics* graphics = GetGraphics();
    graphics->SetBKColor(kBackground);
    if (graphics->BeginScene()) {
        manager->Render();
        DrawErrors();
        const bool last = m_Options.frames > 0 && m_nFramesRun >= m_Options.frames;
        if (last && !m_Options.snap.empty()) graphics->SnapToFile(m_Options.snap.c_str());
        graphics->EndScene();
    }
    if (m_Options.frames > 0 && m_nFramesRun >= m_Options.frames) PostQuitMessage(0);
}
