// Every tool answers -h, --help and --version on standard output with status 0, before it
// looks at any file; an unknown option is a usage error.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "support/ToolProcess.h"

namespace {

TEST(ToolOptionsTest, HelpAndVersionAnswerWithoutOpeningAnything) {
    for (const char* tool : {AMFTOOL, GUIVIEW, FXVIEW}) {
        const std::string name = std::filesystem::path(tool).filename().string();
        for (const char* option : {"-h", "--help"}) {
            SCOPED_TRACE(name + " " + option);
            const Outcome r = RunProgram(tool, std::string(option));
            EXPECT_EQ(r.status, 0) << r.output;
            EXPECT_EQ(r.output.rfind("usage: " + name, 0), 0u) << r.output;
        }
        SCOPED_TRACE(name + " --version");
        const Outcome r = RunProgram(tool, "--version");
        EXPECT_EQ(r.status, 0) << r.output;
        EXPECT_TRUE(std::regex_match(r.output, std::regex(name + " \\(Velmora\\) [0-9]+\\.[0-9]+\\.[0-9]+\n")))
            << r.output;
    }
    for (const char* tool : {GUIVIEW, FXVIEW}) {
        const Outcome r = RunProgram(tool, "-x");
        EXPECT_EQ(r.status, 2) << r.output;
        EXPECT_NE(r.output.find("unknown option -x"), std::string::npos) << r.output;
    }
}

}  // namespace
