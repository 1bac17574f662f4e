// The engine-wide objects the GUI draws, loads and posts through, in one place.
#pragma once

#include <velmora/core/detail/EngineObjects.h>

namespace vlm_engine {

// The SimSun face, named in code page 936: the default face of the GUI's fonts.
constexpr char kGuiDefaultFace[] = "\xCB\xCE\xCC\xE5";

inline CGraphics* GuiGraphics() { return Engine().graphics; }
inline CTextureManager* GuiTextures() { return Engine().textureManager; }
inline GUIManager* MainGUIManager() { return Engine().guiManager; }

}  // namespace vlm_engine
