#include <velmora/core/EngineGlobals.h>

#include <velmora/core/detail/EngineGlobalsAccess.h>
#include <velmora/platform/testing/TestSeams.h>

namespace vlm_engine {
EngineGlobals& Globals() {
    static EngineGlobals globals;
    return globals;
}
}  // namespace vlm_engine

using vlm_engine::Globals;

CGameApp* GetMainApp() { return Globals().mainApp; }
CGraphics* GetGraphics() { return Globals().graphics; }
IDirect3DDevice9* GetD3DDevice() { return Globals().device; }
CTextureManager* GetTextureManager() { return Globals().textureManager; }
CFrameManager* GetFrameManager() { return Globals().frameManager; }
CMessageManager* GetMessageManager() { return Globals().messageManager; }
GUIManager* GetGUIManager() { return Globals().guiManager; }
CLog* GetLog() { return Globals().log; }
bool IsSupportFSAA() { return Globals().supportFSAA; }

void VelmoraTest::SetEngineLog(CLog* log) { Globals().log = log; }
