// Fuzz target: batch list files of the texture, frame and sound managers. The same file is
// loaded by all three, naming the art and the sound of the scratch folder; each loaded handle
// is then used, released by the idle sweep and used again, and the managers are emptied for
// the next input.
#include <cstdlib>
#include <set>
#include <sstream>

#include "support/FuzzEngine.h"

using namespace VelmoraFuzz;

namespace {

// The first field of every record: the handles the batch may have loaded into.
std::set<DWORD> RecordHandles(const std::string& text) {
    std::set<DWORD> handles;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line))
        if (line.size() > 1 && line[0] == '#') handles.insert(DWORD(std::strtol(line.c_str() + 1, nullptr, 10)));
    return handles;
}

void UseAll(CTextureManager& textures, CFrameManager& frames, CSoundManager& sounds, const std::set<DWORD>& handles) {
    for (DWORD handle : handles) {
        if (CTexture* texture = textures.GetTexture(handle)) texture->AutoLoad();
        frames.GetTexture(handle, 1);
        sounds.Play(handle);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    Prepare(argc, argv);
    Engine();
    WriteArt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    BeginInput();
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string path = WriteScratch("input.lst", data, size);
    CTextureManager& textures = *GetTextureManager();
    CFrameManager& frames = *GetFrameManager();
    CSoundManager& sounds = *GetSoundManager();
    textures.BatchLoad(path.c_str());
    frames.BatchLoad(path.c_str());
    sounds.BatchLoad(path.c_str());

    const std::set<DWORD> handles = RecordHandles(text);
    UseAll(textures, frames, sounds, handles);
    // Long enough for the sweep to release every idle MEM_AUTO resource; the next use reloads.
    VelmoraTest::AdvanceClock(10000);
    textures.Update();
    frames.Update();
    sounds.Update();
    UseAll(textures, frames, sounds, handles);

    textures.DestroyAll();
    frames.DestroyAll();
    sounds.DestroyAll();
    EndInput();
    return 0;
}
