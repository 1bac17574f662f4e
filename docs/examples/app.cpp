// The application object, the log and a timer: a game paced at 50 frames a second that logs
// to VLMLog.html and writes its measured frame rate into the log once a second.
#include "Example.h"

// [game]
class AppExample : public Example {
public:
    bool Setup() override {
        WriteLog(INFO_NORMAL, "Levels loaded: %d", 3);  // a magenta line in VLMLog.html
        m_Second.Start();
        return true;
    }

    void Frame() override {
        if (m_Second.TimeOut()) WriteLog(INFO_NORMAL, "%d frames a second", GetFPS());
        CGraphics* graphics = GetGraphics();
        if (!graphics->BeginScene()) return;
        DrawSingleLine(400, 300, 0xFFFFFFFF, true, "%d fps", GetFPS());
        graphics->EndScene();
    }

private:
    CTimer m_Second{1000};  // fires once a second
};

int main(int argc, char** argv) {
    AppExample game;
    game.SetWindowWidth(800);  // size, depth and mode are set before InitApplication
    game.SetWindowHeight(600);
    game.SetFPS(50);           // at most one frame every 20 ms
    game.SetDLLFileLog(true);  // VLMLog.html in the working directory
    return game.Main(argc, argv);
}
// [/game]
