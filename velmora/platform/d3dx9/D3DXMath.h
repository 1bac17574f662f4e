// D3DX 9 stand-in: vector types of the D3DX math library.
#pragma once

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
