// D3DX 9 stand-in: the sprite object. A draw takes a source rectangle of a texture, scales
// it, rotates it about a centre, translates it and modulates it by a colour. Draws between
// Begin and End are batched in submission order and drawn by End; a draw outside a pair is
// complete by itself. Carried by the Direct3D stand-in's batching.
#pragma once

#include <velmora/platform/d3d9/Direct3D9.h>
#include <velmora/platform/d3dx9/D3DXMath.h>

#define D3DXSPRITE_DONOTSAVESTATE (1 << 0)
#define D3DXSPRITE_ALPHABLEND (1 << 4)

class ID3DXSprite : public IUnknown {
public:
    virtual HRESULT GetDevice(IDirect3DDevice9** device) = 0;
    // Sets alpha blending and texture-times-colour on the device until End, which puts the
    // previous render state back (the stage-0 texture stays the last one drawn).
    virtual HRESULT Begin(DWORD flags = 0) = 0;
    virtual HRESULT End() = 0;
    virtual HRESULT Flush() = 0;
    // Positions are pixels of the back buffer; scaling, centre and translation may be null.
    virtual HRESULT Draw(IDirect3DTexture9* texture, const RECT* sourceRect, const D3DXVECTOR2* scaling,
                         const D3DXVECTOR2* rotationCenter, float rotation, const D3DXVECTOR2* translation,
                         D3DCOLOR color) = 0;
    // The other shape of the call: the sprite transform applied to (position − centre).
    virtual HRESULT Draw(IDirect3DTexture9* texture, const RECT* sourceRect, const D3DXVECTOR3* center,
                         const D3DXVECTOR3* position, D3DCOLOR color) = 0;
    virtual HRESULT SetTransform(const D3DXMATRIX* transform) = 0;
    virtual HRESULT GetTransform(D3DXMATRIX* transform) = 0;
    virtual HRESULT OnLostDevice() = 0;
    virtual HRESULT OnResetDevice() = 0;
};
typedef ID3DXSprite* LPD3DXSPRITE;

VLM_API HRESULT D3DXCreateSprite(IDirect3DDevice9* device, ID3DXSprite** sprite);
