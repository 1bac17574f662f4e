// GUIManager: top-level windows, the ID map and GUI description files.
#include <velmora/gui/GUIManager.h>

#include <algorithm>
#include <memory>
#include <new>
#include <string>

#include <velmora/config/IniFile.h>
#include <velmora/core/Log.h>
#include <velmora/gui/Button.h>
#include <velmora/gui/CheckBox.h>
#include <velmora/gui/CoolButton.h>
#include <velmora/gui/CoolListBox.h>
#include <velmora/gui/CoolScroll.h>
#include <velmora/gui/ListBox.h>
#include <velmora/gui/MLStatic.h>
#include <velmora/gui/NumberInputBox.h>
#include <velmora/gui/RadioGroup.h>
#include <velmora/gui/ScrollBar.h>
#include <velmora/gui/Slider.h>
#include <velmora/gui/Static.h>
#include <velmora/gui/detail/GuiPicture.h>

namespace {

// Says why a line of a list section built no control: the element section it names is missing,
// or has no known GUIType, or no ID.
void ReportBadElement(CIniFile& ini, const char* path, const char* list, int line, const char* element, int type,
                      bool created, int id) {
    std::unique_ptr<char[]> key(ini.ReadDataName(list, line));
    const char* keyName = key ? key.get() : "";
    if (!*element)
        WriteLog(INFO_ERROR, "Key %s of list section [%s] in file[%s] names no element section", keyName, list, path);
    else if (!vlm_engine::HasSection(ini, element))
        WriteLog(INFO_ERROR,
                 "Key %s of list section [%s] in file[%s] names the section [%s], which the file does not have",
                 keyName, list, path, element);
    else if (type == 0)
        WriteLog(INFO_ERROR, "Element section [%s] in file[%s] has no GUIType", element, path);
    else if (!created)
        WriteLog(INFO_ERROR, "Element section [%s] in file[%s]: GUIType %d is no control type (1 to 8, 256 to 260)",
                 element, path, type);
    else if (id == 0)
        WriteLog(INFO_ERROR, "Element section [%s] in file[%s] has no ID (a control needs one other than 0)", element,
                 path);
}

}  // namespace

GUIManager::GUIManager() : m_pDefaultContainer(new CWindow(nullptr)) { m_WindowList.push_back(m_pDefaultContainer); }

GUIManager::~GUIManager() { RemoveAll(); }

CWindow* GUIManager::CreateControl(int type, CWindow* parent) {
    switch (type) {
        case GUI_TYPE_WINDOW: return new (std::nothrow) CWindow(parent);
        case GUI_TYPE_BUTTON: return new (std::nothrow) Button(parent);
        case GUI_TYPE_STATIC: return new (std::nothrow) GStatic(parent);
        case GUI_TYPE_CHECKBOX: return new (std::nothrow) CCheckBox(parent);
        case GUI_TYPE_RADIOGROUP: return new (std::nothrow) RadioGroup(parent);
        case GUI_TYPE_SLIDER: return new (std::nothrow) CSlider(parent);
        case GUI_TYPE_SCROLLBAR: return new (std::nothrow) GScrollBar(parent);
        case GUI_TYPE_LISTBOX: return new (std::nothrow) GListBox(parent);
        case GUI_TYPE_COOLBUTTON: return new (std::nothrow) CoolButton(parent);
        case GUI_TYPE_COOLSCROLL: return new (std::nothrow) CoolScroll(parent);
        case GUI_TYPE_COOLLISTBOX: return new (std::nothrow) CoolListBox(parent);
        case GUI_TYPE_NUMBERINPUTBOX: return new (std::nothrow) CNumberInputBox(parent);
        case GUI_TYPE_MLSTATIC: return new (std::nothrow) MLStatic(parent);
        default: return nullptr;
    }
}

bool GUIManager::FindContainer(CWindow* window) const {
    return std::find(m_WindowList.begin(), m_WindowList.end(), window) != m_WindowList.end();
}

bool GUIManager::FindContainer(DWORD id) const {
    return std::any_of(m_WindowList.begin(), m_WindowList.end(), [id](CWindow* w) { return w->GetID() == id; });
}

void GUIManager::AddWindowFront(CWindow* window) {
    if (!window || FindContainer(window)) return;
    m_WindowList.insert(m_WindowList.begin(), window);
}

void GUIManager::AddWindowBack(CWindow* window) {
    if (!window || FindContainer(window)) return;
    m_WindowList.push_back(window);
}

void GUIManager::SetAsTopWindow(DWORD id) {
    auto it = std::find_if(m_WindowList.begin(), m_WindowList.end(), [id](CWindow* w) { return w->GetID() == id; });
    if (it == m_WindowList.end()) return;
    CWindow* window = *it;
    m_WindowList.erase(it);
    m_WindowList.push_back(window);
}

void GUIManager::SetAsTopWindow(CWindow* window) {
    auto it = std::find(m_WindowList.begin(), m_WindowList.end(), window);
    if (!window || it == m_WindowList.end()) return;
    m_WindowList.erase(it);
    m_WindowList.push_back(window);
}

CWindow* GUIManager::GetElement(DWORD id) const {
    for (CWindow* window : m_WindowList) {
        if (window->GetID() == id) return window;
        if (CWindow* child = window->GetSubWindow(id)) return child;
    }
    return nullptr;
}

