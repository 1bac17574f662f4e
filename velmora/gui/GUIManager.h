// GUIManager: the root of the GUI. Owns the top-level windows in stacking order (first is
// the bottom), draws them bottom to top, offers each frame's pointer input top to bottom,
// and builds whole screens from GUI description files.
#pragma once

#include <map>
#include <string>
#include <vector>

#include <velmora/Export.h>
#include <velmora/gui/Window.h>

class VLM_API GUIManager {
public:
    // Creates the default container (a plain window, ID 0) as the bottom window.
    GUIManager();
    virtual ~GUIManager();
    GUIManager(const GUIManager&) = delete;
    GUIManager& operator=(const GUIManager&) = delete;

    // Builds the windows a description file lists. False at the first bad element or
    // duplicate ID; what was built before stays.
    bool LoadFromFile(const char* path);
    // Inserts a top-level window at the bottom / at the top; the manager owns it from then
    // on. Null and a window already in the list are ignored.
    void AddWindowFront(CWindow* window);
    void AddWindowBack(CWindow* window);
    // Raises the first top-level window with the ID to the top.
    void SetAsTopWindow(DWORD id);
    // Raises this top-level window to the top; nothing for a window that is not one.
    void SetAsTopWindow(CWindow* window);
    // A top-level window with the ID, or a direct child of one, bottom to top; or null.
    CWindow* GetElement(DWORD id) const;
    // Unlinks the window from the top-level list or from the top-level window whose child it
    // is, deleting it on request. Its ID stays registered until RemoveAll.
    void RemoveElement(CWindow* window, bool destroy);
    // Deletes every top-level window, the default container included, and forgets the IDs.
    void RemoveAll();
    // RemoveAll, then a new default container: the manager as newly made.
    void Reset();
    // True when some window handled this frame's input; windows below it get none.
    bool ProcessEvent();
    void Render();

    CWindow* GetDefaultContainer() const { return m_pDefaultContainer; }
    int GetWindowCount() const { return static_cast<int>(m_WindowList.size()); }

protected:
    // A new element of the class of a GUIType code, or null for an unknown code.
    CWindow* CreateControl(int type, CWindow* parent);
    bool FindContainer(CWindow* window) const;
    bool FindContainer(DWORD id) const;

    CWindow* m_pDefaultContainer;
    std::vector<CWindow*> m_WindowList;
    std::map<DWORD, CWindow*> m_IDMap;

private:
    // The ID is new to the map; otherwise logs the duplicate and, from `origin` ("section
    // [Ok] in file[menu.ini]"), where each of the two uses lies.
    bool RegisterID(DWORD id, CWindow* window, const char* path, const char* section, const std::string& origin);
    // Where each ID of m_IDMap was first used: "section [Ok] in file[menu.ini]".
    std::map<DWORD, std::string> m_IDOrigin;
    // The top-level windows as they stood when the frame's input walk began: a window
    // raised while handling the input must not disturb the walk.
    std::vector<CWindow*> m_EventOrder;
};
