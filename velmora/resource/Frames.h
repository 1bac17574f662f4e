// CFrames: the pictures of one animation, a texture per frame, with a common delay, the
// set's size and AMFType, a name and a residency state like a texture's. Filled from an AMF
// file, from its header only (pictures on first use), or picture by picture from image
// files or textures. The frame textures belong to the set alone.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <velmora/Export.h>
#include <velmora/resource/AniFile.h>
#include <velmora/resource/Texture.h>

// The description of a frame set, as GetFrameDesc copies it out.
struct FrameDesc {
    LONG nWidth;
    LONG nHeight;
    LONG nFrameCount;
    DWORD dwDelay;  // milliseconds per frame
    DWORD dwReserved1;
    DWORD dwReserved2;
};

class VLM_API CFrames {
public:
    CFrames();
    // A copy holds textures of its own that share the Direct3D textures of the original,
    // so either set can be destroyed first.
    CFrames(const CFrames& other);
    CFrames& operator=(const CFrames& other);
    ~CFrames();

    // Every picture of an AMF file; on failure the set holds none of them.
    bool LoadFrame(const char* file);
    // The header only: the pictures come with the first GetTexture or AutoLoad.
    bool LoadFrameDesc(const char* file);
    // Appends one frame from an image file. A set built picture by picture has no file to
    // reload from, so it is MEM_STATIC, named "TGA Group".
    bool LoadFrameFromTGA(const char* file);
    // Appends a texture as one frame; the set takes ownership of it.
    bool LoadFrameFromTexture(CTexture* texture);
    // The texture of frame `frame` modulo the frames held, reloading a released set first.
    CTexture* GetTexture(DWORD frame);
    // Removes and deletes one frame; later frames move down.
    bool DeleteTexture(DWORD frame);
    bool AutoLoad();
    // Deletes the textures but keeps the description and name; returns the reference count.
    int AutoRemove();
    int AddRef();
    // Drops one reference and destroys the set's contents at 0 or below; the owner deletes
    // the object. Returns the count after the decrement.
    int Release();
    void Destroy();
    void GetFrameDesc(FrameDesc* desc) const;

    int GetWidth() const { return m_nWidth; }
    int GetHeight() const { return m_nHeight; }
    // The frames the set describes, kept while the textures are released.
    int GetFrameCount() const { return m_nFrameCount; }
    // The textures actually held: 0 while released.
    int GetSize() const { return int(m_Textures.size()); }
    DWORD GetDelay() const { return m_dwDelay; }
    void SetDelay(DWORD delay) { m_dwDelay = delay; }
    AMFType GetType() const { return m_Type; }
    MemoryMode GetMemMode() const { return m_MemMode; }
    void SetMemMode(MemoryMode mode) { m_MemMode = mode; }
    DWORD GetLastAccess() const { return m_dwLastAccess; }
    void SetLastAccess(DWORD time) { m_dwLastAccess = time; }
    bool IsRelease() const { return m_bRelease; }
    std::string GetName() const { return m_strName; }

private:
    // Reads the header and appends every picture; all or nothing.
    bool ReLoadAMF(const char* file);
    // Steps shared by the picture-by-picture loads: size, type, count, and the append.
    void AppendFrame(CTexture* texture);
    void DeleteTextures();

    std::vector<std::unique_ptr<CTexture>> m_Textures;
    int32_t m_nRef;
    int32_t m_nWidth;
    int32_t m_nHeight;
    int32_t m_nFrameCount;
    DWORD m_dwDelay;
    DWORD m_dwReserved1;
    DWORD m_dwReserved2;
    AMFType m_Type;
    DWORD m_dwLastAccess;
    bool m_bRelease;
    MemoryMode m_MemMode;
    std::string m_strName;
};
