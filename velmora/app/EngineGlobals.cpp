// The game's accessors of the engine-wide objects.
#include <velmora/app/EngineGlobals.h>

#include <velmora/core/detail/EngineObjects.h>

using vlm_engine::Engine;

CGameApp* GetMainApp() { return Engine().mainApp; }
CGraphics* GetGraphics() { return Engine().graphics; }
IDirect3DDevice9* GetD3DDevice() { return Engine().device; }
CTextureManager* GetTextureManager() { return Engine().textureManager; }
CFrameManager* GetFrameManager() { return Engine().frameManager; }
CMessageManager* GetMessageManager() { return Engine().messageManager; }
CSoundManager* GetSoundManager() { return Engine().soundManager; }
GUIManager* GetGUIManager() { return Engine().guiManager; }
CLog* GetLog() { return Engine().log; }
bool IsSupportFSAA() { return Engine().supportFSAA; }
