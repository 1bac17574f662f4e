// Writable access to the engine-wide objects, for the classes that own them.
#pragma once

#include <velmora/core/EngineGlobals.h>

namespace vlm_engine {

struct EngineGlobals {
    CGameApp* mainApp = nullptr;
    CGraphics* graphics = nullptr;
    IDirect3DDevice9* device = nullptr;
    CTextureManager* textureManager = nullptr;
    CFrameManager* frameManager = nullptr;
    CMessageManager* messageManager = nullptr;
    GUIManager* guiManager = nullptr;
    CLog* log = nullptr;
    bool supportFSAA = false;
};

EngineGlobals& Globals();

}  // namespace vlm_engine
