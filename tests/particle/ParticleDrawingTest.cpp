// Particle systems on a started game: description files with their texture, and particles
// drawn where the truncation rule puts them, in their colour, alone or batched.
#include <array>
#include <filesystem>
#include <map>
#include <set>
#include <utility>

#include "particle/ParticleFixture.h"
#include "support/ResourceFixture.h"

namespace {

using Words = std::array<uint32_t, 30>;

Words WordsOf(const ParticleSystemInfo& info) {
    Words words;
    std::memcpy(words.data(), &info, sizeof info);
    return words;
}

class ParticleDrawingTest : public ResourceTest {
protected:
    void SetUp() override {
        ResourceTest::SetUp();
        srand(1);
        WritePng("white.png", Picture{4, 4, Pixels(16, 0xFFFFFFFF)});
        white = LoadTexture("white.png");
        ASSERT_NE(white, 0u);
        GetGraphics()->SetBKColor(0xFF000000);
    }

    // One still particle of `size` at (x, y), drawn in `color`.
    ParticleSystemInfo Still(float size, DWORD color) {
        ParticleSystemInfo info = QuietInfo();
        info.EmissionNum = 1;
        info.fParticleLifeMin = info.fParticleLifeMax = 1000.0f;
        info.fSizeStart = info.fSizeEnd = size;
        info.dwColorStart = info.dwColorEnd = color;
        return info;
    }
    static void Start(ParticleSystem& ps, float x, float y) {
        ps.FireAt(x, y);
        ps.Update();
        Step(ps);
    }

    // The back buffer after drawing, without alpha.
    Pixels Frame(const std::function<void()>& draw) {
        CGraphics* graphics = GetGraphics();
        graphics->BeginScene();
        draw();
        Pixels out;
        IDirect3DSurface9* surface = nullptr;
        GetD3DDevice()->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &surface);
        D3DLOCKED_RECT lr{};
        surface->LockRect(&lr, nullptr, D3DLOCK_READONLY);
        for (int y = 0; y < 48; ++y) {
            const DWORD* row = reinterpret_cast<const DWORD*>(static_cast<const char*>(lr.pBits) + y * lr.Pitch);
            for (int x = 0; x < 64; ++x) out.push_back(row[x] & 0xFFFFFF);
        }
        surface->UnlockRect();
        surface->Release();
        graphics->EndScene();
        return out;
    }
    static DWORD At(const Pixels& s, int x, int y) { return s.at(size_t(y * 64 + x)); }
    // The pixels of each colour other than black.
    static std::map<DWORD, std::set<std::pair<int, int>>> ByColour(const Pixels& s) {
        std::map<DWORD, std::set<std::pair<int, int>>> lit;
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x)
                if (At(s, x, y)) lit[At(s, x, y)].insert({x, y});
        return lit;
    }
    static std::set<std::pair<int, int>> Box(int left, int top, int right, int bottom) {
        std::set<std::pair<int, int>> box;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x) box.insert({x, y});
        return box;
    }

    DWORD white = 0;
};

