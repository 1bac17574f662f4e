// The engine-wide objects as the subsystems see them: each owner publishes its object here
// and the others read it. Only forward declarations, so this leaf knows no subsystem; games
// reach the same objects through the accessors of <velmora/app/EngineGlobals.h>.
#pragma once

#include <velmora/Export.h>

class CGameApp;
class CGraphics;
class CTextureManager;
class CFrameManager;
class CMessageManager;
class CSoundManager;
class GUIManager;
class CLog;
class IDirect3DDevice9;

namespace vlm_engine {

class ResourceDrawing;

struct EngineObjects {
    CGameApp* mainApp = nullptr;    // set and cleared by the application object
    CGraphics* graphics = nullptr;  // the graphics object sets these five
    IDirect3DDevice9* device = nullptr;
    CTextureManager* textureManager = nullptr;
    CFrameManager* frameManager = nullptr;
    ResourceDrawing* resourceDrawing = nullptr;  // how animations and frames get drawn
    CMessageManager* messageManager = nullptr;   // the application object sets the rest
    CSoundManager* soundManager = nullptr;
    GUIManager* guiManager = nullptr;
    CLog* log = nullptr;
    bool supportFSAA = false;
    // Told when the graphics object toggles the screen mode, so that the application's
    // window-mode flag follows.
    void (*windowModeChanged)(bool windowed) = nullptr;
};

EngineObjects& Engine();

}  // namespace vlm_engine

namespace vlm_hooks {

// For the testing component: makes `log` the engine log (null: none) without an application.
VLM_HOOK_API void SetEngineLog(CLog* log);

}  // namespace vlm_hooks