void GUIManager::RemoveElement(CWindow* window, bool destroy) {
    if (!window) return;
    ForgetWindow(window);
    for (auto it = m_WindowList.begin(); it != m_WindowList.end(); ++it) {
        if (*it == window) {
            m_WindowList.erase(it);
            // Lists without a container must not load into a window the manager gave away.
            if (window == m_pDefaultContainer) m_pDefaultContainer = nullptr;
            if (destroy) delete window;
            return;
        }
        const int before = (*it)->GetSubWindowsCount();
        (*it)->RemoveWindow(window, destroy);
        if ((*it)->GetSubWindowsCount() != before) return;  // a window has one parent
    }
}

void GUIManager::RemoveAll() {
    ForgetWindow(nullptr);
    std::vector<CWindow*> windows;
    windows.swap(m_WindowList);
    for (CWindow* window : windows) delete window;
    m_IDMap.clear();
    m_IDOrigin.clear();
    m_pDefaultContainer = nullptr;
}

void GUIManager::Reset() {
    RemoveAll();
    m_pDefaultContainer = new (std::nothrow) CWindow(nullptr);
    if (m_pDefaultContainer) m_WindowList.push_back(m_pDefaultContainer);
}

bool GUIManager::ProcessEvent() {
    m_EventOrder = m_WindowList;
    bool handled = false;
    for (auto it = m_EventOrder.rbegin(); it != m_EventOrder.rend() && !handled; ++it)
        handled = (*it)->ProcessEvent() != 0;
    if (!m_bNavigation) return handled;
    return Navigate() || handled;
}

void GUIManager::Render() {
    for (CWindow* window : m_WindowList) window->Render();
}

bool GUIManager::RegisterID(DWORD id, CWindow* window, const char* path, const char* section,
                            const std::string& origin) {
    if (m_IDMap.count(id)) {
        WriteLog(INFO_ERROR, "Control ID[%d] has been used in file[%s]index[%s]", int(id), path, section);
        auto first = m_IDOrigin.find(id);
        WriteLog(INFO_WARNING, "ID %d of %s was first used by %s", int(id), origin.c_str(),
                 first != m_IDOrigin.end() ? first->second.c_str() : "a window of the game");
        return false;
    }
    m_IDMap[id] = window;
    m_IDOrigin[id] = origin;
    return true;
}

bool GUIManager::LoadFromFile(const char* path) {
    if (!path) return false;
    CIniFile ini(path);
    char section[CIniFile::MAX_BUFFER];
    char containerName[CIniFile::MAX_BUFFER];
    char elementName[CIniFile::MAX_BUFFER];
    for (int n = 0; n < ini.GetIndexNum(); ++n) {
        if (!ini.GetIndex(n, section, sizeof(section)) || ini.ReadInt(section, "GUIType", 0) != 0) continue;

        // A list section: its container, then the run of control lines under its header.
        ini.ReadString(section, "Container", containerName, sizeof(containerName), "");
        const int containerID = containerName[0] ? ini.ReadInt(containerName, "ID", 0) : 0;
        if (containerName[0] && !containerID)
            WriteLog(INFO_WARNING,
                     "Key Container of list section [%s] in file[%s]: %s [%s]%s; its controls go into "
                     "the default container",
                     section, path,
                     vlm_engine::HasSection(ini, containerName) ? "the section" : "the file has no section",
                     containerName, vlm_engine::HasSection(ini, containerName) ? " has no ID" : "");
        CWindow* container = nullptr;
        if (containerName[0] && containerID) {
            container = CreateControl(GUI_TYPE_WINDOW, nullptr);
            if (!container) return false;
            const std::string origin = std::string("container section [") + containerName + "] of list section [" +
                                       section + "] in file[" + path + "]";
            if (!RegisterID(DWORD(containerID), container, path, containerName, origin)) {
                delete container;
                return false;
            }
            container->LoadFromIni(path, containerName);
            AddWindowBack(container);
        } else {
            container = m_pDefaultContainer;
            if (!container) return false;
        }

        const int lines = ini.GetContinueData(section);
        for (int line = 0; line < lines; ++line) {
            ini.ReadString(section, line, elementName, sizeof(elementName));
            const int type = ini.ReadInt(elementName, "GUIType", 0);
            const int id = ini.ReadInt(elementName, "ID", 0);
            CWindow* element = type ? CreateControl(type, container) : nullptr;
            if (!element || id == 0) {
                ReportBadElement(ini, path, section, line, elementName, type, element != nullptr, id);
                delete element;
                return false;
            }
            if (!RegisterID(DWORD(id), element, path, elementName,
                            std::string("section [") + elementName + "] in file[" + path + "]")) {
                delete element;
                return false;
            }
            element->LoadFromIni(path, elementName);
            element->SetTabIndex(ini.ReadInt(elementName, "TabIndex", 0));
            container->AddWindow(element);
            // A radio group's boxes carry IDs of their own.
            if (type == GUI_TYPE_RADIOGROUP) {
                const RadioGroup* group = static_cast<const RadioGroup*>(element);
                for (int i = 0; i < group->GetElementNum(); ++i) {
                    const std::string origin =
                        "key SubID" + std::to_string(i) + " of section [" + elementName + "] in file[" + path + "]";
                    if (!RegisterID(group->GetElement(i)->GetID(), group->GetElement(i), path, elementName, origin))
                        return false;
                }
            }
        }
    }
    return true;
}
