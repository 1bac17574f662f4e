// UTF-8 text: a game whose sources and data are UTF-8 says so once, before start-up; from then
// on every string the engine takes is read as UTF-8.
#include "Example.h"

class Utf8Example : public Example {
public:
    // [setup]
    bool Setup() override {
        // A face name in UTF-8 is read as UTF-8 whatever the setting.
        if (!m_Story.CreateFontA("宋体", 16, 0, 400)) return false;
        m_Story.SetLineCount(24);  // bytes: eight Chinese characters of three bytes each
        return true;
    }
    // [/setup]

    // [frame]
    void Frame() override {
        CGraphics* g = GetGraphics();
        if (!g->BeginScene()) return;
        DrawSingleLine(10, 10, 0xFFFFFFFF, false, "你好, %s! %d", "世界", m_nFrame++);
        m_Story.DrawTextA(10, 40, 0xFF80FFFF, "%s", "长文本按字节数分行, 不会把一个字符拆成两半。");
        g->EndScene();
        m_Story.Update();
    }
    // [/frame]

private:
    GFont m_Story;
    int m_nFrame = 0;
};

int main(int argc, char** argv) {
    // [start]
    // Before InitApplication, and before any text, INI file or GUI description is read.
    SetTextEncoding(TEXT_ENCODING_UTF8);
    Utf8Example game;
    return game.Main(argc, argv);
    // [/start]
}
