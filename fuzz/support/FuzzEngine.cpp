// The fuzz targets' shared scratch folder, art files and headless engine.
#include "support/FuzzEngine.h"

#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace VelmoraFuzz {

namespace {

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) { return std::remove(path); }

void RemoveScratch() { nftw(ScratchDir().c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS); }

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "fuzz: %s\n", what);
    std::abort();
}

// A 32-bit texture painted by `paint`, as a frame set takes it.
template <typename Paint>
CTexture* PaintedTexture(int width, int height, Paint paint) {
    auto texture = std::make_unique<CTexture>();
    if (!texture->CreateTexture(width, height, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED)) return nullptr;
    D3DLOCKED_RECT locked{};
    if (FAILED(texture->GetTexture()->LockRect(0, &locked, nullptr, 0))) return nullptr;
    for (int y = 0; y < height; ++y) {
        DWORD* row = reinterpret_cast<DWORD*>(static_cast<char*>(locked.pBits) + y * locked.Pitch);
        for (int x = 0; x < width; ++x) row[x] = paint(x, y);
    }
    texture->GetTexture()->UnlockRect(0);
    return texture.release();
}

DWORD Gradient(int x, int y) { return 0xFF000000u | DWORD(x * 8 & 0xFF) << 16 | DWORD(y * 8 & 0xFF) << 8 | 0x40u; }

// Opaque but for a transparent disc in the middle and a half-transparent band.
DWORD Holed(int x, int y, int width, int height) {
    const int dx = 2 * x - width, dy = 2 * y - height;
    if (dx * dx + dy * dy < width * height / 4) return 0x00000000;
    if (y % 4 == 0) return 0x80FFFFFF;
    return Gradient(x, y);
}

void WriteTga(const std::string& path, int width, int height) {
    std::string bytes(18, '\0');
    bytes[2] = 2;  // uncompressed true colour
    bytes[12] = char(width & 0xFF);
    bytes[13] = char(width >> 8);
    bytes[14] = char(height & 0xFF);
    bytes[15] = char(height >> 8);
    bytes[16] = 32;
    bytes[17] = 0x28;  // 8 alpha bits, top-down
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const DWORD p = Gradient(x, y);
            for (int b = 0; b < 4; ++b) bytes += char(p >> (8 * b) & 0xFF);
        }
    WriteScratch(path, bytes);
}

}  // namespace

void Prepare(int* argc, char*** argv) {
    static std::vector<std::string> kept;
    static std::vector<char*> args;
    char here[4096];
    if (!getcwd(here, sizeof here)) Fail("cannot tell the working directory");
    auto absolute = [&here](const std::string& path) {
        return path.empty() || path[0] == '/' ? path : std::string(here) + "/" + path;
    };
    // The options of libFuzzer that name files or folders.
    const char* const pathOptions[] = {"-dict=",         "-artifact_prefix=",    "-exact_artifact_path=",
                                       "-features_dir=", "-merge_control_file=", "-data_flow_trace=",
                                       "-seed_inputs="};
    kept.reserve(size_t(*argc));
    for (int i = 0; i < *argc; ++i) {
        std::string arg = (*argv)[i];
        if (i > 0 && arg[0] != '-') arg = absolute(arg);
        for (const char* option : pathOptions)
            if (arg.rfind(option, 0) == 0) arg = option + absolute(arg.substr(std::strlen(option)));
        kept.push_back(arg);
    }
    for (std::string& arg : kept) args.push_back(arg.data());
    args.push_back(nullptr);
    *argv = args.data();
    if (chdir(ScratchDir().c_str()) != 0) Fail("cannot enter the scratch folder");
}

const std::string& ScratchDir() {
    static const std::string dir = [] {
        // Memory-backed where there is such a folder: inputs are written thousands of times a second.
        const char* tmp = std::getenv("TMPDIR");
        struct stat shm {};
        const bool inMemory = stat("/dev/shm", &shm) == 0 && S_ISDIR(shm.st_mode) && access("/dev/shm", W_OK) == 0;
        const std::string base = tmp && *tmp ? tmp : inMemory ? "/dev/shm" : "/tmp";
        std::string pattern = base + "/velmora-fuzz-XXXXXX";
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        if (!mkdtemp(name.data())) Fail("cannot make a scratch folder");
        return std::string(name.data());
    }();
    static const bool removed = [] { return std::atexit(RemoveScratch) == 0; }();
    (void)removed;
    return dir;
}

