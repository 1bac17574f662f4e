// Capture state of message boxes and debugger output, shared with the test seams.
#pragma once

#include <string>
#include <vector>

#include <velmora/platform/testing/TestSeams.h>

namespace vlm_platform {

struct DialogCapture {
    bool captureBoxes = false;
    bool captureDebug = false;
    std::vector<VelmoraTest::CapturedMessageBox> boxes;
    std::string debugText;
};

DialogCapture& Dialogs();

}  // namespace vlm_platform
