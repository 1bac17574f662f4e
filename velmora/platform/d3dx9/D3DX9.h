// The D3DX 9 stand-in: everything of <d3dx9.h> that the engine uses.
#pragma once

#include <velmora/platform/d3dx9/D3DXFont.h>
#include <velmora/platform/d3dx9/D3DXMath.h>
#include <velmora/platform/d3dx9/D3DXSprite.h>
#include <velmora/platform/d3dx9/D3DXTexture.h>
