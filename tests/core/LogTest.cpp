// The HTML log: file bytes, levels, numbering, append rule, message boxes, debugger output.
#include <cstring>

#include "support/Encodings.h"
#include "support/EngineTest.h"

namespace {

const char kHeader[] =
    "<html><head><meta charset=\"GBK\"><title>Log File</title></head><body>\n"
    "======================</br>\r\n"
    "= Morvalen 's Engine =</br>\r\n"
    "======================</br>\r\n"
    "<font face=\"Arial\" size=\"4\" color=\"#ff0000\"><b><u>"
    "Log File Create At [03/07/09 09:05:31]</u></b></font><br>\r\n";

std::string Record(const char* colour, const std::string& line) {
    return std::string("<font face=\"Arial\" size=\"2\" color=\"") + colour + "\">" + line + "</font><br>\r\n";
}

class LogTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        SYSTEMTIME t{};
        t.wYear = 2009, t.wMonth = 3, t.wDay = 7, t.wHour = 9, t.wMinute = 5, t.wSecond = 31;
        VelmoraTest::SetLocalTimeOverride(&t);
        std::remove("log.html");
    }
};

TEST_F(LogTest, FileIsWrittenByteForByte) {
    {
        CLog log("log.html", false);
        EXPECT_TRUE(log.WriteLog(INFO_NORMAL, "x=%d", 5));
        EXPECT_TRUE(log.WriteLog(INFO_WARNING, "<b>%s</b>", "raw"));
        EXPECT_TRUE(log.WriteLog(INFO_ERROR, "bad"));
    }
    std::string expected = std::string(kHeader) + Record("#ff00ff", "[    1][09:05:31]x=5") +
                           Record("#0000ff", "[    2][09:05:31]<b>raw</b>") +
                           Record("#ff0000", "[    3][09:05:31]bad") + "</body></html>\n";
    EXPECT_EQ(ReadFile("log.html"), expected);
    auto boxes = VelmoraTest::TakeMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "[    3][09:05:31]bad");
    EXPECT_EQ(boxes[0].caption, "Message");
    EXPECT_EQ(VelmoraTest::TakeDebugOutput(), "[    2][09:05:31]<b>raw</b>\r\n");
}

TEST_F(LogTest, HeadDeclaresTheTextEncodingLinesAreWrittenIn) {
    {
        EncodingScope utf8(TEXT_ENCODING_UTF8);
        CLog log("log.html", false);
        log.WriteLog(INFO_NORMAL, "\xE4\xB8\xAD");
    }
    std::string expected = kHeader;
    expected.replace(expected.find("GBK"), 3, "UTF-8");
    EXPECT_EQ(ReadFile("log.html"), expected + Record("#ff00ff", "[    1][09:05:31]\xE4\xB8\xAD") + "</body></html>\n");
}

TEST_F(LogTest, LevelFiltersButNumbersEveryLine) {
    struct Case {
        INFOTYPE level;
        std::string expectedRecords;
    };
    const Case cases[] = {
        {INFO_NORMAL, Record("#ff00ff", "[    1][09:05:31]n") + Record("#0000ff", "[    2][09:05:31]w") +
                          Record("#ff0000", "[    4][09:05:31]e")},
        {INFO_WARNING, Record("#0000ff", "[    2][09:05:31]w") + Record("#ff0000", "[    4][09:05:31]e")},
        {INFO_ERROR, Record("#ff0000", "[    4][09:05:31]e")},
        {static_cast<INFOTYPE>(7), Record("#ff0000", "[    4][09:05:31]e")},
    };
    for (const Case& c : cases) {
        {
            CLog log("log.html", false);
            log.SetLogLevel(c.level);
            log.WriteLog(INFO_NORMAL, "n");
            log.WriteLog(INFO_WARNING, "w");
            log.WriteLog(static_cast<INFOTYPE>(3), "never");  // numbered, never written
            log.WriteLog(INFO_ERROR, "e");
        }
        EXPECT_EQ(ReadFile("log.html"), kHeader + c.expectedRecords + "</body></html>\n") << c.level;
        // Warnings reach the debugger whatever the level; errors always show a box.
        EXPECT_EQ(VelmoraTest::TakeDebugOutput(), "[    2][09:05:31]w\r\n");
        EXPECT_EQ(VelmoraTest::TakeMessageBoxes().size(), 1u);
    }
}

