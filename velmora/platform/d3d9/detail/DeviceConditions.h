// Conditions of the simulated adapter that tests can change: device loss, multisampling
// support and the format of 16-bit display modes.
#pragma once

#include <velmora/platform/d3d9/D3D9Types.h>

namespace vlm_platform {

struct DeviceConditions {
    bool lost = false;          // Present reports loss; reads as lost until reset
    bool resettable = false;    // TestCooperativeLevel allows the reset
    unsigned resets = 0;        // successful Reset calls, all devices
    bool multisampleWindowed = true;
    bool multisampleFullScreen = true;
    D3DFORMAT sixteenBitFormat = D3DFMT_R5G6B5;
};

DeviceConditions& Conditions();

}  // namespace vlm_platform