TEST_F(ParticleDrawingTest, LoadIniFileReadsEveryKeyAndTheTexture) {
    WriteFx("full.ini", {{"TextureFile", "white.png"},
                         {"fPositionX", "12.5"},
                         {"fPositionY", "-3.25"},
                         {"fEmission", "37.5"},
                         {"EmissionNum", "10"},
                         {"fLifetime", "-1"},
                         {"fXPosMin", "-1.5"},
                         {"fXPosMax", "1.5"},
                         {"fYPosMin", "-2"},
                         {"fYPosMax", "2"},
                         {"fParticleLifeMin", "0.5"},
                         {"fParticleLifeMax", "1.25"},
                         {"Direction", "90"},
                         {"Spread", "45"},
                         {"Relative", "1"},
                         {"fSpeedMin", "0.5"},
                         {"fSpeedMax", "2"},
                         {"fGravityMin", "-10"},
                         {"fGravityMax", "10"},
                         {"fRadialAccelMin", "-3"},
                         {"fRadialAccelMax", "3"},
                         {"fTangentialAccelMin", "-4"},
                         {"fTangentialAccelMax", "4"},
                         {"fSizeStart", "8"},
                         {"fSizeEnd", "2"},
                         {"fSizeVar", "0.25"},
                         {"fSpinStart", "1"},
                         {"fSpinEnd", "3"},
                         {"fSpinVar", "0.5"},
                         {"dwColorStart", "0xFF0000FF"},
                         {"dwColorEnd", "0x000000FF"},
                         {"fColorVar", "0.125"},
                         {"fAlphaVar", "0.75"}});
    const ParticleSystemInfo expected = {37.5f,
                                         10,
                                         -1.0f,
                                         -1.5f,
                                         1.5f,
                                         -2.0f,
                                         2.0f,
                                         0.5f,
                                         1.25f,
                                         static_cast<float>(90 * 0.017453292519943295),
                                         static_cast<float>(45 * 0.017453292519943295),
                                         1,
                                         0.5f,
                                         2.0f,
                                         -10.0f,
                                         10.0f,
                                         -3.0f,
                                         3.0f,
                                         -4.0f,
                                         4.0f,
                                         8.0f,
                                         2.0f,
                                         0.25f,
                                         1.0f,
                                         3.0f,
                                         0.5f,
                                         0xFF0000FF,
                                         0x000000FF,
                                         0.125f,
                                         0.75f};
    // The same file saved with LF lines reads the same.
    std::string lf = ReadFile("full.ini");
    for (size_t at; (at = lf.find("\r\n")) != std::string::npos;) lf.erase(at, 1);
    WriteFile("full-lf.ini", lf);
    ParticleSystem fromLf;
    fromLf.LoadIniFile("full-lf.ini");
    EXPECT_EQ(WordsOf(fromLf.GetInfo()), WordsOf(expected));
    EXPECT_EQ(fromLf.GetTexture(), white);

    ParticleSystem ps;
    ps.LoadIniFile("full.ini");
    EXPECT_EQ(WordsOf(ps.GetInfo()), WordsOf(expected));
    EXPECT_EQ(ps.GetTexture(), white);  // shared by name with the fixture's load
    float x = 0, y = 0;
    ps.GetPosition(&x, &y);
    EXPECT_EQ(x, 12.5f);
    EXPECT_EQ(y, -3.25f);
    // The previous position was set too: the first particles start there, not on a path from (0, 0).
    ps.Fire();
    ps.Update();
    Step(ps);
    ASSERT_EQ(ps.GetParticlesAlive(), 10);
    for (const Particle& p : Particles(ps)) {
        EXPECT_GE(p.x, 11.0f);
        EXPECT_LE(p.x, 14.0f);
        EXPECT_GE(p.y, -5.25f);
        EXPECT_LE(p.y, -1.25f);
    }
    EXPECT_TRUE(Errors().empty());
}

TEST_F(ParticleDrawingTest, MissingFileGivesZeroParametersAndEmitsNothing) {
    ParticleSystemInfo info = Still(4, 0xFFFFFFFF);
    ParticleSystem ps(&info, white);
    ps.LoadIniFile("missing.ini");
    EXPECT_EQ(WordsOf(ps.GetInfo()), Words{});
    EXPECT_EQ(ps.GetTexture(), 0u);
    EXPECT_EQ(Errors(), std::vector<std::string>{"Can't open Ini file [missing.ini] !"});
    ps.Fire();
    ps.Update();
    Step(ps, 5);
    EXPECT_EQ(ps.GetParticlesAlive(), 0);
    EXPECT_EQ(ps.GetAge(), -2.0f);

    // A null record is refused and changes nothing.
    ParticleSystem fromNull(nullptr, white);
    EXPECT_EQ(WordsOf(fromNull.GetInfo()), Words{});
    ps.SetSystem(nullptr, white);
    EXPECT_EQ(ps.GetTexture(), 0u);
    EXPECT_EQ(Errors(), std::vector<std::string>(2, "Invalidate parameter!"));
}

