// bench_text: microseconds per call of the text drawing paths (a cached string, a new string
// every call, one new string a frame, ten cached lines) and of a draw from another texture (what
// a new string's texture costs the device, whatever it holds) against a sprite draw of a 32 x 32
// texture, on the engine's real device (off-screen when there is no display). Prints the
// medians of the batches, their middle half, and the ratios of the medians.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include <epoxy/gl.h>  // glFinish on the engine's context

#include <velmora/Velmora.h>

namespace {

constexpr int kBatches = 61;

struct Case {
    const char* name;
    int callsPerBatch;
    std::function<void(int)> call;  // the argument counts the calls
};

// One batch of a case as one frame: the calls are timed between BeginScene and EndScene,
// the present is not. The frame starts, untimed, as a game's does, with a background drawn:
// the first draw of a frame also starts the rasteriser's frame (and its clear), whatever it
// draws. The frame is finished before the next batch, so that the rasteriser's threads are
// not still drawing it while the next calls are timed. Returns microseconds per call.
double TimeBatch(CGraphics* graphics, const DWORD (&background)[2], const Case& c, int* counter) {
    graphics->BeginScene();
    for (DWORD picture : background) Render(picture, 0, 0, nullptr, 0xFFFFFFFF);  // the second draws the first
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < c.callsPerBatch; ++i) c.call((*counter)++);
    const auto end = std::chrono::steady_clock::now();
    graphics->EndScene();
    glFinish();  // the device presented, so its context is the current one
    return std::chrono::duration<double, std::micro>(end - start).count() / c.callsPerBatch;
}

// The value a fraction of the way through the sorted values.
double Quantile(std::vector<double> values, double q) {
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(q * static_cast<double>(values.size() - 1) + 0.5)];
}

double Median(const std::vector<double>& values) { return Quantile(values, 0.5); }

}  // namespace

int main() {
    CGameApp game;
    game.SetWindowWidth(800);
    game.SetWindowHeight(600);
    if (!game.InitApplication(GetModuleHandleA(nullptr), SW_SHOW, "bench_text", nullptr)) {
        std::fprintf(stderr, "bench_text: the engine did not start\n");
        return 1;
    }
    CGraphics* graphics = GetGraphics();

    // One-level 32 x 32 textures, as a game's picture files give.
    auto makePicture = [](DWORD texel) {
        CTexture* picture = new CTexture();
        picture->CreateTexture(32, 32, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
        D3DLOCKED_RECT locked{};
        if (SUCCEEDED(picture->GetTexture()->LockRect(0, &locked, nullptr, 0))) {
            for (int y = 0; y < 32; ++y)
                std::fill_n(reinterpret_cast<DWORD*>(static_cast<char*>(locked.pBits) + y * locked.Pitch), 32, texel);
            picture->GetTexture()->UnlockRect(0);
        }
        return GetTextureManager()->InsertTexture(picture, MEM_STATIC);
    };
    const DWORD sprite = makePicture(0xFFFFFFFF);
    const DWORD other = makePicture(0x80FF8040);
    const DWORD background[2] = {makePicture(0xFF203040), sprite};
    GFont font;
    font.CreateFontA("\xCB\xCE\xCC\xE5", 12, 0, 400);
    font.SetLineCount(50);
    // The system font's face and size, with a cache of its own: a hundred new strings a frame
    // through the system font would push the other cases' strings out of its cache every
    // round, and the cached string would be rendered again at the start of each of its batches.
    GFont churning;
    churning.CreateFontA("\xCB\xCE\xCC\xE5", 12, 0, 400);
    // Ten different lines of 50 bytes each.
    std::string tenLines;
    for (int i = 0; i < 10; ++i) {
        std::string line = "Line " + std::to_string(i) + " of a text that the font breaks";
        tenLines += line.append(50 - line.size(), '.');
    }

    const Case cases[] = {
        {"sprite: Render 32x32 at a point", 2000,
         [&](int i) { Render(sprite, i % 700, i % 500, nullptr, 0xFFFFFFFF); }},
        {"DrawSingleLine, cached string", 2000,
         [&](int i) { DrawSingleLine(i % 300, i % 500, 0xFFFFFF00, false, "%s", "Score: 12345 (cached)"); }},
        {"GFont::DrawSingleLine, new string", 100,
         [&](int i) { churning.DrawSingleLine(i % 300, i % 500, 0xFFFFFF00, false, "Score: %d (new)", i); }},
        // A score or timer: one string the cache does not hold, every frame. The sprite drawn
        // after it makes the device draw the string (and upload its pixels) inside the timing.
        {"DrawSingleLine, one new string a frame (+1 sprite)", 1,
         [&](int i) {
             DrawSingleLine(20, 20, 0xFFFFFF00, false, "Time: %d.%02d", i / 100, i % 100);
             Render(sprite, 0, 0, nullptr, 0xFFFFFFFF);
         }},
        // What any draw from another texture costs here, string or not: the same two draws the
        // device makes for the new string above, without the string's own work.
        {"Render of another texture, one a frame (+1 sprite)", 1,
         [&](int) {
             Render(other, 20, 20, nullptr, 0xFFFFFF00);
             Render(sprite, 0, 0, nullptr, 0xFFFFFFFF);
         }},
        {"GFont::DrawTextA, 10 cached lines", 200,
         [&](int i) { font.DrawTextA(i % 300, 0, 0xFFFFFFFF, "%s", tenLines.c_str()); }},
    };

    // The cases take turns batch by batch, so that a change in the machine's load falls on
    // all of them alike. The first round warms the caches up and is not counted.
    std::vector<std::vector<double>> times(std::size(cases));
    std::vector<int> counters(std::size(cases), 0);
    for (int round = 0; round <= kBatches; ++round)
        for (size_t i = 0; i < std::size(cases); ++i) {
            const double perCall = TimeBatch(graphics, background, cases[i], &counters[i]);
            if (round > 0) times[i].push_back(perCall);
        }
    std::vector<double> medians;
    for (const std::vector<double>& t : times) medians.push_back(Median(t));

    std::printf("%-52s %14s %16s %10s\n", "case", "us per call", "middle half", "x sprite");
    for (size_t i = 0; i < medians.size(); ++i)
        std::printf("%-52s %14.2f %7.2f-%-8.2f %10.2f\n", cases[i].name, medians[i], Quantile(times[i], 0.25),
                    Quantile(times[i], 0.75), medians[i] / medians[0]);
    const bool met = medians[1] <= 2.0 * medians[0];
    std::printf("goal: a cached string costs at most 2 x a sprite draw: %s\n", met ? "met" : "NOT met");
    const bool newMet = medians[3] <= 50.0 * medians[0];
    std::printf("goal: a new string, one a frame, costs at most 50 x a sprite draw: %s\n", newMet ? "met" : "NOT met");
    std::printf("the new string's own part (one a frame, less another texture's draw): %.2f us, %.0f x a sprite draw\n",
                medians[3] - medians[4], (medians[3] - medians[4]) / medians[0]);
    const double perLine = medians[5] / 10.0;
    std::printf("goal: ten cached lines of GFont::DrawTextA cost at most 2 us a line: %.2f us a line, %s\n", perLine,
                perLine <= 2.0 ? "met" : "NOT met");

    game.Destroy();
    DestroyWindow(game.GetWndHandle());
    return 0;
}
