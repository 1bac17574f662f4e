// D3DX 9 stand-in: image files and textures. Images are read by our own codecs (PNG, JPEG,
// BMP, TGA, DDS) into 32-bit ARGB and converted to the texture's format; mip chains take a
// DDS file's own levels and are otherwise box-filtered from level 0; surfaces are saved as
// BMP or PNG.
#pragma once

#include <velmora/platform/d3d9/Direct3D9.h>

#define D3DX_DEFAULT ((UINT)-1)
#define D3DX_DEFAULT_NONPOW2 ((UINT)-2)
#define D3DX_FROM_FILE ((UINT)-3)

#define D3DX_FILTER_NONE (1 << 0)
#define D3DX_FILTER_POINT (2 << 0)
#define D3DX_FILTER_LINEAR (3 << 0)
#define D3DX_FILTER_TRIANGLE (4 << 0)
#define D3DX_FILTER_BOX (5 << 0)

#define D3DXERR_INVALIDDATA MAKE_D3DHRESULT(2905)

enum D3DXIMAGE_FILEFORMAT : DWORD {
    D3DXIFF_BMP = 0,
    D3DXIFF_JPG = 1,
    D3DXIFF_TGA = 2,
    D3DXIFF_PNG = 3,
    D3DXIFF_DDS = 4,
    D3DXIFF_PPM = 5,
    D3DXIFF_DIB = 6
};

struct D3DXIMAGE_INFO {
    UINT Width;
    UINT Height;
    UINT Depth;
    UINT MipLevels;
    D3DFORMAT Format;
    D3DRESOURCETYPE ResourceType;
    D3DXIMAGE_FILEFORMAT ImageFileFormat;
};

struct PALETTEENTRY {
    BYTE peRed;
    BYTE peGreen;
    BYTE peBlue;
    BYTE peFlags;
};

// The image's size and kind from its header, without decoding the pixels. Format is what the
// file stores (a DDS file's own format, DXTn included); MipLevels the levels it holds.
VLM_API HRESULT D3DXGetImageInfoFromFileA(const char* file, D3DXIMAGE_INFO* info);

// A texture of the requested size (0 or D3DX_DEFAULT: the image's own), mip levels and
// format, filled from the image file (D3DX_FROM_FILE levels: as many as the file holds; a
// compressed or unknown format: A8R8G8B8). Levels below the first come from the file where it
// holds them at the texture's sizes, else are box-filtered. With D3DX_FILTER_NONE a picture of another size is
// copied unscaled from its top-left corner; otherwise it is scaled. A non-zero colour key
// makes pixels of exactly that ARGB value transparent black.
VLM_API HRESULT D3DXCreateTextureFromFileExA(IDirect3DDevice9* device, const char* file, UINT width, UINT height,
                                             UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter,
                                             DWORD mipFilter, D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo,
                                             PALETTEENTRY* palette, IDirect3DTexture9** texture);
VLM_API HRESULT D3DXCreateTextureFromFileA(IDirect3DDevice9* device, const char* file, IDirect3DTexture9** texture);
VLM_API HRESULT D3DXCreateTexture(IDirect3DDevice9* device, UINT width, UINT height, UINT mipLevels, DWORD usage,
                                  D3DFORMAT format, D3DPOOL pool, IDirect3DTexture9** texture);
// Fills every level below `srcLevel` (D3DX_DEFAULT: 0) by box-filtering the one above it.
VLM_API HRESULT D3DXFilterTexture(IDirect3DBaseTexture9* texture, const PALETTEENTRY* palette, UINT srcLevel,
                                  DWORD filter);
// Writes the surface (or `srcRect` of it) as a BMP or PNG file.
VLM_API HRESULT D3DXSaveSurfaceToFileA(const char* file, D3DXIMAGE_FILEFORMAT format, IDirect3DSurface9* surface,
                                       const PALETTEENTRY* palette, const RECT* srcRect);
