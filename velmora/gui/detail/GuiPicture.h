// Private to the GUI: the pictures a control's description section names, loaded with a log
// line that names the key and the cause when one does not load.
#pragma once

#include <velmora/config/IniFile.h>

namespace vlm_engine {

// Picture `index` of the AMF file `amf` through the texture manager (MEM_AUTO, one level), as
// key `key` of `section` in the description file `ini` asks; 0 when it did not load, which is
// then logged as a warning: "Key Picture of section [Ok] in file[menu.ini]: picture 3 of
// [art/gui.amf] did not load; the name resolves to [/game/art/gui.amf]: no such file".
DWORD LoadGuiPicture(const CIniFile& ini, const char* section, const char* key, const char* amf, DWORD index);

// Whether the description file has a section of that name.
bool HasSection(const CIniFile& ini, const char* section);

}  // namespace vlm_engine
