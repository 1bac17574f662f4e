// Conditions of the simulated adapter that tests can change: device loss, multisampling
// support, the format of 16-bit display modes, whether back buffers may be kept flat and the
// largest texture side.
#pragma once

#include <velmora/platform/d3d9/D3D9Types.h>

namespace vlm_platform {

struct DeviceConditions {
    bool lost = false;        // Present reports loss; reads as lost until reset
    bool resettable = false;  // TestCooperativeLevel allows the reset
    unsigned resets = 0;      // successful Reset calls, all devices
    bool multisampleWindowed = true;
    bool multisampleFullScreen = true;
    D3DFORMAT sixteenBitFormat = D3DFMT_R5G6B5;
    bool flatBackBuffers = true;  // read at each whole clear
    UINT maxTextureSize = 16384;  // reported in the caps and kept by CreateTexture
};

DeviceConditions& Conditions();

}  // namespace vlm_platform
