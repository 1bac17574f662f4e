// bench_particles [--quick]
// 1, 10 and 100 particle systems of 500 live particles each (up to 50,000) on the engine a
// CGameApp starts. (a) Update: the systems' per-frame step, in nanoseconds per particle,
// against a plain reference loop doing the same arithmetic on the same data layout (checked
// to give the same particles bit for bit). (b) Render: every system's Render inside one
// BeginSprite/EndSprite, against the floor: the same quads in one raw OpenGL draw with the
// least work the picture needs; the engine device's own single DrawPrimitiveUP of the quads
// is shown too. Prints medians of several runs and the ratios; --quick runs a few frames.
#include <SDL.h>       // the video driver's name for the report
#include <epoxy/gl.h>  // glFinish on the engine's context, so that the rasteriser's work is counted

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <velmora/Velmora.h>
#include <velmora/platform/d3dx9/ImageCodec.h>  // writes the particle texture's PNG file
#include <velmora/testing/TestSeams.h>          // the manual clock: exactly one step per Update

#include "particles/GLQuads.h"
#include "particles/Reference.h"
#include "support/BenchReport.h"
#include "support/Pictures.h"

namespace {

using namespace ParticleBench;
using VelmoraBench::Format;

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kTextureSize = 16;
constexpr DWORD kStepMs = 20;
const char kTextureFile[] = "bench-particle.png";

static_assert(sizeof(RefParticle) == sizeof(Particle), "the reference keeps the engine's particle layout");

class BenchGame : public CGameApp {};

// A soft white disc: alpha falls from the centre to the rim, so blending does real work.
std::vector<uint32_t> TexturePixels() {
    std::vector<uint32_t> pixels(kTextureSize * kTextureSize);
    for (int y = 0; y < kTextureSize; ++y)
        for (int x = 0; x < kTextureSize; ++x) {
            const float d = std::hypot(x + 0.5f - kTextureSize / 2.0f, y + 0.5f - kTextureSize / 2.0f);
            const float a = std::fmax(0.0f, 1.0f - d / (kTextureSize / 2.0f));
            pixels[y * kTextureSize + x] = static_cast<uint32_t>(a * 255.0f) << 24 | 0xFFFFFF;
        }
    return pixels;
}

// 500 particles per system circling their emitter, 6 to 20 pixels wide. Long-lived ones
// never die while timed, so that the engine and the reference do the same per-particle work;
// short-lived ones die and are replaced all the time.
ParticleSystemInfo Effect(bool shortLived) {
    ParticleSystemInfo info;
    std::memset(&info, 0, sizeof info);
    info.EmissionNum = ParticleSystem::MAX_PARTICLES;
    info.fLifetime = -1.0f;
    info.fParticleLifeMin = shortLived ? 0.5f : 1e9f;
    info.fParticleLifeMax = shortLived ? 1.5f : 1e9f;
    info.fXPosMin = info.fYPosMin = -30.0f;
    info.fXPosMax = info.fYPosMax = 30.0f;
    info.Spread = 6.2831855f;
    info.fSpeedMin = 0.5f;
    info.fSpeedMax = 2.5f;
    info.fGravityMin = -2.0f;
    info.fGravityMax = 2.0f;
    info.fRadialAccelMin = -20.0f;
    info.fRadialAccelMax = -8.0f;
    info.fTangentialAccelMin = -0.5f;
    info.fTangentialAccelMax = 0.5f;
    info.fSizeStart = 20.0f;
    info.fSizeEnd = 6.0f;
    info.fSizeVar = 1.0f;
    info.fSpinStart = 0.0f;
    info.fSpinEnd = 6.0f;
    info.fSpinVar = 0.5f;
    info.dwColorStart = 0xFFFFC060;
    info.dwColorEnd = 0x60FF3010;
    info.fColorVar = 0.3f;
    info.fAlphaVar = 0.3f;
    return info;
}

// N systems fired over a grid covering the screen, each stepped once so that it holds 500.
std::vector<std::unique_ptr<ParticleSystem>> MakeSystems(int count, bool shortLived, DWORD texture) {
    const ParticleSystemInfo info = Effect(shortLived);
    const int columns = static_cast<int>(std::ceil(std::sqrt(count * 4.0 / 3.0)));
    const int rows = (count + columns - 1) / columns;
    std::vector<std::unique_ptr<ParticleSystem>> systems;
    for (int i = 0; i < count; ++i) {
        auto ps = std::make_unique<ParticleSystem>(&info, texture);
        ps->FireAt((i % columns + 0.5f) * kWidth / columns, (i / columns + 0.5f) * kHeight / rows);
        ps->Update();  // starts its clock
        systems.push_back(std::move(ps));
    }
    VelmoraTest::AdvanceClock(kStepMs);
    for (auto& ps : systems) ps->Update();
    return systems;
}

void StepAll(std::vector<std::unique_ptr<ParticleSystem>>& systems) {
    VelmoraTest::AdvanceClock(kStepMs);
    for (auto& ps : systems) ps->Update();
}

int CountParticles(const std::vector<std::unique_ptr<ParticleSystem>>& systems) {
    int n = 0;
    for (const auto& ps : systems) n += ps->GetParticlesAlive();
    return n;
}

// The engine's rule for a particle's square and colour.
LONG Edge(float f) {
    const float limit = 16777216.0f;
    return static_cast<LONG>(f > limit ? limit : f < -limit ? -limit : f);
}
uint32_t ChannelByte(float channel) {
    const float scaled = channel * 255.0f;
    return !(scaled > 0.0f) ? 0u : scaled >= 255.0f ? 255u : static_cast<uint32_t>(scaled);
}

// The quads of every live particle, four vertices each, as the floor's vertex buffer wants them.
int FillQuads(const std::vector<std::unique_ptr<ParticleSystem>>& systems, GLQuads::Vertex* v) {
    int quads = 0;
    for (const auto& ps : systems) {
        float tx = 0, ty = 0;
        ps->GetTransposition(&tx, &ty);
        for (int i = 0; i < ps->GetParticlesAlive(); ++i) {
            const Particle& p = *ps->GetParticle(i);
            const float l = static_cast<float>(Edge(tx + p.x)), t = static_cast<float>(Edge(p.y + ty));
            const float r = static_cast<float>(Edge(tx + p.x + p.fSize)),
                        b = static_cast<float>(Edge(p.y + p.fSize + ty));
            const uint32_t c = ChannelByte(p.fAlpha) << 24 | ChannelByte(p.fRed) << 16 | ChannelByte(p.fGreen) << 8 |
                               ChannelByte(p.fBlue);
            v[0] = {l, t, c, 0.0f, 0.0f};
            v[1] = {r, t, c, 1.0f, 0.0f};
            v[2] = {l, b, c, 0.0f, 1.0f};
            v[3] = {r, b, c, 1.0f, 1.0f};
            v += 4;
            ++quads;
        }
    }
    return quads;
}

// The same quads as one triangle list through the engine's device: its own one-draw floor.
void DrawOnce(IDirect3DDevice9* device, IDirect3DTexture9* texture,
              const std::vector<std::unique_ptr<ParticleSystem>>& systems, std::vector<GLQuads::Vertex>& quads,
              std::vector<EngineVertex>& list) {
    const int n = FillQuads(systems, quads.data());
    for (int q = 0; q < n; ++q) {
        const GLQuads::Vertex* c = &quads[static_cast<size_t>(q) * 4];
        EngineVertex* v = &list[static_cast<size_t>(q) * 6];
        const int corner[6] = {0, 1, 2, 2, 1, 3};
        for (int k = 0; k < 6; ++k)
            v[k] = {c[corner[k]].x, c[corner[k]].y, 0.0f, c[corner[k]].color, c[corner[k]].u, c[corner[k]].v};
    }
    device->SetTexture(0, texture);
    device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, static_cast<UINT>(n * 2), list.data(), sizeof(EngineVertex));
}

