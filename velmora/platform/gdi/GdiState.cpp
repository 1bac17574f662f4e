// GDI stand-in: the process-wide state and the handle table.
#include <velmora/platform/gdi/detail/GdiState.h>

#include <velmora/platform/gdi/detail/FontObject.h>

namespace vlm_platform {

namespace {

// Plain globals stay valid while static objects are destroyed, whatever their order.
GdiState* g_state = nullptr;
bool g_unloading = false;

struct StateOwner {
    ~StateOwner() {
        delete g_state;
        g_state = nullptr;
        g_unloading = true;
    }
};

// Object handles lie above the stock tokens and step by 16, never repeating.
constexpr uintptr_t kFirstHandle = 0x10000;
constexpr uintptr_t kHandleStep = 0x10;

}  // namespace

GdiState::GdiState() : nextHandle_(kFirstHandle) {}

GdiState* GdiState::Get() {
    if (g_unloading) return nullptr;
    static StateOwner owner;
    if (!g_state) g_state = new GdiState;
    return g_state;
}

void* GdiState::Add(std::unique_ptr<GdiObject> object) {
    uintptr_t handle = nextHandle_;
    nextHandle_ += kHandleStep;
    objects_.emplace(handle, std::move(object));
    return reinterpret_cast<void*>(handle);
}

GdiObject* GdiState::Find(const void* handle) const {
    auto it = objects_.find(reinterpret_cast<uintptr_t>(handle));
    return it == objects_.end() ? nullptr : it->second.get();
}

void GdiState::Remove(const void* handle) { objects_.erase(reinterpret_cast<uintptr_t>(handle)); }

HFONT GdiState::StockFont() {
    if (!stockFontTried_) {
        stockFontTried_ = true;
        LOGFONTA logFont{};
        logFont.lfWeight = FW_NORMAL;
        logFont.lfCharSet = DEFAULT_CHARSET;
        std::unique_ptr<FontObject> font = FontObject::Create(fonts_, logFont, std::string());
        if (font) {
            font->stock = true;
            stockFont_ = static_cast<HFONT>(Add(std::move(font)));
        }
    }
    return stockFont_;
}

HBITMAP GdiState::StockBitmap() {
    if (!stockBitmap_) {
        auto bitmap = std::make_unique<BitmapObject>();
        bitmap->stock = true;
        bitmap->width = 1;
        bitmap->height = 1;
        bitmap->bitCount = 1;
        stockBitmap_ = static_cast<HBITMAP>(Add(std::move(bitmap)));
    }
    return stockBitmap_;
}

}  // namespace vlm_platform
