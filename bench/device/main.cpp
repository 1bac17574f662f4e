// bench_device [--quick]
// N textured quads per frame through the engine's Direct3D device, set up as a game sets it
// up: one DrawPrimitiveUP call per quad with the engine's 2D state, and the D3DX sprite. The
// floor is the same picture drawn with one raw OpenGL draw and the least work it needs (one
// sample, no depth, nearest sampling); a second raw OpenGL reference draws into the back
// buffer the engine asks for (its samples and depth, linear sampling). Prints the median
// milliseconds per frame of each and the ratio to the floor; --quick runs a few frames only.
#include <SDL.h>       // the video driver's name for the report
#include <epoxy/gl.h>  // glFinish on the engine's context, so that the GPU work is counted

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <velmora/Velmora.h>

#include "device/GLFloor.h"
#include "device/Scene.h"
#include "support/BenchReport.h"
#include "support/Pictures.h"

namespace {

using namespace DeviceBench;
using VelmoraBench::Format;

// The engine started as a game starts it; the benchmark drives the frames itself.
class BenchGame : public CGameApp {};

struct Plan {
    int quads;
    int frames;  // timed frames per run
};

// The variants are the floor, the raw GL reference with the engine's back buffer, then the
// engine's paths, which should stay within this of the floor.
constexpr size_t kFirstEngineVariant = 2;
constexpr double kGoalRatio = 1.1;

struct Variant {
    const char* name;
    std::function<void(int quads, int frame)> frame;                     // drawn, shown, finished
    std::function<std::vector<uint32_t>(int quads, int frame)> picture;  // drawn and read back
};

IDirect3DTexture9* CreateQuadTexture(IDirect3DDevice9* device) {
    IDirect3DTexture9* texture = nullptr;
    if (FAILED(device->CreateTexture(kTexture, kTexture, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr)))
        return nullptr;
    D3DLOCKED_RECT locked{};
    if (FAILED(texture->LockRect(0, &locked, nullptr, 0))) {
        texture->Release();
        return nullptr;
    }
    std::vector<uint32_t> pixels = TexturePixels();
    for (int y = 0; y < kTexture; ++y)
        std::memcpy(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch, &pixels[y * kTexture], kTexture * 4);
    texture->UnlockRect(0);
    return texture;
}

void DrawPrimitives(IDirect3DDevice9* device, IDirect3DTexture9* texture, int quads, int frame) {
    device->SetTexture(0, texture);
    for (int i = 0; i < quads; ++i) {
        QuadPlace p = PlaceOf(i, frame);
        const float x1 = p.x + kQuad, y1 = p.y + kQuad;
        const EngineVertex strip[4] = {{p.x, p.y, 0.0f, p.color, 0.0f, 0.0f},
                                       {x1, p.y, 0.0f, p.color, 1.0f, 0.0f},
                                       {p.x, y1, 0.0f, p.color, 0.0f, 1.0f},
                                       {x1, y1, 0.0f, p.color, 1.0f, 1.0f}};
        device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, strip, sizeof(EngineVertex));
    }
}

void DrawSprites(ID3DXSprite* sprite, IDirect3DTexture9* texture, int quads, int frame) {
    sprite->Begin(0);
    for (int i = 0; i < quads; ++i) {
        QuadPlace p = PlaceOf(i, frame);
        const D3DXVECTOR2 at(p.x, p.y);
        sprite->Draw(texture, nullptr, nullptr, nullptr, 0.0f, &at, p.color);
    }
    sprite->End();
}

// Medians of the runs, one row per variant, with the ratio to the first variant (the floor).
// Adds each variant's median and its ratio to the floor's, with the lowest and highest ratio
// of a run to the floor's same run; returns the engine variants' largest median ratio.
double AddRows(VelmoraBench::Table* table, int quads, const std::vector<Variant>& variants,
               const std::vector<std::vector<double>>& runMs) {
    const double floorMs = VelmoraBench::Median(runMs[0]);
    double worstEngine = 0;
    for (size_t v = 0; v < variants.size(); ++v) {
        const double ms = VelmoraBench::Median(runMs[v]);
        double low = 0, high = 0;
        for (size_t r = 0; r < runMs[v].size(); ++r) {
            const double ratio = runMs[0][r] > 0 ? runMs[v][r] / runMs[0][r] : 0.0;
            low = r ? std::min(low, ratio) : ratio;
            high = r ? std::max(high, ratio) : ratio;
        }
        const double ratio = floorMs > 0 ? ms / floorMs : 0.0;
        if (v >= kFirstEngineVariant) worstEngine = std::max(worstEngine, ratio);
        table->AddRow({std::to_string(quads), variants[v].name, Format("%.2f", ms), Format("%.2f", ratio),
                       Format("%.2f", low) + "-" + Format("%.2f", high)});
    }
    return worstEngine;
}

}  // namespace

