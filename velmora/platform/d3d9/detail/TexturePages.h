// Small textures' texels side by side in shared GL textures, "pages", so that draws from
// different textures can go to GL as one draw: on a software rasteriser every texture change
// between draws costs a draw of its own, its state copied and validated again.
//
// A page is a plain 2D texture stored as B8G8R8A8, like a texture of its own, so that a texel
// reads the same from either. Only draws that copy texels one to one from inside the texture
// are drawn from a page (see DrawAnalysis's texelPerPixel): no sampling reaches a neighbour's
// texels, whatever filter and addressing the state names. A page that a draw of this frame
// has read is not written until the frame is presented or read back, since the rasteriser
// would have to finish that draw first: a texture whose texels change after that is drawn
// from its own texture meanwhile.
#pragma once

#include <epoxy/gl.h>

#include <cstdint>
#include <vector>

#include <velmora/platform/d3d9/D3D9Types.h>

namespace vlm_platform {

class GLRenderer;

// Where a texture's level 0 lies in a page.
struct PageSlot {
    int page = -1;  // none
    LONG x = 0, y = 0;
};

class TexturePages {
public:
    // A page's size, powers of two. A new page costs the rasteriser's allocation and clearing
    // of all its texels (some milliseconds): pages are made only for textures that find no room.
    static constexpr UINT kWidth = 1024, kHeight = 512;
    static constexpr size_t kMaxPages = 16;

    explicit TexturePages(GLRenderer& renderer) : m_renderer(renderer) {}
    ~TexturePages();
    TexturePages(const TexturePages&) = delete;
    TexturePages& operator=(const TexturePages&) = delete;

    // Textures a page can hold: one level of a format that a page stores texel for texel
    // (A8R8G8B8, and A4R4G4B4, which is widened to it for GL anyway), small enough to share.
    static bool Suits(D3DFORMAT format, UINT levels, UINT width, UINT height);

    // Room for a width x height texture: in a page that no draw of this frame has read if one
    // has room, else in any page with room, else in a new page; false when there is none.
    bool Place(UINT width, UINT height, PageSlot* slot);
    // Gives the room back; the slot becomes none.
    void Free(PageSlot* slot, UINT width, UINT height);
    // True while no draw of this frame has read the page.
    bool Writable(int page) const;
    // Copies `rect` of a texture's level 0 (`bytes` at its first texel) into its slot.
    void Upload(const PageSlot& slot, D3DFORMAT format, const RECT& rect, INT pitch, const void* bytes);
    GLuint Texture(int page) const { return m_pages[size_t(page)].texture; }
    // A draw from the page has gone to GL.
    void Drawn(int page);
    // The renderer's frame (see GLRenderer::Frame).
    uint64_t Frame() const;

private:
    // A row of equal slots across a page.
    struct Shelf {
        LONG y = 0, height = 0;              // the rows it takes
        LONG slotWidth = 0, slotHeight = 0;  // of the slots it holds now
        std::vector<bool> used;
        size_t usedCount = 0;
    };
    struct Page {
        GLuint texture = 0;
        uint64_t drawnInFrame = 0;
        LONG nextY = 0;  // the rows below the last shelf are free
        std::vector<Shelf> shelves;
    };

    bool PlaceIn(Page& page, LONG width, LONG height, LONG* x, LONG* y);

    GLRenderer& m_renderer;
    std::vector<Page> m_pages;
};

}  // namespace vlm_platform
