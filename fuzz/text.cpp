// Fuzz target: text in GBK or UTF-8. The bounded formatting of TextFormat (a cut never passes
// the buffer nor splits a character), GDI's extents and drawing into a DIB section, and the
// engine's fonts: GFont's extents, line breaking and drawing, CSimFont and the system font,
// drawn in a frame. The last bytes of the input choose the encoding, sizes, places and
// alignments; the rest is the text.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <string>

#include "support/FuzzEngine.h"

using namespace VelmoraFuzz;

namespace {

constexpr char kSong[] = "\xCB\xCE\xCC\xE5";  // the default face's name in code page 936

struct Fonts {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HFONT gdi[3] = {};
    GFont font;
    CSimFont simple;
};

Fonts& Shared() {
    static Fonts* fonts = [] {
        Engine();
        static Fonts f;
        f.dc = CreateCompatibleDC(nullptr);
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), 96, -32, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        f.bitmap = CreateDIBSection(f.dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        SelectObject(f.dc, f.bitmap);
        const int heights[3] = {12, -16, 27};
        const int weights[3] = {FW_NORMAL, FW_BOLD, FW_NORMAL};
        for (int i = 0; i < 3; ++i)
            f.gdi[i] = CreateFontA(heights[i], 0, 0, 0, weights[i], 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                   CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS, kSong);
        if (!f.dc || !f.bitmap || !f.gdi[0] || !f.font.CreateFontA(kSong, 14, 0, FW_NORMAL) ||
            !f.simple.CreateFontA(kSong, 16, 0, FW_BOLD))
            Broken("the fonts could not be made", __FILE__, __LINE__);
        std::atexit([] {
            f.font.Release();
            for (HFONT font : f.gdi) DeleteObject(font);
            DeleteDC(f.dc);
            DeleteObject(f.bitmap);
        });
        return &f;
    }();
    return *fonts;
}

void Formats(const std::string& text, size_t size, size_t maxChars) {
    char buffer[300];
    const size_t length = FormatText(buffer, size, "%s", text.c_str());
    FUZZ_CHECK(length == std::strlen(buffer) && length < size);
    // Cut or whole: a cut prefix ends on a character boundary.
    if (text.size() < size)
        FUZZ_CHECK(buffer == text);
    else
        FUZZ_CHECK(text.compare(0, length, buffer) == 0 && EndsOnCharacter(text, length));
    const size_t cut = TextCutLength(text.c_str(), text.size());
    FUZZ_CHECK(cut <= text.size() && EndsOnCharacter(text, cut));
    // Every step through the text is a whole character inside it.
    for (size_t i = 0; i < text.size();) {
        const size_t n = TextCharLength(text.c_str() + i, text.size() - i);
        FUZZ_CHECK(n >= 1 && n <= 4 && n <= text.size() - i);
        i += n;
    }

    FormatText(buffer, size, "[%d] %s|%c%5.2f", int(size), text.c_str(), text.empty() ? 'x' : text[0], 1.5);
    FUZZ_CHECK(std::strlen(buffer) < size);
    auto formatV = [&](const char* format, ...) {
        va_list args;
        va_start(args, format);
        const size_t written = FormatTextV(buffer, size, maxChars, format, args);
        va_end(args);
        FUZZ_CHECK(written <= maxChars && written < size && written == std::strlen(buffer));
    };
    formatV("%s%s", text.c_str(), text.c_str());
}

void Gdi(Fonts& f, const std::string& bytes, int font, int x, int y, UINT align) {
    SelectObject(f.dc, f.gdi[font]);
    SetTextAlign(f.dc, align);
    SetTextColor(f.dc, 0xFFFFFF);
    SetBkColor(f.dc, 0);
    SIZE size{-1, -1};
    // The byte count, NULs included: GDI takes counted strings.
    if (GetTextExtentPoint32A(f.dc, bytes.data(), int(bytes.size()), &size)) FUZZ_CHECK(size.cx >= 0 && size.cy >= 0);
    TextOutA(f.dc, x, y, bytes.data(), int(bytes.size()));
}

void Draw(Fonts& f, const std::string& text, DWORD lines, int x, int y, DWORD color, bool center) {
    const char* t = text.c_str();
    f.font.SetLineCount(lines);
    const RECT one = f.font.GetStringRect(t);
    const RECT many = f.font.GetStringRectMultiLine(t);
    FUZZ_CHECK(one.right >= one.left && one.bottom >= one.top && many.right >= many.left && many.bottom >= many.top);
    f.simple.GetStringRect(t);
    GetFontRect(t);

    CGraphics* graphics = GetGraphics();
    if (graphics->BeginScene()) {
        f.font.DrawTextA(x, y, color, "%s", t);
        f.font.DrawSingleLine(x, y, color, center, "%s", t);
        f.simple.DrawTextA(x, y, color, center, "%s", t);
        DrawSingleLine(x, y, color, center, "%s", t);
        graphics->EndScene();
    }
    // Long enough for the cache to age out what this input drew.
    VelmoraTest::AdvanceClock(3500);
    f.font.Update();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    Prepare(argc, argv);
    Shared();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Fonts& fonts = Shared();
    BeginInput();
    FuzzedDataProvider input(data, size);
    const int font = input.ConsumeIntegralInRange(0, 2);
    const UINT aligns[] = {TA_LEFT | TA_TOP, TA_CENTER | TA_BASELINE, TA_RIGHT | TA_BOTTOM};
    const UINT align = aligns[input.ConsumeIntegralInRange(0, 2)];
    const int x = input.ConsumeIntegralInRange(-200, 300);
    const int y = input.ConsumeIntegralInRange(-100, 200);
    const DWORD lines = input.ConsumeIntegralInRange<DWORD>(0, 300);
    const size_t bufferSize = input.ConsumeIntegralInRange<size_t>(1, 300);
    const size_t maxChars = input.ConsumeIntegralInRange<size_t>(0, 300);
    const DWORD color = input.ConsumeIntegral<DWORD>();
    const bool center = input.ConsumeBool();
    SetTextEncoding(input.ConsumeBool() ? TEXT_ENCODING_UTF8 : TEXT_ENCODING_GBK);
    const std::string bytes = input.ConsumeRemainingBytesAsString();
    const std::string text = bytes.substr(0, bytes.find('\0'));

    Formats(text, bufferSize, maxChars);
    Gdi(fonts, bytes, font, x, y, align);
    Draw(fonts, text, lines, x, y, color, center);
    EndInput();
    return 0;
}
