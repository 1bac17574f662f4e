#include <velmora/core/VecRecords.h>

D3DXVECTOR2 Vec2DToD3D(const Vec2D& v) { return D3DXVECTOR2(v.x, v.y); }
Vec2D D3DToVec2D(const D3DXVECTOR2& v) { return Vec2D{v.x, v.y}; }
D3DXVECTOR3 Vec3DToD3D(const Vec3D& v) { return D3DXVECTOR3(v.x, v.y, v.z); }
Vec3D D3DToVec3D(const D3DXVECTOR3& v) { return Vec3D{v.x, v.y, v.z}; }
