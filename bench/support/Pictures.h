// Pictures the benchmarks check before they time anything: the engine's back buffer read
// back, and how far two pictures differ.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <velmora/platform/d3d9/Direct3D9.h>

namespace VelmoraBench {

// The device's back buffer as 0xAARRGGBB values, top row first; empty when it cannot be read.
inline std::vector<uint32_t> ReadBackBuffer(IDirect3DDevice9* device, int width, int height) {
    std::vector<uint32_t> picture;
    IDirect3DSurface9* surface = nullptr;
    if (!device || FAILED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &surface))) return picture;
    D3DLOCKED_RECT locked{};
    if (SUCCEEDED(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
        picture.resize(static_cast<size_t>(width) * height);
        for (int y = 0; y < height; ++y)
            std::memcpy(&picture[static_cast<size_t>(y) * width],
                        static_cast<const uint8_t*>(locked.pBits) + y * locked.Pitch, static_cast<size_t>(width) * 4);
        surface->UnlockRect();
    }
    surface->Release();
    return picture;
}

struct PictureDifference {
    int largest = 0;    // the largest difference of a colour channel
    size_t pixels = 0;  // pixels that differ by more than the slack
};

// Colour channels only (alpha aside: windows have none). Pictures of different sizes differ
// everywhere.
inline PictureDifference ComparePictures(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, int slack) {
    if (a.size() != b.size()) return {255, std::max(a.size(), b.size())};
    PictureDifference d;
    for (size_t i = 0; i < a.size(); ++i) {
        int worst = 0;
        for (int shift = 0; shift < 24; shift += 8) {
            const int ca = static_cast<int>(a[i] >> shift & 0xFF), cb = static_cast<int>(b[i] >> shift & 0xFF);
            worst = std::max(worst, std::abs(ca - cb));
        }
        d.largest = std::max(d.largest, worst);
        if (worst > slack) ++d.pixels;
    }
    return d;
}

}  // namespace VelmoraBench
