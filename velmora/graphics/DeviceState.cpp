// The engine's 2D device state, applied to any device.
#include <velmora/graphics/DeviceState.h>

#include <velmora/platform/d3dx9/D3DX9.h>

D3DMATRIX ApplyEngineDeviceState(IDirect3DDevice9* device, int width, int height, bool zBuffer) {
    // Pixel (x, y) lands on the centre of back-buffer pixel (x, y): y is flipped to grow
    // downwards and the half-pixel shift puts texel centres on pixel centres.
    D3DXMATRIX scaling, translation, ortho, scaled, projection;
    D3DXMatrixScaling(&scaling, 1.0f, -1.0f, 1.0f);
    D3DXMatrixTranslation(&translation, -0.5f, static_cast<float>(height) + 0.5f, 0.0f);
    D3DXMatrixOrthoOffCenterLH(&ortho, 0.0f, static_cast<float>(width), 0.0f, static_cast<float>(height), 0.0f,
                               1000.0f);
    D3DXMatrixMultiply(&scaled, &scaling, &translation);
    D3DXMatrixMultiply(&projection, &scaled, &ortho);
    if (!device) return projection;

    device->SetFVF(VLM_VERTEX_FVF);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    if (zBuffer) device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    D3DXMATRIX view;
    D3DXMatrixIdentity(&view);
    device->SetTransform(D3DTS_VIEW, &view);
    device->SetTransform(D3DTS_PROJECTION, &projection);
    return projection;
}
