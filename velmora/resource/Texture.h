// CTexture: one picture held as a Direct3D texture (32-bit ARGB, managed pool), with what it
// takes to load it again: the source file, the picture index when the source is an AMF file,
// and the mip-level count. The pixels can be released and brought back by AutoLoad.
#pragma once

#include <string>

#include <velmora/Export.h>
#include <velmora/platform/d3d9/Direct3D9.h>
#include <velmora/platform/d3dx9/D3DXTexture.h>

// How long the pixels of a texture or a frame set stay resident.
enum MemoryMode {
    MEM_AUTO = 0,    // the manager may release the pixels when idle; the next use reloads them
    MEM_STATIC = 1,  // resident until released or destroyed
};

class VLM_API CTexture {
public:
    CTexture();
    // A copy shares the Direct3D texture and holds a reference of its own on it, so either
    // object can be destroyed first.
    CTexture(const CTexture& other);
    CTexture& operator=(const CTexture& other);
    virtual ~CTexture();

    IDirect3DTexture9* GetTexture() const { return m_pTexture; }
    // The size of the source picture, not of the Direct3D texture.
    int GetWidth() const { return m_nWidth; }
    int GetHeight() const { return m_nHeight; }
    std::string GetName() const { return m_strName; }
    // The picture index within an AMF file (0 for an image file).
    DWORD GetIndex() const { return m_dwIndex & kIndexMask; }
    DWORD GetLastUseTime() const { return m_dwLastUseTime; }
    void SetLastUseTime(DWORD time) { m_dwLastUseTime = time; }
    MemoryMode GetMemMode() const { return m_MemMode; }
    void SetMemMode(MemoryMode mode) { m_MemMode = mode; }
    // True when the pixels are not resident but can be loaded again from the name.
    bool IsRelease() const { return m_bRelease; }

    // Each load first destroys what the object held; a failed load leaves it empty. A
    // successful one sets the reference count to 1.
    bool LoadTexture(const char* file, int mipLevels);
    // Reads only the picture's size; the pixels come with the first AutoLoad.
    bool LoadTextureDesc(const char* file, int mipLevels);
    bool LoadAMFTexture(const char* file, DWORD index, int mipLevels);
    bool LoadAMFTextureDesc(const char* file, DWORD index, int mipLevels);
    // A blank texture with one level (CreateMipTexture: a full chain). It has no source to
    // reload from, so it is MEM_STATIC.
    bool CreateTexture(int width, int height, D3DFORMAT format, D3DPOOL pool);
    bool CreateMipTexture(int width, int height, D3DFORMAT format, D3DPOOL pool);

    int AddRef();
    // Drops one reference and destroys the pixels and description at 0 or below; the owner
    // deletes the object. Returns the count after the decrement.
    int Release();
    // Releases the pixels but keeps the description; returns the reference count.
    int AutoRemove();
    // Brings back released pixels; true when the texture is usable.
    bool AutoLoad();
    void Destroy();

protected:
    // An AMF source index carries 0xFF in its top byte; the picture index is the rest.
    static constexpr DWORD kAmfSource = 0xFF000000;
    static constexpr DWORD kIndexMask = 0x00FFFFFF;

    // Creates and fills the Direct3D texture of one AMF picture; sets only the size and the
    // texture.
    bool ReLoadAMFTexture(const char* file, DWORD index, int mipLevels);
    // The common start of the image-file loads: checks the name, empties the texture and
    // reads the image's size (each failure logged); then the fields a loaded image sets.
    bool StartImageLoad(const char* file, D3DXIMAGE_INFO* info);
    void DescribeImage(const char* file, const D3DXIMAGE_INFO& info, int mipLevels);
    bool Create(int width, int height, UINT levels, D3DFORMAT format, D3DPOOL pool);

    int32_t m_nRef;
    int32_t m_nWidth;
    int32_t m_nHeight;
    DWORD m_dwLastUseTime;
    D3DPOOL m_Pool;
    int32_t m_nMipLevels;
    DWORD m_dwIndex;
    std::string m_strName;
    bool m_bRelease;
    MemoryMode m_MemMode;
    // A plain pointer holding one reference: derived textures create into it (&m_pTexture)
    // and release it themselves, so a smart pointer here would change what their code means.
    IDirect3DTexture9* m_pTexture;
};