struct UpdateRow {
    int systems, particles;
    double engineNs, referenceNs, shortLivedNs;
    bool same;
};

// Steps every system `frames` times and returns the wall-clock nanoseconds per particle step.
template <class Step>
double NanosecondsPerParticle(int frames, int particles, Step step) {
    VelmoraBench::Stopwatch watch;
    for (int f = 0; f < frames; ++f) step();
    return watch.Milliseconds() * 1e6 / (static_cast<double>(frames) * particles);
}

// (a) Update alone. Engine and reference take turns sample by sample; a sample is a batch of
// frames of about 50,000 particle steps, and the median over the samples leaves out those that
// another program on the machine interrupted.
UpdateRow MeasureUpdate(int count, DWORD texture, int samples) {
    auto systems = MakeSystems(count, false, texture);
    std::vector<std::unique_ptr<RefSystem>> reference;
    for (const auto& ps : systems) {
        auto ref = std::make_unique<RefSystem>();
        ps->GetPosition(&ref->ex, &ref->ey);
        ref->alive = ps->GetParticlesAlive();
        std::memcpy(ref->particles, ps->GetParticle(0), sizeof(RefParticle) * ref->alive);
        reference.push_back(std::move(ref));
    }
    const int particles = CountParticles(systems);
    const int batch = std::max(1, 50000 / particles);
    auto engine = [&] {
        VelmoraTest::AdvanceClock(kStepMs);
        for (auto& ps : systems) ps->Update();
    };
    auto plain = [&] {
        for (auto& ref : reference) ReferenceStep(*ref, 0.02f);  // the engine's step
    };
    for (int f = 0; f < batch * 4; ++f) {  // warm-up: caches and branch predictors for both
        engine();
        plain();
    }
    std::vector<double> engineNs, referenceNs;
    for (int sample = 0; sample < samples; ++sample) {
        if (sample % 2) {
            engineNs.push_back(NanosecondsPerParticle(batch, particles, engine));
            referenceNs.push_back(NanosecondsPerParticle(batch, particles, plain));
        } else {
            referenceNs.push_back(NanosecondsPerParticle(batch, particles, plain));
            engineNs.push_back(NanosecondsPerParticle(batch, particles, engine));
        }
    }
    bool same = true;
    for (size_t i = 0; i < systems.size(); ++i) {
        const int alive = systems[i]->GetParticlesAlive();
        same = same && alive == reference[i]->alive &&
               std::memcmp(systems[i]->GetParticle(0), reference[i]->particles, sizeof(RefParticle) * alive) == 0;
    }

    // The same, with particles dying and being replaced (about 2 % a step): the engine alone.
    auto shortLived = MakeSystems(count, true, texture);
    auto shortStep = [&] { StepAll(shortLived); };
    for (int f = 0; f < std::max(batch * 4, 100); ++f) shortStep();  // to the steady state
    std::vector<double> shortNs;
    for (int sample = 0; sample < samples; ++sample)
        shortNs.push_back(NanosecondsPerParticle(batch, CountParticles(shortLived), shortStep));
    return {count,
            particles,
            VelmoraBench::Median(engineNs),
            VelmoraBench::Median(referenceNs),
            VelmoraBench::Median(shortNs),
            same};
}

