// GuiViewer: the game behind guiview. Loads a GUI description file into the main GUI
// manager, feeds it input and draws it each frame on a plain background, prints every GUI
// message as one line, reloads the file when it changes on disk, and shows the error and
// warning lines of the last load on screen.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include <velmora/Velmora.h>

#include "LoadLog.h"

struct GuiViewOptions {
    std::string file;  // the description file
    std::string snap;  // where the last frame is saved as BMP, or empty
    int frames = 0;    // frames to run; 0 runs until the window is closed
    int width = 800;
    int height = 600;
};

class GuiViewer : public CGameApp {
public:
    // Messages are printed to `out`.
    GuiViewer(GuiViewOptions options, FILE* out);

    // Starts the engine (its log in VLMLog.html) and loads the file; false when the engine
    // did not start.
    bool Start();
    void MainLoop() override;

    int FramesRun() const { return m_nFramesRun; }
    int LoadCount() const { return m_nLoads; }
    // Whether the last load built everything the file describes.
    bool LastLoadSucceeded() const { return m_bLoaded; }
    // The error and warning lines of the last load, as the log has them, without their
    // prefix; a load that stopped early ends with a line that says so.
    const std::vector<LoadLogLine>& LoadLines() const { return m_Lines; }
    // Whether the last load stopped early or logged an error.
    bool LastLoadHadErrors() const;

    // One line for a GUI message: control ID, class name, event name, second parameter.
    static std::string Describe(const CMessage& message);
    static const char* ClassName(DWORD type);
    static const char* EventName(DWORD code);

private:
    void Load();
    // The file's modification stamp (time and size), or empty when it cannot be read.
    std::string Stamp() const;
    void PrintMessages();
    void DrawErrors();

    GuiViewOptions m_Options;
    FILE* m_pOut;
    int m_nFramesRun = 0;
    int m_nLoads = 0;
    bool m_bLoaded = false;
    std::vector<LoadLogLine> m_Lines;
    std::string m_strStamp;
    DWORD m_dwLastCheck = 0;
};
