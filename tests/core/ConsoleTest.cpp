// CConsole: console writes and the saved HTML page.
#include "support/Encodings.h"
#include "support/EngineTest.h"

namespace {

class ConsoleTest : public EngineTest {};

TEST_F(ConsoleTest, SavesPrintedAndLoggedLines) {
    CConsole console;
    ASSERT_TRUE(console.CreateConsole());
    testing::internal::CaptureStdout();
    console.Printf("a=%d\n", 1);
    console.Print("");
    console.Print(nullptr);
    std::string shown = testing::internal::GetCapturedStdout();
    console.Log("b");
    console.Close();
    EXPECT_EQ(shown, "a=1\n");
    console.SaveToLogFile("run");
    EXPECT_EQ(ReadFile("run.html"),
              "<HTML><HEAD><META charset=\"GBK\"><TITLE>Console Log </TITLE>a=1\n<br>b<br></HEAD>\n</HTML>\n");
}

TEST_F(ConsoleTest, EmptyLogLineClearAndDefaultName) {
    CConsole console;
    console.Log("%s", "");
    console.SaveToLogFile(nullptr);
    EXPECT_EQ(ReadFile("Console_log.html"),
              "<HTML><HEAD><META charset=\"GBK\"><TITLE>Console Log </TITLE><br></HEAD>\n</HTML>\n");
    console.Clear();
    console.SaveToLogFile(nullptr);
    EXPECT_EQ(ReadFile("Console_log.html"),
              "<HTML><HEAD><META charset=\"GBK\"><TITLE>Console Log </TITLE></HEAD>\n</HTML>\n");
}

TEST_F(ConsoleTest, PageDeclaresTheTextEncoding) {
    EncodingScope utf8(TEXT_ENCODING_UTF8);
    CConsole console;
    console.Log("\xE4\xB8\xAD");
    console.SaveToLogFile("utf8");
    EXPECT_EQ(ReadFile("utf8.html"),
              "<HTML><HEAD><META charset=\"UTF-8\"><TITLE>Console Log </TITLE>\xE4\xB8\xAD<br></HEAD>\n</HTML>\n");
}

TEST_F(ConsoleTest, WithoutAConsoleLinesAreStillRecorded) {
    CConsole console;
    testing::internal::CaptureStdout();
    console.Print("quiet");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    ASSERT_EQ(console.GetLines().size(), 1u);
    EXPECT_EQ(console.GetLines()[0], "quiet");
}

TEST_F(ConsoleTest, OverlongFileNameWritesNothing) {
    CConsole console;
    console.Log("x");
    std::string name(251, 'n');  // 251 + ".html" + terminator = 257 > 256
    console.SaveToLogFile(name.c_str());
    EXPECT_EQ(ReadFile(name.substr(0, 250) + ".html"), "");
    std::string fits(250, 'f');
    console.SaveToLogFile(fits.c_str());
    EXPECT_NE(ReadFile(fits + ".html"), "");
}

}  // namespace
