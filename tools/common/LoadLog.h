// The error and warning lines a load added to the engine's log (VLMLog.html in the working
// directory): what guiview and fxview show and print of a load.
#pragma once

#include <string>
#include <vector>

struct LoadLogLine {
    bool error;        // an error line (red in the log), else a warning
    std::string text;  // without the "[number][time]" prefix
};

// The log's size now: where the lines of a load about to start will begin.
long LoadLogMark();
// The error and warning lines the log gained after `mark`, in order.
std::vector<LoadLogLine> LoadLogLinesAfter(long mark);