struct Variant {
    const char* name;
    std::function<void()> frame;                     // drawn, shown, finished
    std::function<std::vector<uint32_t>()> picture;  // drawn and read back
};

}  // namespace

int main(int argc, char** argv) {
    const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
    if (argc > 2 || (argc == 2 && !quick)) {
        std::fprintf(stderr, "usage: %s [--quick]\n", argv[0]);
        return 2;
    }
    struct Plan {
        int systems;
        int renderFrames;  // per run
    };
    const std::vector<Plan> plans =
        quick ? std::vector<Plan>{{1, 2}, {10, 1}, {100, 1}} : std::vector<Plan>{{1, 60}, {10, 20}, {100, 4}};
    const int updateSamples = quick ? 5 : 401;
    const int runs = quick ? 1 : 7;
    const int warmUp = quick ? 1 : 3;
    const int maxQuads = 100 * ParticleSystem::MAX_PARTICLES;

    velmora::DecodedImage image;
    image.width = image.height = kTextureSize;
    const std::vector<uint32_t> pixels = TexturePixels();
    image.pixels.assign(pixels.begin(), pixels.end());
    if (!velmora::WritePngFile(kTextureFile, image)) {
        std::fprintf(stderr, "bench_particles: can't write %s\n", kTextureFile);
        return 1;
    }

    BenchGame game;
    game.SetWindowWidth(kWidth);
    game.SetWindowHeight(kHeight);
    game.SetWindowMode(true);
    if (!game.InitApplication(GetModuleHandleA(nullptr), SW_SHOW, "Velmora particle benchmark", nullptr)) {
        std::fprintf(stderr, "bench_particles: the engine did not start\n");
        game.Destroy();
        return 1;
    }
    VelmoraTest::UseManualClock(true);
    VelmoraTest::SetClock(100000);
    srand(1);
    int status = 0;
    {
        CGraphics* graphics = GetGraphics();
        IDirect3DDevice9* device = GetD3DDevice();
        const DWORD texture = LoadTexture(kTextureFile);
        CTexture* loaded = texture ? GetTextureManager()->GetTexture(texture) : nullptr;
        GLQuads floor;
        if (!loaded || !loaded->AutoLoad() || !floor.Create(kWidth, kHeight, kTextureSize, pixels, maxQuads)) {
            std::fprintf(stderr, "bench_particles: set-up failed: %s\n",
                         !loaded ? "the texture did not load" : floor.Error().c_str());
            game.Destroy();
            return 1;
        }
        IDirect3DTexture9* rawTexture = loaded->GetTexture();

        std::printf("# Velmora particle benchmark\n\n");
        std::printf(
            "N systems of 500 live particles (6 to 20 pixel squares of one %dx%d soft-disc texture, alpha-blended, "
            "circling their emitters over an %dx%d back buffer).\n",
            kTextureSize, kTextureSize, kWidth, kHeight);
        std::printf("- video driver: %s; GL renderer: %s\n", SDL_GetCurrentVideoDriver(), floor.Renderer().c_str());
        std::printf(
            "- Update: each frame the manual clock moves 20 ms and every system's Update runs one step; the "
            "reference loop (bench/particles/Reference.h) steps copies of the same particles with the same "
            "arithmetic, compiled with the same flags; the two take turns, %d samples each of about 50,000 "
            "particle steps, median of the samples\n\n",
            updateSamples);
        std::fflush(stdout);

        // (a) Update.
        VelmoraBench::Table updates({"systems", "particles", "engine Update ns/particle", "reference ns/particle",
                                     "ratio", "engine, particles dying and replaced, ns/particle"});
        for (const Plan& plan : plans) {
            const UpdateRow row = MeasureUpdate(plan.systems, texture, updateSamples);
            if (!row.same) status = 1;
            updates.AddRow({std::to_string(row.systems), std::to_string(row.particles), Format("%.2f", row.engineNs),
                            Format("%.2f", row.referenceNs),
                            Format("%.2f", row.referenceNs > 0 ? row.engineNs / row.referenceNs : 0.0),
                            Format("%.2f", row.shortLivedNs)});
            std::printf("- update check, N=%d: engine and reference particles %s after all frames\n", plan.systems,
                        row.same ? "identical bit for bit" : "DIFFER");
        }
        std::printf("\n");
        updates.Print();
        std::printf("\n");
        std::fflush(stdout);

        // (b) Render.
        std::vector<GLQuads::Vertex> quadScratch(static_cast<size_t>(maxQuads) * 4);
        std::vector<EngineVertex> listScratch(static_cast<size_t>(maxQuads) * 6);
        std::vector<std::unique_ptr<ParticleSystem>> systems;
        auto engineDraw = [&] {
            graphics->BeginSprite();
            for (auto& ps : systems) ps->Render();
            graphics->EndSprite();
        };
        auto deviceDraw = [&] { DrawOnce(device, rawTexture, systems, quadScratch, listScratch); };
        auto engineFrame = [graphics](const std::function<void()>& draw) {
            graphics->BeginScene();
            draw();
            graphics->EndScene();
            glFinish();  // the device presented, so its context is the current one
        };
        auto enginePicture = [graphics, device](const std::function<void()>& draw) {
            graphics->BeginScene();
            draw();
            std::vector<uint32_t> picture = VelmoraBench::ReadBackBuffer(device, kWidth, kHeight);
            graphics->EndScene();
            return picture;
        };
        auto fill = [&](GLQuads::Vertex* v) { return FillQuads(systems, v); };
        const std::vector<Variant> variants = {
            {"floor: raw GL, one draw, least work",
             [&] {
                 floor.MakeCurrent();
                 floor.Frame(fill);
             },
             [&] {
                 floor.MakeCurrent();
                 return floor.Picture(fill);
             }},
            {"engine: Render of every system in one BeginSprite/EndSprite", [&] { engineFrame(engineDraw); },
             [&] { return enginePicture(engineDraw); }},
            {"engine device: the quads in one DrawPrimitiveUP", [&] { engineFrame(deviceDraw); },
             [&] { return enginePicture(deviceDraw); }},
        };
        std::printf(
            "- Render: a frame is clear, draw, present (buffer swap) and glFinish; the systems step once before "
            "each round of frames (untimed), then every variant draws that same state\n");
        std::printf(
            "- engine: a CGameApp's back buffer (4 samples, 16-bit depth, kept flat by its device while a frame "
            "allows); floor: own GL 3.3 core window and context, one sample, no depth, linear sampling; the "
            "quads' vertices are written once per frame from the particles, one glBufferSubData, one "
            "glDrawElements\n");

        VelmoraBench::Table wall({"systems", "quads", "variant", "median ms/frame", "ratio to floor"});
        VelmoraBench::Table cpu({"systems", "quads", "variant", "median CPU ms/frame", "ratio to floor"});
        const std::string loadBefore = VelmoraBench::LoadAverage();
        VelmoraBench::Stopwatch total;
        for (const Plan& plan : plans) {
            systems = MakeSystems(plan.systems, false, texture);
            for (int s = 0; s < 30; ++s) StepAll(systems);  // spread out from the emitters
            const int quads = CountParticles(systems);
            // All must draw the same picture, or the comparison means nothing.
            const std::vector<uint32_t> reference = variants[0].picture();
            for (size_t v = 1; v < variants.size(); ++v) {
                const VelmoraBench::PictureDifference d =
                    VelmoraBench::ComparePictures(variants[v].picture(), reference, 2);
                std::printf("- picture check, N=%d, %s vs floor: largest channel difference %d, %zu pixels off\n",
                            plan.systems, variants[v].name, d.largest, d.pixels);
                if (d.pixels) status = 1;
            }
            for (const Variant& v : variants)
                for (int f = 0; f < warmUp; ++f) v.frame();
            std::vector<std::vector<double>> wallMs(variants.size()), cpuMs(variants.size());
            for (int run = 0; run < runs; ++run) {
                std::vector<double> wallSum(variants.size()), cpuSum(variants.size());
                for (int f = 0; f < plan.renderFrames; ++f) {
                    StepAll(systems);
                    for (size_t v = 0; v < variants.size(); ++v) {
                        VelmoraBench::Stopwatch watch;
                        variants[v].frame();
                        wallSum[v] += watch.Milliseconds();
                        cpuSum[v] += watch.CpuMilliseconds();
                    }
                }
                for (size_t v = 0; v < variants.size(); ++v) {
                    wallMs[v].push_back(wallSum[v] / plan.renderFrames);
                    cpuMs[v].push_back(cpuSum[v] / plan.renderFrames);
                }
            }
            const double floorWall = VelmoraBench::Median(wallMs[0]), floorCpu = VelmoraBench::Median(cpuMs[0]);
            for (size_t v = 0; v < variants.size(); ++v) {
                const double w = VelmoraBench::Median(wallMs[v]), c = VelmoraBench::Median(cpuMs[v]);
                wall.AddRow({std::to_string(plan.systems), std::to_string(quads), variants[v].name, Format("%.2f", w),
                             Format("%.2f", floorWall > 0 ? w / floorWall : 0.0)});
                cpu.AddRow({std::to_string(plan.systems), std::to_string(quads), variants[v].name, Format("%.2f", c),
                            Format("%.2f", floorCpu > 0 ? c / floorCpu : 0.0)});
            }
        }
        std::printf("\n");
        wall.Print();
        std::printf(
            "\nProcessor time of the whole process per frame (all threads, the rasteriser's too); it is\n"
            "steadier than wall time when other programs share the machine:\n\n");
        cpu.Print();
        std::printf("\nTimed part of the rendering: %.1f s; load average before %s, after %s.\n",
                    total.Milliseconds() / 1000.0, loadBefore.c_str(), VelmoraBench::LoadAverage().c_str());
        systems.clear();
    }
    VelmoraTest::UseManualClock(false);
    game.Destroy();
    return status;
}
