// Velmora: the whole public interface. A game includes this one header. (The testing
// component, <velmora/testing/TestSeams.h>, is separate and opt-in.)
#pragma once

#include <velmora/platform/d3d9/Direct3D9.h>
#include <velmora/platform/d3dx9/D3DX9.h>
#include <velmora/platform/d3dx9/ImageCodec.h>
#include <velmora/platform/dinput8/DInput8.h>
#include <velmora/platform/dsound/DSound.h>
#include <velmora/platform/gdi/Gdi.h>
#include <velmora/platform/win32/Win32.h>

#include <velmora/core/Color.h>
#include <velmora/core/Console.h>
#include <velmora/core/GPoint.h>
#include <velmora/core/GRect.h>
#include <velmora/core/Log.h>
#include <velmora/core/MathHelpers.h>
#include <velmora/core/TextEncoding.h>
#include <velmora/core/TextFormat.h>
#include <velmora/core/Timer.h>
#include <velmora/core/VecRecords.h>
#include <velmora/core/Vector2D.h>

#include <velmora/config/IniFile.h>

#include <velmora/message/Message.h>
#include <velmora/message/MessageManager.h>
#include <velmora/message/Task.h>
#include <velmora/message/TaskManager.h>

#include <velmora/resource/2DFrame.h>
#include <velmora/resource/AniFile.h>
#include <velmora/resource/Animation.h>
#include <velmora/resource/FrameManager.h>
#include <velmora/resource/Frames.h>
#include <velmora/resource/Texture.h>
#include <velmora/resource/TextureManager.h>

#include <velmora/input/Input.h>
#include <velmora/input/InputDevice.h>
#include <velmora/input/Key.h>
#include <velmora/input/Mouse.h>

#include <velmora/graphics/DeviceState.h>
#include <velmora/graphics/Graphics.h>
#include <velmora/graphics/Render.h>

#include <velmora/sound/Sound.h>
#include <velmora/sound/SoundManager.h>

#include <velmora/text/Font.h>
#include <velmora/text/FontTexture.h>
#include <velmora/text/SimFont.h>

#include <velmora/gui/Button.h>
#include <velmora/gui/CheckBox.h>
#include <velmora/gui/CoolButton.h>
#include <velmora/gui/CoolListBox.h>
#include <velmora/gui/CoolScroll.h>
#include <velmora/gui/GUIManager.h>
#include <velmora/gui/ListBox.h>
#include <velmora/gui/MLStatic.h>
#include <velmora/gui/NumberInputBox.h>
#include <velmora/gui/RadioGroup.h>
#include <velmora/gui/ScrollBar.h>
#include <velmora/gui/Slider.h>
#include <velmora/gui/Static.h>
#include <velmora/gui/Window.h>

#include <velmora/particle/ParticleManager.h>
#include <velmora/particle/ParticleSystem.h>

#include <velmora/app/EngineGlobals.h>
#include <velmora/app/GameApp.h>
