// Sound: effects loaded from a list file and by name, played on voices with a volume and a
// pan, the end of a voice as a message, and music streamed with a fade-in and a loop.
#include "Example.h"

class SoundExample : public Example {
public:
    // [load]
    bool Setup() override {
        CSoundManager* sound = GetSoundManager();  // there is one with or without a sound device
        // Caller-chosen handles from a list file: sounds 1 and 2.
        if (!sound->BatchLoad("lists/sounds.lst")) return false;
        // A handle the manager issues (above 5000); the same file again shares it.
        m_hLost = LoadSound("sounds/lost.wav");
        // Music is streamed from its file, never decoded whole: it fades in over two seconds
        // and, after its first bar, loops over the rest (frames of the track at 22,050 Hz).
        const bool music = sound->PlayMusic("sounds/music.ogg", true, 2000) && sound->SetMusicLoop(37800, 0);
        return m_hLost != 0 && music;
    }
    // [/load]

    // [frame]
    void Frame() override {
        CSoundManager* sound = GetSoundManager();
        // Every 60 frames a click, from the left, the middle or the right in turn.
        if (m_nFrame++ % 60 == 0) sound->Play(1, 80, int(m_nFrame / 60 % 3) * 100 - 100);
        // The end of a voice comes as a message: here a brick follows each click.
        int index = 0;
        CMessage message;
        while (PeekMessageA(index, message, true))
            if (message.m_dwMessage == MSG_SOUND_END && message.m_dwParam1 == 1) sound->Play(2, 60);
        if (GetGraphics()->BeginScene()) GetGraphics()->EndScene();
    }
    // [/frame]

    ~SoundExample() override { ReleaseSound(m_hLost); }  // nothing once the engine is down

private:
    DWORD m_hLost = 0;
    DWORD m_nFrame = 0;
};

int main(int argc, char** argv) {
    SoundExample game;
    return game.Main(argc, argv);
}