std::string WriteScratch(const std::string& name, const void* data, size_t size) {
    const std::string path = ScratchDir() + "/" + name;
    FILE* fp = std::fopen(path.c_str(), "wb");
    if (!fp) Fail("cannot write into the scratch folder");
    if (size && std::fwrite(data, 1, size, fp) != size) Fail("cannot write into the scratch folder");
    std::fclose(fp);
    return path;
}

void WriteArt() {
    ScratchDir();
    CFrames frames;
    const int sizes[][2] = {{16, 16}, {33, 33}, {64, 64}, {1, 1}, {70, 20}, {128, 24}, {8, 40}, {32, 32}};
    for (const auto& size : sizes) {
        const int w = size[0], h = size[1];
        CTexture* texture = PaintedTexture(w, h, [w, h](int x, int y) { return Holed(x, y, w, h); });
        if (!texture || !frames.LoadFrameFromTexture(texture)) Fail("cannot paint the art");
    }
    CAniFile writer;
    if (!writer.SaveAMF("art.amf", &frames)) Fail("cannot write art.amf");

    velmora::DecodedImage image;
    image.width = 32;
    image.height = 16;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 32; ++x) image.pixels.push_back(Holed(x, y, 32, 16));
    if (!velmora::WritePngFile("art.png", image)) Fail("cannot write art.png");
    if (!velmora::WriteBmpFile("art.bmp", 32, 16, image.pixels.data(), 32)) Fail("cannot write art.bmp");
    WriteTga("art.tga", 32, 16);
    velmora::DecodedImage dot;
    dot.width = dot.height = 1;
    dot.pixels.push_back(0xFFFFFFFF);
    if (!velmora::WritePngFile("dot.png", dot)) Fail("cannot write dot.png");
    const int16_t beep[] = {0, 12000, 16000, 12000, 0, -12000, -16000, -12000};
    if (!velmora::WriteWavFile("beep.wav", velmora::MakeWaveFormat(velmora::SoundSampleType::Pcm16, 1, 8000), beep, 8))
        Fail("cannot write beep.wav");
}

void CaptureReports() {
    VelmoraTest::CaptureMessageBoxes(true);
    VelmoraTest::CaptureDebugOutput(true);
}

void StartEngine(CGameApp& game, int width, int height) {
    ScratchDir();
    CaptureReports();
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
    VelmoraTest::UseManualClock(true);
    VelmoraTest::SetClock(kStartClock);
    VelmoraTest::UseManualAudio(true);  // no device: sound is mixed only when asked, never here
    game.SetWindowWidth(width);
    game.SetWindowHeight(height);
    if (game.InitApplication(GetModuleHandleA(nullptr), SW_SHOW, "fuzz", nullptr) != 1)
        Fail("the engine did not start");
    static CGameApp* started = nullptr;
    started = &game;
    std::atexit([] {
        HWND window = started->GetWndHandle();
        started->Destroy();
        if (window) DestroyWindow(window);
    });
    EndInput();
}

CGameApp& Engine() {
    static CGameApp* game = [] {
        static CGameApp app;
        StartEngine(app, 160, 120);
        return &app;
    }();
    return *game;
}

void BeginInput() {
    VelmoraTest::SetClock(kStartClock);
    srand(1);
}

void EndInput() {
    VelmoraTest::TakeMessageBoxes();
    VelmoraTest::TakeDebugOutput();
    VelmoraTest::ClearScheduledInjections();
    VelmoraTest::FlushEvents();
    RemoveAllMessage();
}

void Broken(const char* what, const char* file, int line) {
    std::fprintf(stderr, "fuzz: %s:%d: broken: %s\n", file, line, what);
    std::abort();
}

SplitInput SplitAtNul(const uint8_t* data, size_t size) {
    const uint8_t* nul = size ? static_cast<const uint8_t*>(std::memchr(data, 0, size)) : nullptr;
    const size_t textSize = nul ? size_t(nul - data) : size;
    SplitInput split;
    if (textSize) split.text.assign(reinterpret_cast<const char*>(data), textSize);
    if (nul) split.rest.assign(reinterpret_cast<const char*>(nul + 1), size - textSize - 1);
    return split;
}

}  // namespace VelmoraFuzz
