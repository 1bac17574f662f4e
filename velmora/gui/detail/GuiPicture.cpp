// Loading the pictures of description sections, and saying why one did not load.
#include <velmora/gui/detail/GuiPicture.h>

#include <cstring>

#include <velmora/core/Log.h>
#include <velmora/gui/detail/GuiEngine.h>
#include <velmora/resource/TextureManager.h>
#include <velmora/resource/detail/LoadFailure.h>

namespace vlm_engine {

DWORD LoadGuiPicture(const CIniFile& ini, const char* section, const char* key, const char* amf, DWORD index) {
    CTextureManager* textures = GuiTextures();
    if (!textures) return 0;
    const DWORD handle = textures->LoadAMFTexture(amf, index, MEM_AUTO, 1);
    if (handle) return handle;
    if (!amf || !*amf)
        WriteLog(INFO_WARNING, "Key %s of section [%s] in file[%s]: picture %u did not load; the section names no File",
                 key, section, ini.GetFileName(), unsigned(index));
    else
        WriteLog(INFO_WARNING, "Key %s of section [%s] in file[%s]: picture %u of [%s] did not load; %s", key, section,
                 ini.GetFileName(), unsigned(index), amf, WhyPictureFails(amf, index, true).c_str());
    return 0;
}

bool HasSection(const CIniFile& ini, const char* section) {
    char name[CIniFile::MAX_BUFFER];
    for (int i = 0; i < ini.GetIndexNum(); ++i)
        if (ini.GetIndex(i, name, sizeof(name)) && std::strcmp(name, section) == 0) return true;
    return false;
}

}  // namespace vlm_engine
