// D3DX 9 stand-in: the vector and matrix types and the matrix functions of the D3DX math
// library, in Direct3D's row-vector convention (a point is multiplied on the left).
#pragma once

#include <velmora/Export.h>
#include <velmora/platform/d3d9/D3D9Types.h>

struct D3DXVECTOR2 {
    float x, y;
    D3DXVECTOR2() = default;
    D3DXVECTOR2(float fx, float fy) : x(fx), y(fy) {}
};

struct D3DXVECTOR3 {
    float x, y, z;
    D3DXVECTOR3() = default;
    D3DXVECTOR3(float fx, float fy, float fz) : x(fx), y(fy), z(fz) {}
};

struct D3DXMATRIX : public D3DMATRIX {
    D3DXMATRIX() = default;
    D3DXMATRIX(const D3DMATRIX& m) : D3DMATRIX(m) {}
    float& operator()(UINT row, UINT col) { return m[row][col]; }
    float operator()(UINT row, UINT col) const { return m[row][col]; }
    D3DXMATRIX operator*(const D3DXMATRIX& other) const;
    D3DXMATRIX& operator*=(const D3DXMATRIX& other) { return *this = *this * other; }
    bool operator==(const D3DXMATRIX& other) const;
    bool operator!=(const D3DXMATRIX& other) const { return !(*this == other); }
};

VLM_API D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* out);
VLM_API D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* a, const D3DXMATRIX* b);
VLM_API D3DXMATRIX* D3DXMatrixScaling(D3DXMATRIX* out, float sx, float sy, float sz);
VLM_API D3DXMATRIX* D3DXMatrixTranslation(D3DXMATRIX* out, float x, float y, float z);
VLM_API D3DXMATRIX* D3DXMatrixRotationZ(D3DXMATRIX* out, float angle);
VLM_API D3DXMATRIX* D3DXMatrixOrthoLH(D3DXMATRIX* out, float w, float h, float zn, float zf);
VLM_API D3DXMATRIX* D3DXMatrixOrthoOffCenterLH(D3DXMATRIX* out, float l, float r, float b, float t, float zn, float zf);
VLM_API D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* out, float fovy, float aspect, float zn, float zf);
// Scaling about a centre, then rotation about a centre, then translation; any may be null.
VLM_API D3DXMATRIX* D3DXMatrixTransformation2D(D3DXMATRIX* out, const D3DXVECTOR2* scalingCenter, float scalingRotation,
                                               const D3DXVECTOR2* scaling, const D3DXVECTOR2* rotationCenter,
                                               float rotation, const D3DXVECTOR2* translation);
// The point (x, y, z, 1) transformed and divided by its w.
VLM_API D3DXVECTOR3* D3DXVec3TransformCoord(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DXMATRIX* m);
