// D3DX 9 stand-in: the font object. It is made from a GDI font and follows the device through
// loss and reset; the engine draws its text with its own string textures instead.
#pragma once

#include <velmora/platform/d3d9/Direct3D9.h>

class ID3DXFont : public IUnknown {
public:
    virtual HRESULT GetDevice(IDirect3DDevice9** device) = 0;
    virtual HRESULT OnLostDevice() = 0;
    virtual HRESULT OnResetDevice() = 0;
};
typedef ID3DXFont* LPD3DXFONT;

VLM_API HRESULT D3DXCreateFont(IDirect3DDevice9* device, HFONT font, ID3DXFont** out);
