// D3DX 9 stand-in: matrix functions.
#include <velmora/platform/d3dx9/D3DXMath.h>

#include <cmath>
#include <cstring>

D3DXMATRIX D3DXMATRIX::operator*(const D3DXMATRIX& other) const {
    D3DXMATRIX r;
    D3DXMatrixMultiply(&r, this, &other);
    return r;
}

bool D3DXMATRIX::operator==(const D3DXMATRIX& other) const { return std::memcmp(m, other.m, sizeof(m)) == 0; }

D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* out) {
    if (!out) return out;
    std::memset(out->m, 0, sizeof(out->m));
    out->_11 = out->_22 = out->_33 = out->_44 = 1.0f;
    return out;
}

D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* a, const D3DXMATRIX* b) {
    if (!out || !a || !b) return out;
    D3DMATRIX r{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i][j] =
                a->m[i][0] * b->m[0][j] + a->m[i][1] * b->m[1][j] + a->m[i][2] * b->m[2][j] + a->m[i][3] * b->m[3][j];
    static_cast<D3DMATRIX&>(*out) = r;
    return out;
}

D3DXMATRIX* D3DXMatrixScaling(D3DXMATRIX* out, float sx, float sy, float sz) {
    if (!D3DXMatrixIdentity(out)) return out;
    out->_11 = sx;
    out->_22 = sy;
    out->_33 = sz;
    return out;
}

D3DXMATRIX* D3DXMatrixTranslation(D3DXMATRIX* out, float x, float y, float z) {
    if (!D3DXMatrixIdentity(out)) return out;
    out->_41 = x;
    out->_42 = y;
    out->_43 = z;
    return out;
}

D3DXMATRIX* D3DXMatrixRotationZ(D3DXMATRIX* out, float angle) {
    if (!D3DXMatrixIdentity(out)) return out;
    float c = std::cos(angle), s = std::sin(angle);
    out->_11 = c;
    out->_12 = s;
    out->_21 = -s;
    out->_22 = c;
    return out;
}

D3DXMATRIX* D3DXMatrixOrthoLH(D3DXMATRIX* out, float w, float h, float zn, float zf) {
    return D3DXMatrixOrthoOffCenterLH(out, -w / 2, w / 2, -h / 2, h / 2, zn, zf);
}

D3DXMATRIX* D3DXMatrixOrthoOffCenterLH(D3DXMATRIX* out, float l, float r, float b, float t, float zn, float zf) {
    if (!D3DXMatrixIdentity(out)) return out;
    out->_11 = 2.0f / (r - l);
    out->_22 = 2.0f / (t - b);
    out->_33 = 1.0f / (zf - zn);
    out->_41 = (l + r) / (l - r);
    out->_42 = (t + b) / (b - t);
    out->_43 = zn / (zn - zf);
    return out;
}

D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* out, float fovy, float aspect, float zn, float zf) {
    if (!out) return out;
    std::memset(out->m, 0, sizeof(out->m));
    float yScale = 1.0f / std::tan(fovy / 2);
    out->_11 = yScale / aspect;
    out->_22 = yScale;
    out->_33 = zf / (zf - zn);
    out->_34 = 1.0f;
    out->_43 = -zn * zf / (zf - zn);
    return out;
}

D3DXMATRIX* D3DXMatrixTransformation2D(D3DXMATRIX* out, const D3DXVECTOR2* scalingCenter, float scalingRotation,
                                       const D3DXVECTOR2* scaling, const D3DXVECTOR2* rotationCenter, float rotation,
                                       const D3DXVECTOR2* translation) {
    if (!D3DXMatrixIdentity(out)) return out;
    D3DXMATRIX t;
    D3DXVECTOR2 sc = scalingCenter ? *scalingCenter : D3DXVECTOR2(0, 0);
    if (scaling) {
        D3DXMATRIX step;
        *out = *out * *D3DXMatrixTranslation(&t, -sc.x, -sc.y, 0);
        *out = *out * *D3DXMatrixRotationZ(&step, -scalingRotation);
        *out = *out * *D3DXMatrixScaling(&step, scaling->x, scaling->y, 1.0f);
        *out = *out * *D3DXMatrixRotationZ(&step, scalingRotation);
        *out = *out * *D3DXMatrixTranslation(&t, sc.x, sc.y, 0);
    }
    if (rotation != 0.0f) {
        D3DXVECTOR2 rc = rotationCenter ? *rotationCenter : D3DXVECTOR2(0, 0);
        D3DXMATRIX r;
        *out = *out * *D3DXMatrixTranslation(&t, -rc.x, -rc.y, 0);
        *out = *out * *D3DXMatrixRotationZ(&r, rotation);
        *out = *out * *D3DXMatrixTranslation(&t, rc.x, rc.y, 0);
    }
    if (translation) *out = *out * *D3DXMatrixTranslation(&t, translation->x, translation->y, 0);
    return out;
}

D3DXVECTOR3* D3DXVec3TransformCoord(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DXMATRIX* m) {
    if (!out || !v || !m) return out;
    float x = v->x * m->_11 + v->y * m->_21 + v->z * m->_31 + m->_41;
    float y = v->x * m->_12 + v->y * m->_22 + v->z * m->_32 + m->_42;
    float z = v->x * m->_13 + v->y * m->_23 + v->z * m->_33 + m->_43;
    float w = v->x * m->_14 + v->y * m->_24 + v->z * m->_34 + m->_44;
    if (w == 0.0f) w = 1.0f;
    *out = D3DXVECTOR3(x / w, y / w, z / w);
    return out;
}
