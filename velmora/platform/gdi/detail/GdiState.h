// The GDI stand-in's process-wide state: the live objects behind the handles, the stock
// objects, the GBK codec and the font library. It is torn down when the library unloads;
// calls made after that (from other static destructors) find no state and fail cleanly.
#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>

#include <velmora/platform/gdi/detail/FontLibrary.h>
#include <velmora/platform/gdi/detail/GbkCodec.h>
#include <velmora/platform/gdi/detail/GdiObjects.h>

namespace vlm_platform {

class GdiState {
public:
    // Null once the library is unloading.
    static GdiState* Get();

    // Takes the object and returns its new handle. Handles are never reused, so a deleted
    // handle stays invalid.
    void* Add(std::unique_ptr<GdiObject> object);
    GdiObject* Find(const void* handle) const;
    template <class T>
    T* Find(const void* handle) const {
        GdiObject* object = Find(handle);
        return object && object->kind == T::kKind ? static_cast<T*>(object) : nullptr;
    }
    void Remove(const void* handle);

    // The stock font (the default face at the default size); null when there is no face.
    HFONT StockFont();
    // The 1 x 1 monochrome bitmap every memory device context starts with.
    HBITMAP StockBitmap();

    GbkCodec& Codec() { return codec_; }
    FontLibrary& Fonts() { return fonts_; }

private:
    GbkCodec codec_;
    FontLibrary fonts_;
    // Declared after the library so that fonts release their sizes before the faces go.
    std::unordered_map<uintptr_t, std::unique_ptr<GdiObject>> objects_;
    uintptr_t nextHandle_;
    HFONT stockFont_ = nullptr;
    bool stockFontTried_ = false;
    HBITMAP stockBitmap_ = nullptr;

    GdiState();
};

// Stock brushes, pens and the palette: handles in a range of their own with no object.
constexpr uintptr_t kStockTokenBase = 0x8000;
constexpr int kStockObjectCount = 20;
inline bool IsStockToken(const void* handle) {
    uintptr_t value = reinterpret_cast<uintptr_t>(handle);
    return value >= kStockTokenBase && value < kStockTokenBase + kStockObjectCount;
}

}  // namespace vlm_platform
