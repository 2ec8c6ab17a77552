// The debug log: switches from Debug.ini, trace lines, and the log file modes, on a real
// file system in a temporary folder with the executable's folder and times faked.
#include <gtest/gtest.h>

#include <vector>

#include "plugin/log/log_file.h"
#include "plugin/log/log_help.h"
#include "plugin/platform/platform.h"
#include "plugin/platform/proc_stat.h"
#include "tests/plugin/fake_log_platform.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

constexpr char kStartLogName[] = "0501_093000123.log";

class Logger : public LogHelpImpl<Logger> {
public:
    Logger(const char* prefix)
    {
        LoadLogSwitches();
        logPrefix_ = prefix;
    }
    bool TraceOn() const { return ShowTraceInfo != 0; }
};

}  // namespace

class DebugLog : public testsupport::TempFolderTest {
protected:
    void Configure(int showTrace, int log2File, bool logFolder = true)
    {
        WriteText(Root() / "Config" / "Debug.ini",
                  "[Lumarin]\r\nShowTraceInfo=" + std::to_string(showTrace) +
                      "\r\n[base]\r\nlog2file=" + std::to_string(log2File) + "\r\n");
        if (logFolder)
            fs::create_directories(Root() / "Log");
    }
    std::vector<std::string> LogFiles()
    {
        std::vector<std::string> names;
        if (fs::exists(Root() / "Log")) {
            for (const auto& entry : fs::directory_iterator(Root() / "Log"))
                names.push_back(entry.path().filename().string());
        }
        return names;
    }
    std::string Header(std::uint64_t start)
    {
        std::string header;
        for (int i = 0; i < 8; ++i)
            header += static_cast<char>(start >> (8 * i));
        return header;
    }
};

TEST_F(DebugLog, NothingAnywhereWithTraceOff)
{
    Configure(0, 2);
    FakeLogPlatform platform(Root());
    Logger logger("Test::");
    logger.Trace("hello %d", 1);
    EXPECT_TRUE(platform.debugLines.empty());
    EXPECT_TRUE(LogFiles().empty());
}

TEST_F(DebugLog, DebuggerOnlyWithoutLogFile)
{
    Configure(1, 0);
    FakeLogPlatform platform(Root());
    Logger logger("CLumarinPlugin::");
    ASSERT_TRUE(logger.TraceOn());
    logger.Trace("Initialize() pluginname=%s result=%d", "lumarin", 1);
    EXPECT_EQ(platform.debugLines, std::vector<std::string>{
                                       "2010/05/01 09:30:00 TRACE:CLumarinPlugin:: "
                                       "Initialize() pluginname=lumarin result=1\r\n"});
    EXPECT_TRUE(LogFiles().empty());
}

TEST_F(DebugLog, OneFilePerRunNamedAfterItsStart)
{
    Configure(1, 1);
    {
        FakeLogPlatform platform(Root());
        Logger logger("A::");
        logger.Trace("one");
        logger.Trace("two");
        EXPECT_EQ(LogFiles(), std::vector<std::string>{kStartLogName});
        EXPECT_EQ(ReadText(Root() / "Log" / kStartLogName),
                  "2010/05/01 09:30:00 TRACE:A:: one\r\n2010/05/01 09:30:00 TRACE:A:: two\r\n");
    }
    FakeLogPlatform nextRun(Root());
    nextRun.start = kStart + 10000000ULL * 3600 * 24;  // a day later
    Logger logger("A::");
    logger.Trace("three");
    EXPECT_EQ(LogFiles().size(), 2u);
    EXPECT_EQ(ReadText(Root() / "Log" / "0502_093000123.log"),
              "2010/05/01 09:30:00 TRACE:A:: three\r\n");
}

TEST_F(DebugLog, SharedFileResetForEachNewRun)
{
    Configure(1, 2);
    const fs::path log = Root() / "Log" / "Log.log";
    WriteText(log, "short");  // under 8 bytes: reset
    {
        FakeLogPlatform platform(Root());
        Logger logger("A::");
        logger.Trace("one");
        logger.Trace("two");
        EXPECT_EQ(ReadText(log), Header(kStart) + "2010/05/01 09:30:00 TRACE:A:: one\r\n" +
                                     "2010/05/01 09:30:00 TRACE:A:: two\r\n");
    }
    {
        FakeLogPlatform sameRun(Root());  // the same start time: kept, appended to
        Logger logger("A::");
        logger.Trace("three");
        EXPECT_EQ(ReadText(log), Header(kStart) + "2010/05/01 09:30:00 TRACE:A:: one\r\n" +
                                     "2010/05/01 09:30:00 TRACE:A:: two\r\n" +
                                     "2010/05/01 09:30:00 TRACE:A:: three\r\n");
    }
    FakeLogPlatform nextRun(Root());
    nextRun.start = kStart + 1;
    Logger logger("A::");
    logger.Trace("four");
    EXPECT_EQ(ReadText(log), Header(kStart + 1) + "2010/05/01 09:30:00 TRACE:A:: four\r\n");
}

TEST_F(DebugLog, OtherModesAndMissingFolderWriteNoFile)
{
    Configure(1, 3);
    {
        FakeLogPlatform platform(Root());
        Logger logger("A::");
        logger.Trace("x");
        EXPECT_EQ(platform.debugLines.size(), 1u);
        EXPECT_TRUE(LogFiles().empty());
    }
    fs::remove_all(Root() / "Log");
    Configure(1, 2, false);
    FakeLogPlatform platform(Root());
    Logger logger("A::");
    logger.Trace("x");
    EXPECT_EQ(platform.debugLines.size(), 1u);
    EXPECT_FALSE(fs::exists(Root() / "Log"));  // never created
}

TEST_F(DebugLog, LongLineCutAt1022)
{
    Configure(1, 2);
    FakeLogPlatform platform(Root());
    Logger logger("A::");
    logger.Trace("%s", std::string(2000, 'x').c_str());
    ASSERT_EQ(platform.debugLines.size(), 1u);
    EXPECT_EQ(platform.debugLines[0].size(), 1022u);
    EXPECT_EQ(platform.debugLines[0].back(), 'x');  // no closing "\r\n"
    EXPECT_EQ(ReadText(Root() / "Log" / "Log.log").size(), 8u + 1022u);
}

// The run's start comes from /proc/self/stat on Linux; a file that cannot be read, or reads
// short, gives "unknown" (0), as Windows does, never an exception.
TEST(ProcStat, StartTicksOnlyFromAWholeStatLine)
{
    const std::string tail = " S 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 ";
    const struct {
        std::string text;
        bool read;
        unsigned long long ticks;
    } cases[] = {
        {"", false, 0},
        {"123 (cat", false, 0},
        {"123 (cat)", false, 0},
        {"123 (cat) S 1 2 3", false, 0},
        {"123 (cat)" + tail + "4567 8 9", true, 4567},
        {"123 (a) b) c)" + tail + "99", true, 99},
        {"123 (cat)" + tail + "12x 8", false, 0},
    };
    for (const auto& c : cases) {
        unsigned long long ticks = 0;
        EXPECT_EQ(c.read, lumarin::StartTicksFromStat(c.text, ticks)) << c.text;
        if (c.read)
            EXPECT_EQ(c.ticks, ticks) << c.text;
    }
}
