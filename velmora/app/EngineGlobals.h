// The engine-wide objects, handed to the game. Each is null (false for the flag) until the
// object that owns it exists.
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

VLM_API CGameApp* GetMainApp();
VLM_API CGraphics* GetGraphics();
VLM_API IDirect3DDevice9* GetD3DDevice();
VLM_API CTextureManager* GetTextureManager();
VLM_API CFrameManager* GetFrameManager();
VLM_API CMessageManager* GetMessageManager();
// Exists from start-up on, with a sound device or without one (then silent).
VLM_API CSoundManager* GetSoundManager();
VLM_API GUIManager* GetGUIManager();
VLM_API CLog* GetLog();
VLM_API bool IsSupportFSAA();
