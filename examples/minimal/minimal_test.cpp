// A test of the minimal game with Velmora's testing component: game time runs on a manual
// clock, the Escape key is pressed by the test, and the picture is read back from the device;
// then a session recorded with the game, kept beside this test, is replayed.
#include <velmora/testing/TestSeams.h>

#include <cstdio>
#include <string>

#include "MinimalGame.h"

namespace {

int failures = 0;

void Check(bool ok, const char* what) {
    std::printf("%s: %s\n", ok ? "ok" : "FAILED", what);
    if (!ok) ++failures;
}

// The back buffer's pixel at (x, y), as 0xAARRGGBB.
DWORD PixelAt(int x, int y) {
    IDirect3DSurface9* surface = nullptr;
    GetD3DDevice()->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &surface);
    D3DLOCKED_RECT locked{};
    DWORD pixel = 0;
    if (surface && SUCCEEDED(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
        pixel = static_cast<const DWORD*>(locked.pBits)[y * (locked.Pitch / 4) + x];
        surface->UnlockRect();
    }
    if (surface) surface->Release();
    return pixel;
}

}  // namespace

int main() {
    VelmoraTest::UseManualClock(true);
    VelmoraTest::SetClockTickEveryReads(3);  // game time passes while the main loop polls
    VelmoraTest::CaptureMessageBoxes(true);

    MinimalGame game;
    game.SetFPS(50);
    if (!game.InitApplication(GetModuleHandleA(nullptr), SW_SHOW, "Minimal test", nullptr)) {
        std::printf("FAILED: start-up\n");
        return 1;
    }
    // One second of game time, then the player presses Escape.
    const DWORD start = VelmoraTest::GetClock();
    VelmoraTest::InjectAt(start + 1000, [] { VelmoraTest::InjectKey(VK_ESCAPE, true); });
    game.Run();

    Check(game.frames >= 48 && game.frames <= 53, "about 50 frames in one second at 50 fps");
    const int x = game.SquareX(game.frames);
    Check((PixelAt(x + 1, 101) & 0xFFFFFF) == (MinimalGame::kSquareColor & 0xFFFFFF), "the square is drawn");
    Check((PixelAt(x + MinimalGame::kSquare + 1, 101) & 0xFFFFFF) == 0, "beside it is the background");
    game.Destroy();

    // [replay]
    // A session of the game played, kept beside this test (session.vlmreplay, recorded with
    // VELMORA_RECORD=session.vlmreplay ./minimal: the pointer moved, Space, then Escape):
    // replayed, the game must go through the same frames and show the same pictures. It is set
    // up as main.cpp sets it up: the same title, the same frame rate. Record it again when the
    // game's pictures change on purpose, or the engine's version does.
    const std::string file =
        std::string(__FILE__).substr(0, std::string(__FILE__).rfind('/') + 1) + "session.vlmreplay";
    const bool there = VelmoraTest::Replay(file.c_str());
    Check(there, "the recorded session is there");
    MinimalGame replayed;
    replayed.SetFPS(60);
    if (there && replayed.InitApplication(GetModuleHandleA(nullptr), SW_SHOW, "Minimal", nullptr)) replayed.Run();
    replayed.Destroy();
    const VelmoraTest::ReplayResult replay = VelmoraTest::LastReplay();
    Check(replay.Same() && replay.checkpoints >= 3, "the recorded session replays frame for frame");
    Check(replayed.frames == int(replay.frames), "the recorded Escape ends the replayed game");
    // [/replay]
    std::printf("%s\n", failures ? "minimal test: FAILED" : "minimal test: OK");
    return failures ? 1 : 0;
}