TEST_F(LogTest, WithoutFileErrorsStillShowAndResultSaysNoFile) {
    CLog log;
    EXPECT_FALSE(log.WriteLog(INFO_ERROR, "lost %s", "device"));
    EXPECT_FALSE(log.WriteLog(INFO_WARNING, "careful"));
    auto boxes = VelmoraTest::TakeMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "[    1][09:05:31]lost device");
    EXPECT_EQ(VelmoraTest::TakeDebugOutput(), "[    2][09:05:31]careful\r\n");
}

TEST_F(LogTest, AppendKeepsSmallFilesAndRestartsAtOneMebibyte) {
    const std::string small = "earlier run\n";
    WriteFile("log.html", small);
    { CLog log("log.html", true); }
    EXPECT_EQ(ReadFile("log.html"), small + kHeader + "</body></html>\n");

    WriteFile("log.html", std::string(1048576, 'x'));
    { CLog log("log.html", true); }
    EXPECT_EQ(ReadFile("log.html"), std::string(kHeader) + "</body></html>\n");

    WriteFile("log.html", std::string(1048575, 'x'));
    { CLog log("log.html", true); }
    EXPECT_EQ(ReadFile("log.html").size(), 1048575 + std::strlen(kHeader) + std::strlen("</body></html>\n"));
}

TEST_F(LogTest, StartLogFailures) {
    CLog log("log.html", false);
    EXPECT_FALSE(log.StartLog(nullptr, false));
    EXPECT_TRUE(log.WriteLog(INFO_NORMAL, "still open"));  // a null name leaves the file open

    CLog broken;
    EXPECT_FALSE(broken.StartLog("no/such/folder/log.html", false));
    auto boxes = VelmoraTest::TakeMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Open file failed!<CLog::StartLog>");
    EXPECT_EQ(boxes[0].caption, "Failure");
}

TEST_F(LogTest, LongMessagesAreCutTo994Characters) {
    {
        CLog log("log.html", false);
        log.WriteLog(INFO_NORMAL, "%s", std::string(3000, 'a').c_str());
        // A double-byte character straddling the cut is dropped whole.
        log.WriteLog(INFO_NORMAL, "%s\xCB\xCE", std::string(993, 'b').c_str());
    }
    std::string expected = std::string(kHeader) + Record("#ff00ff", "[    1][09:05:31]" + std::string(994, 'a')) +
                           Record("#ff00ff", "[    2][09:05:31]" + std::string(993, 'b')) + "</body></html>\n";
    EXPECT_EQ(ReadFile("log.html"), expected);
}

TEST_F(LogTest, FreeWriteLogWithoutTheEngineLogDoesNothing) {
    ASSERT_EQ(GetLog(), nullptr);
    WriteLog(INFO_ERROR, "nobody listens");
    WriteLog(INFO_WARNING, "nobody listens");
    EXPECT_TRUE(VelmoraTest::TakeMessageBoxes().empty());
    EXPECT_EQ(VelmoraTest::TakeDebugOutput(), "");
}

TEST_F(LogTest, ShowMessageFormatsIntoABox) {
    EXPECT_EQ(ShowMessage("%d apples", 3), IDOK);
    ShowMessage("%s", std::string(2000, 'z').c_str());
    auto boxes = VelmoraTest::TakeMessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "3 apples");
    EXPECT_EQ(boxes[0].caption, "Message");
    EXPECT_EQ(boxes[1].text.size(), 1023u);
}

}  // namespace
