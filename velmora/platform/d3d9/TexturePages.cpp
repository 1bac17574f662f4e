// Shared GL textures that hold small textures' texels, packed in shelves of equal slots.
#include <velmora/platform/d3d9/detail/TexturePages.h>

#include <velmora/platform/d3d9/detail/GLRenderer.h>

namespace vlm_platform {

TexturePages::~TexturePages() {
    for (const Page& page : m_pages) m_renderer.DeleteTexture(page.texture);
}

bool TexturePages::Suits(D3DFORMAT format, UINT levels, UINT width, UINT height) {
    // Up to a quarter of a page high: a string's texture (512 or 1024 x 32 or 64), sprites and
    // the pieces of a GUI skin, not whole pictures.
    return levels == 1 && (format == D3DFMT_A8R8G8B8 || format == D3DFMT_A4R4G4B4) && width > 0 && height > 0 &&
           width <= kWidth && height <= kHeight / 4;
}

bool TexturePages::PlaceIn(Page& page, LONG width, LONG height, LONG* x, LONG* y) {
    auto take = [&](Shelf& shelf) {
        for (size_t i = 0; i < shelf.used.size(); ++i) {
            if (shelf.used[i]) continue;
            shelf.used[i] = true;
            ++shelf.usedCount;
            *x = LONG(i) * shelf.slotWidth;
            *y = shelf.y;
            return true;
        }
        return false;
    };
    for (Shelf& shelf : page.shelves)
        if (shelf.slotWidth == width && shelf.slotHeight == height && shelf.usedCount < shelf.used.size() &&
            take(shelf))
            return true;
    // An empty shelf tall enough takes slots of the new size.
    for (Shelf& shelf : page.shelves) {
        if (shelf.usedCount != 0 || shelf.height < height) continue;
        shelf.slotWidth = width;
        shelf.slotHeight = height;
        shelf.used.assign(size_t(LONG(kWidth) / width), false);
        return take(shelf);
    }
    if (page.nextY + height > LONG(kHeight)) return false;
    Shelf shelf;
    shelf.y = page.nextY;
    shelf.height = shelf.slotHeight = height;
    shelf.slotWidth = width;
    shelf.used.assign(size_t(LONG(kWidth) / width), false);
    page.shelves.push_back(std::move(shelf));
    page.nextY += height;
    return take(page.shelves.back());
}

bool TexturePages::Place(UINT width, UINT height, PageSlot* slot) {
    for (int pass = 0; pass < 2; ++pass)
        for (size_t i = 0; i < m_pages.size(); ++i)
            if ((pass == 1 || Writable(int(i))) && PlaceIn(m_pages[i], LONG(width), LONG(height), &slot->x, &slot->y)) {
                slot->page = int(i);
                return true;
            }
    if (m_pages.size() >= kMaxPages) return false;
    Page page;
    page.texture = m_renderer.CreatePageTexture(kWidth, kHeight);
    if (!page.texture) return false;
    m_pages.push_back(std::move(page));
    if (!PlaceIn(m_pages.back(), LONG(width), LONG(height), &slot->x, &slot->y)) return false;
    slot->page = int(m_pages.size() - 1);
    return true;
}

void TexturePages::Free(PageSlot* slot, UINT width, UINT height) {
    if (slot->page < 0 || size_t(slot->page) >= m_pages.size()) return;
    for (Shelf& shelf : m_pages[size_t(slot->page)].shelves) {
        if (shelf.y != slot->y || shelf.slotWidth != LONG(width) || shelf.slotHeight != LONG(height)) continue;
        const size_t i = size_t(slot->x / shelf.slotWidth);
        if (i < shelf.used.size() && shelf.used[i]) {
            shelf.used[i] = false;
            --shelf.usedCount;
        }
        break;
    }
    *slot = PageSlot{};
}

bool TexturePages::Writable(int page) const { return m_pages[size_t(page)].drawnInFrame != m_renderer.Frame(); }

void TexturePages::Upload(const PageSlot& slot, D3DFORMAT format, const RECT& rect, INT pitch, const void* bytes) {
    const RECT at{slot.x + rect.left, slot.y + rect.top, slot.x + rect.right, slot.y + rect.bottom};
    m_renderer.UploadTextureRegion(Texture(slot.page), format, 0, at, pitch, bytes);
}

void TexturePages::Drawn(int page) { m_pages[size_t(page)].drawnInFrame = m_renderer.Frame(); }

uint64_t TexturePages::Frame() const { return m_renderer.Frame(); }

}  // namespace vlm_platform
