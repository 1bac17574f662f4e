// Vec2D and Vec3D: plain float records with the layouts of D3DXVECTOR2 and D3DXVECTOR3.
#pragma once

#include <velmora/Export.h>
#include <velmora/platform/d3dx9/D3DXMath.h>

struct Vec2D {
    float x;
    float y;
};

struct Vec3D {
    float x;
    float y;
    float z;
};

static_assert(sizeof(Vec2D) == sizeof(D3DXVECTOR2), "Vec2D keeps the D3DXVECTOR2 layout");
static_assert(sizeof(Vec3D) == sizeof(D3DXVECTOR3), "Vec3D keeps the D3DXVECTOR3 layout");

VLM_API D3DXVECTOR2 Vec2DToD3D(const Vec2D& v);
VLM_API Vec2D D3DToVec2D(const D3DXVECTOR2& v);
VLM_API D3DXVECTOR3 Vec3DToD3D(const Vec3D& v);
VLM_API Vec3D D3DToVec3D(const D3DXVECTOR3& v);
