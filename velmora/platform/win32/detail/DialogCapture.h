// Capture state of message boxes and debugger output, shared with the testing hooks.
#pragma once

#include <string>
#include <vector>

#include <velmora/platform/win32/Types.h>

namespace vlm_platform {

struct CapturedMessageBox {
    std::string text;
    std::string caption;
    UINT type;
};

struct DialogCapture {
    bool captureBoxes = false;
    bool captureDebug = false;
    std::vector<CapturedMessageBox> boxes;
    std::string debugText;
};

DialogCapture& Dialogs();

}  // namespace vlm_platform