TEST_F(ParticleDrawingTest, WhatADescriptionLacksIsNamed) {
    WriteFile("plain.ini", "[Other]\nk=1\n");
    WriteFile("bare.ini", "[FX]\nEmissionNum=3\n");
    WriteFile("lost.ini", "[FX]\nTextureFile=nothere.png\nEmissionNum=3\n");
    WriteFile("typo.ini", "[FX]\nTextureFile=white.png\nEmissionNum=3x\nfLifetime=one\n");
    struct Case {
        const char* file;
        const char* error;    // the engine's error lines, "" for none
        const char* warning;  // after them, "" for none
    };
    const Case cases[] = {
        {"plain.ini", "Particle file[plain.ini] has no section [FX]: the effect emits nothing", ""},
        {"bare.ini", "", "Section [FX] in file[bare.ini] has no key TextureFile: the particles have no picture"},
        {"lost.ini", "Can't get image info from file[nothere.png]!",
         "Key TextureFile of section [FX] in file[lost.ini]: [nothere.png] did not load; the name resolves to [*/"
         "nothere.png]: no such file"},
        {"typo.ini", "",
         "Key EmissionNum of section [FX] in file[typo.ini]: the value [3x] is not a number, read as 3"},
        {"typo.ini", "", "Key fLifetime of section [FX] in file[typo.ini]: the value [one] is not a number, read as 0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        VelmoraTest::TakeDebugOutput();
        ParticleSystem ps;
        ps.LoadIniFile(c.file);
        const std::vector<std::string> errors = Errors();
        EXPECT_EQ(errors, *c.error ? std::vector<std::string>{c.error} : std::vector<std::string>{});
        const std::string warnings = VelmoraTest::TakeDebugOutput();
        std::string warning = c.warning;
        const size_t star = warning.find('*');
        if (star != std::string::npos) warning.replace(star, 1, std::filesystem::current_path().string());
        if (*c.warning)
            EXPECT_NE(warnings.find("]" + warning + "\r\n"), std::string::npos) << warnings;
        else
            EXPECT_EQ(warnings, "");
    }
}

TEST_F(ParticleDrawingTest, ParticlesLandWhereTruncationPutsThem) {
    ParticleSystemInfo green = Still(6.7f, 0xFF20C040);
    ParticleSystem a(&green, white);
    a.Transpose(3.5f, -2.25f);
    Start(a, 10.6f, 20.3f);
    // A second one whose channels leave 0 ... 1: alpha above 1, green below 0. Each is held
    // to its byte's range instead of wrapping into the neighbouring channel.
    ParticleSystemInfo wild = Still(4, 0x80FF4000);
    wild.dwColorEnd = 0xFFFF0000;
    wild.fAlphaVar = 4;
    wild.fColorVar = 3;
    ParticleSystem b(&wild, white);
    Start(b, 40, 5);
    ASSERT_GT(b.GetParticle(0)->fAlpha, 1.0f);
    ASSERT_LT(b.GetParticle(0)->fGreen, 0.0f);

    // left trunc(14.1) = 14, top trunc(18.05) = 18, right trunc(20.8) = 20, bottom trunc(24.75) = 24.
    const std::map<DWORD, std::set<std::pair<int, int>>> expected = {{0x20C040, Box(14, 18, 20, 24)},
                                                                     {0xFF0000, Box(40, 5, 44, 9)}};
    const Pixels single = Frame([&] {
        a.Render();
        b.Render();
    });
    EXPECT_EQ(ByColour(single), expected);
    const Pixels batched = Frame([&] {
        GetGraphics()->BeginSprite();
        a.Render();
        b.Render();
        GetGraphics()->EndSprite();
    });
    EXPECT_EQ(batched, single);
}

TEST_F(ParticleDrawingTest, AParticleWiderThanTheIntRangeCoversTheScreen) {
    ParticleSystemInfo huge = Still(4e9f, 0xFF0000FF);
    ParticleSystem ps(&huge, white);
    Start(ps, -3e9f, -3e9f);
    const Pixels s = Frame([&] { ps.Render(); });
    EXPECT_EQ(ByColour(s), (std::map<DWORD, std::set<std::pair<int, int>>>{{0x0000FF, Box(0, 0, 64, 48)}}));
}

TEST_F(ParticleDrawingTest, ManagerDrawsItsSystemsFromTheirFiles) {
    WriteFx("dot.ini", {{"TextureFile", "white.png"},
                        {"fPositionX", "30"},
                        {"fPositionY", "30"},
                        {"EmissionNum", "1"},
                        {"fLifetime", "-1"},
                        {"fParticleLifeMin", "100"},
                        {"fParticleLifeMax", "100"},
                        {"fSizeStart", "3"},
                        {"fSizeEnd", "3"},
                        {"dwColorStart", "0xFFFFFFFF"},
                        {"dwColorEnd", "0xFFFFFFFF"}});
    ParticleManager manager;
    ASSERT_NE(manager.AddPS("dot.ini"), nullptr);
    manager.Update();
    VelmoraTest::AdvanceClock(20);
    const Pixels s = Frame([&] { manager.Render(); });
    EXPECT_EQ(ByColour(s), (std::map<DWORD, std::set<std::pair<int, int>>>{{0xFFFFFF, Box(30, 30, 33, 33)}}));
}

}  // namespace
