// The GUI: a screen loaded from a description file (gui/screen.ini, its pictures packed into
// gui.amf), fed with the pointer every frame, and its messages drained.
#include <cstdio>
#include <cstring>

#include "Example.h"

class GuiExample : public Example {
public:
    // [load]
    bool Setup() override {
        GUIManager* gui = GetGUIManager();
        if (!gui->LoadFromFile("gui/screen.ini")) return false;  // the log says what was wrong
        // Controls are found by ID among the top-level windows and their direct children.
        m_pMaps = static_cast<GListBox*>(gui->GetElement(150));
        m_pVolume = static_cast<CSlider*>(gui->GetElement(130));
        MLStatic* help = static_cast<MLStatic*>(gui->GetElement(160));
        if (!m_pMaps || !m_pVolume || !help) return false;
        help->GetFont()->SetLineCount(40);  // a description file cannot set the line length
        m_pMaps->SetStyle(0);               // single selection
        const char* maps[] = {"Harbour", "Desert", "Old town", "Canyon", "Glacier", "Forest", "Caves"};
        for (const char* map : maps) m_pMaps->AddItem(map, nullptr);
        m_pMaps->SelectItem(0, false);
        // [navigation]
        gui->EnableNavigation(true);     // the keyboard and pads move a focus over the controls too
        gui->SetFocusColor(0xFFFFD040);  // around a focused control that has no hover look
        // [/navigation]
        return true;
    }
    // [/load]

    // [frame]
    void Frame() override {
        GUIManager* gui = GetGUIManager();
        gui->ProcessEvent();  // offers the frame's pointer input, top window first
        int index = 0;        // drains the main queue: GUI events and the game's own messages
        CMessage message;
        while (PeekMessageA(index, message, true)) {
            if (message.m_dwMessage != MSG_GUI_EVENT) continue;
            if (message.m_dwSourceID == 171 && message.m_dwParam1 == GUI_EVENT_CLICK) PostQuitMessage(0);
            if (message.m_dwParam1 == GUI_EVENT_CANCEL) PostQuitMessage(0);  // Esc or a pad's B
            if (message.m_dwSourceID == 120 && message.m_dwParam1 == GUI_EVENT_CHANGE)
                std::printf("level box %u\n", unsigned(message.m_dwParam2));  // the selected box's ID
            if (message.m_dwSourceID == 140 && message.m_dwParam1 == GUI_EVENT_CHANGE) {
                float seed;  // a number box sends the bits of a float
                std::memcpy(&seed, &message.m_dwParam2, sizeof seed);
                std::printf("seed %g\n", seed);
            }
        }
        CGraphics* g = GetGraphics();
        if (!g->BeginScene()) return;
        gui->Render();                                          // bottom window first
        const ListBoxItem* map = m_pMaps->GetSelectedItem(-1);  // single selection: the current item
        DrawSingleLine(10, 10, 0xFFFFFFFF, false, "map: %s, volume %d", map ? map->szText : "none",
                       m_pVolume->GetValue());
        g->EndScene();
    }
    // [/frame]

private:
    GListBox* m_pMaps = nullptr;  // owned by the GUI manager
    CSlider* m_pVolume = nullptr;
};

int main(int argc, char** argv) {
    GuiExample game;
    return game.Main(argc, argv);
}
