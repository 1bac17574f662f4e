// The engine's 2D device state: its vertex layout (FVF 0x142) and the render state, texture
// stage, filters and transforms that CGraphics sets after creating or resetting the device.
// Games, tools and tests that drive a device of their own apply the same set-up from here.
#pragma once

#include <velmora/Export.h>
#include <velmora/platform/d3d9/Direct3D9.h>

// The flexible vertex format of every vertex the engine draws: position, diffuse colour and
// one set of texture coordinates.
constexpr DWORD VLM_VERTEX_FVF = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;
static_assert(VLM_VERTEX_FVF == 0x142, "the engine's vertex format is FVF 0x142");

// One vertex of VLM_VERTEX_FVF: back-buffer pixels (z 0 in 2D), 0xAARRGGBB, texture coordinates.
struct EngineVertex {
    float x, y, z;
    DWORD color;
    float u, v;
};
static_assert(sizeof(EngineVertex) == 24, "FVF 0x142 vertices are 24 bytes, packed");

// Sets the engine's 2D state on `device` for a back buffer of width × height pixels: the
// vertex format, lighting off, the depth test on when `zBuffer` (otherwise left as it is),
// alpha blending (source alpha, inverse source alpha), texture × vertex colour in colour and
// alpha on stage 0, linear filtering, an identity view and the pixel projection, under which
// position (x, y) is the centre of back-buffer pixel (x, y), y downwards. Returns that
// projection; the world transform is left alone. A null device gets nothing but the matrix.
VLM_API D3DMATRIX ApplyEngineDeviceState(IDirect3DDevice9* device, int width, int height, bool zBuffer);