int main(int argc, char** argv) {
    bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
    if (argc > 2 || (argc == 2 && !quick)) {
        std::fprintf(stderr, "usage: %s [--quick]\n", argv[0]);
        return 2;
    }
    // Frames per run shrink as N grows, so each run lasts a similar time on llvmpipe.
    const std::vector<Plan> plans = quick ? std::vector<Plan>{{1000, 2}, {10000, 2}, {50000, 1}}
                                          : std::vector<Plan>{{1000, 40}, {10000, 8}, {50000, 2}};
    const int runs = quick ? 1 : 5;
    const int warmUp = quick ? 1 : 2;
    const int maxQuads = 50000;

    BenchGame game;
    game.SetWindowMode(true);
    if (!game.InitApplication(GetModuleHandleA(nullptr), SW_SHOW, "Velmora device benchmark", nullptr)) {
        std::fprintf(stderr, "bench_device: the engine did not start\n");
        game.Destroy();
        return 1;
    }
    int status = 0;
    {
        CGraphics* graphics = GetGraphics();
        IDirect3DDevice9* device = GetD3DDevice();
        ID3DXSprite* sprite = graphics->GetSprite();
        IDirect3DTexture9* texture = CreateQuadTexture(device);

        // The reference with the engine's back buffer copies its samples and depth attachment.
        D3DSURFACE_DESC backBuffer{};
        IDirect3DSurface9* surface = nullptr;
        if (SUCCEEDED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &surface))) {
            surface->GetDesc(&backBuffer);
            surface->Release();
        }
        DWORD zEnable = 0;
        device->GetRenderState(D3DRS_ZENABLE, &zEnable);
        const int samples = static_cast<int>(backBuffer.MultiSampleType);
        GLFloor floor, asAsked;
        const bool made =
            texture && floor.Create(1, false, true, maxQuads) && asAsked.Create(samples, zEnable != 0, false, maxQuads);
        if (!made) {
            std::fprintf(stderr, "bench_device: set-up failed: %s\n",
                         !texture                 ? "no texture"
                         : !floor.Error().empty() ? floor.Error().c_str()
                                                  : asAsked.Error().c_str());
            if (texture) texture->Release();
            game.Destroy();
            return 1;
        }

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
        auto rawGL = [](const char* name, GLFloor& gl) {
            return Variant{name,
                           [&gl](int n, int f) {
                               gl.MakeCurrent();
                               gl.Frame(n, f);
                           },
                           [&gl](int n, int f) {
                               gl.MakeCurrent();
                               return gl.Picture(n, f);
                           }};
        };
        std::vector<Variant> variants = {
            rawGL("floor: raw GL, least work", floor),
            rawGL("raw GL, engine's back buffer", asAsked),
            {"DrawPrimitiveUP per quad",
             [&](int n, int f) { engineFrame([&] { DrawPrimitives(device, texture, n, f); }); },
             [&](int n, int f) { return enginePicture([&] { DrawPrimitives(device, texture, n, f); }); }},
            {"ID3DXSprite::Draw", [&](int n, int f) { engineFrame([&] { DrawSprites(sprite, texture, n, f); }); },
             [&](int n, int f) { return enginePicture([&] { DrawSprites(sprite, texture, n, f); }); }},
        };

        floor.MakeCurrent();
        std::printf("# Velmora device benchmark\n\n");
        std::printf("N quads of %dx%d pixels from one %dx%d A8R8G8B8 texture, alpha-blended, moving every frame.\n",
                    kQuad, kQuad, kTexture, kTexture);
        std::printf("- video driver: %s; GL renderer: %s\n", SDL_GetCurrentVideoDriver(), floor.Renderer().c_str());
        std::printf(
            "- the engine's back buffer: %dx%d, %d samples, %s; its device keeps it flat while a frame allows "
            "(one sample, depth writes deferred)\n",
            kWidth, kHeight, samples > 1 ? samples : 1,
            zEnable ? "16-bit depth (the engine's 2D state tests and writes it)" : "no depth");
        std::printf(
            "- engine: a CGameApp with its CGraphics; DrawPrimitiveUP: one call per quad (triangle strip, "
            "FVF 0x%X); sprite: Begin, one Draw per quad, End\n",
            static_cast<unsigned>(VLM_VERTEX_FVF));
        std::printf(
            "- raw GL: own GL 3.3 core window and context; the vertex buffer is rewritten once per frame with "
            "glBufferSubData (the quads move), six vertices per quad, then glDrawArrays in draws of whole quads "
            "of at most 4,092 vertices; shader: texture x colour. Floor: one sample (a colour texture made "
            "from BGRA bytes), no depth, nearest sampling (the quads are pixel-aligned, texel for texel); "
            "engine's back buffer: its samples and depth, tested and written, linear sampling\n");
        std::printf(
            "- a frame, every variant alike: clear, draw N quads, resolve and copy to the window, "
            "SDL_GL_SwapWindow, glFinish\n");
        std::printf(
            "- %d warm-up frames per variant, then %d runs of K frames, the variants taking turns frame by "
            "frame; K:",
            warmUp, runs);
        for (const Plan& p : plans) std::printf(" %d for N=%d;", p.frames, p.quads);
        std::printf(" median of the runs\n");

        // All must draw the same picture, or the comparison means nothing.
        const int checkQuads = 1000, checkFrame = 7;
        std::vector<uint32_t> reference = variants[0].picture(checkQuads, checkFrame);
        for (size_t v = 1; v < variants.size(); ++v) {
            const VelmoraBench::PictureDifference d =
                VelmoraBench::ComparePictures(variants[v].picture(checkQuads, checkFrame), reference, 2);
            std::printf("- picture check, %s vs floor (N=%d): largest channel difference %d, %zu pixels off\n",
                        variants[v].name, checkQuads, d.largest, d.pixels);
            if (d.pixels) status = 1;
        }
        std::printf("\n");
        std::fflush(stdout);

        // The variants take turns frame by frame, so a busy spell of a shared machine falls on
        // all of them alike.
        VelmoraBench::Table wall({"N", "variant", "median ms/frame", "ratio to floor", "per run"});
        VelmoraBench::Table cpu({"N", "variant", "median CPU ms/frame", "ratio to floor", "per run"});
        std::string goalWall, goalCpu;
        bool goalMet = true;
        const std::string loadBefore = VelmoraBench::LoadAverage();
        VelmoraBench::Stopwatch total;
        for (const Plan& plan : plans) {
            for (const Variant& v : variants)
                for (int f = 0; f < warmUp; ++f) v.frame(plan.quads, f);
            std::vector<std::vector<double>> wallMs(variants.size()), cpuMs(variants.size());
            for (int run = 0; run < runs; ++run) {
                std::vector<double> wallSum(variants.size()), cpuSum(variants.size());
                for (int f = 0; f < plan.frames; ++f)
                    for (size_t v = 0; v < variants.size(); ++v) {
                        VelmoraBench::Stopwatch watch;
                        variants[v].frame(plan.quads, run * plan.frames + f);
                        wallSum[v] += watch.Milliseconds();
                        cpuSum[v] += watch.CpuMilliseconds();
                    }
                for (size_t v = 0; v < variants.size(); ++v) {
                    wallMs[v].push_back(wallSum[v] / plan.frames);
                    cpuMs[v].push_back(cpuSum[v] / plan.frames);
                }
            }
            const double worstWall = AddRows(&wall, plan.quads, variants, wallMs);
            const double worstCpu = AddRows(&cpu, plan.quads, variants, cpuMs);
            goalMet = goalMet && worstWall <= kGoalRatio && worstCpu <= kGoalRatio;
            goalWall += Format(" %.2f", worstWall) + " (N=" + std::to_string(plan.quads) + ")";
            goalCpu += Format(" %.2f", worstCpu) + " (N=" + std::to_string(plan.quads) + ")";
        }
        wall.Print();
        std::printf(
            "\nProcessor time of the whole process per frame (all threads, the rasteriser's too); it is\n"
            "steadier than wall time when other programs share the machine:\n\n");
        cpu.Print();
        std::printf("\nTimed part: %.1f s; load average before %s, after %s.\n", total.Milliseconds() / 1000.0,
                    loadBefore.c_str(), VelmoraBench::LoadAverage().c_str());
        std::printf("On llvmpipe, rasterising the quads' pixels dominates at large N.\n");
        std::printf(
            "Goal, every engine path within %.1fx of the floor: %s (the slower engine path's ratio, time:%s; "
            "processor time:%s).\n",
            kGoalRatio, goalMet ? "met" : "NOT met", goalWall.c_str(), goalCpu.c_str());
        texture->Release();
    }
    game.Destroy();
    return status;
}
