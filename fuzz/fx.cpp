// Fuzz target: particle effect files (section "FX"). The system loads the file, fires, runs
// some fixed steps on the manual clock while its emitter moves, and is drawn in a frame. The
// bytes after the file's first NUL choose where it fires, how it moves and how many steps run.
#include <fuzzer/FuzzedDataProvider.h>

#include "support/FuzzEngine.h"

using namespace VelmoraFuzz;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    Prepare(argc, argv);
    Engine();
    WriteArt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    BeginInput();
    const SplitInput input = SplitAtNul(data, size);
    const std::string path = WriteScratch("input.ini", input.text);
    FuzzedDataProvider choices(reinterpret_cast<const uint8_t*>(input.rest.data()), input.rest.size());
    const int steps = choices.ConsumeIntegralInRange(1, 60);
    const float x = choices.ConsumeFloatingPointInRange(-200.0f, 400.0f);
    const float y = choices.ConsumeFloatingPointInRange(-200.0f, 400.0f);
    const bool moveParticles = choices.ConsumeBool();
    const bool kill = choices.ConsumeBool();

    ParticleSystem ps;
    ps.LoadIniFile(path.c_str());
    ps.FireAt(x, y);
    ps.Transpose(choices.ConsumeFloatingPointInRange(-50.0f, 50.0f), 0.0f);
    for (int i = 0; i < steps; ++i) {
        // Mostly one step's time; now and then a long pause, which is dropped.
        VelmoraTest::AdvanceClock(choices.ConsumeBool() ? 20 : 20 + choices.ConsumeIntegralInRange<DWORD>(0, 2000));
        ps.MoveTo(x + float(i * 3), y - float(i), moveParticles);
        ps.Update();
        FUZZ_CHECK(ps.GetParticlesAlive() >= 0 && ps.GetParticlesAlive() <= ParticleSystem::MAX_PARTICLES);
    }
    CGraphics* graphics = GetGraphics();
    if (graphics->BeginScene()) {
        graphics->BeginSprite();
        ps.Render();
        graphics->EndSprite();
        ps.Stop(kill);
        VelmoraTest::AdvanceClock(20);
        ps.Render();
        graphics->EndScene();
    }
    if (ps.GetTexture()) ReleaseTexture(ps.GetTexture());
    EndInput();
    return 0;
}
