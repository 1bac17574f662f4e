// GDI stand-in: 32-bit DIB sections in plain memory.
#include <velmora/platform/gdi/Bitmap.h>

#include <new>

#include <velmora/platform/gdi/detail/GdiState.h>

namespace {

constexpr int64_t kMaxSide = 32767;
constexpr int64_t kMaxBytes = int64_t{256} << 20;

}  // namespace

HBITMAP CreateDIBSection(HDC hdc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD) {
    if (bits) *bits = nullptr;
    vlm_platform::GdiState* state = vlm_platform::GdiState::Get();
    if (!state || !info || section || (usage != DIB_RGB_COLORS && usage != DIB_PAL_COLORS)) return nullptr;
    if (hdc && !state->Find<vlm_platform::DcObject>(hdc)) return nullptr;
    const BITMAPINFOHEADER& header = info->bmiHeader;
    if (header.biSize < sizeof(BITMAPINFOHEADER) || header.biPlanes != 1 || header.biBitCount != 32 ||
        header.biCompression != BI_RGB)
        return nullptr;
    const int64_t width = header.biWidth;
    const int64_t height = header.biHeight < 0 ? -static_cast<int64_t>(header.biHeight) : header.biHeight;
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide || width * height * 4 > kMaxBytes)
        return nullptr;

    auto bitmap = std::make_unique<vlm_platform::BitmapObject>();
    bitmap->pixels.reset(new (std::nothrow) uint32_t[static_cast<size_t>(width * height)]());
    if (!bitmap->pixels) return nullptr;
    bitmap->width = static_cast<LONG>(width);
    bitmap->height = static_cast<LONG>(height);
    bitmap->topDown = header.biHeight < 0;
    if (bits) *bits = bitmap->pixels.get();
    return static_cast<HBITMAP>(state->Add(std::move(bitmap)));
}
