// The debug log: switches from Debug.ini, trace lines, and the log file modes, on a real
// file system in a temporary folder with the executable's folder and times faked; and the
// plain readers behind the POSIX platform (INI integers, the process start time).
#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "plugin/log/log_file.h"
#include "plugin/log/log_help.h"
#include "plugin/platform/ini_int.h"
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
    EXPECT_EQ(std::vector<std::string>{"2010/05/01 09:30:00 TRACE:CLumarinPlugin:: "
                                       "Initialize() pluginname=lumarin result=1\r\n"},
              platform.debugLines);
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
        EXPECT_EQ(std::vector<std::string>{kStartLogName}, LogFiles());
        EXPECT_EQ("2010/05/01 09:30:00 TRACE:A:: one\r\n2010/05/01 09:30:00 TRACE:A:: two\r\n",
                  ReadText(Root() / "Log" / kStartLogName));
    }
    FakeLogPlatform nextRun(Root());
    nextRun.start = kStart + 10000000ULL * 3600 * 24;  // a day later
    Logger logger("A::");
    logger.Trace("three");
    EXPECT_EQ(2u, LogFiles().size());
    EXPECT_EQ("2010/05/01 09:30:00 TRACE:A:: three\r\n",
              ReadText(Root() / "Log" / "0502_093000123.log"));
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
        EXPECT_EQ(Header(kStart) + "2010/05/01 09:30:00 TRACE:A:: one\r\n" +
                      "2010/05/01 09:30:00 TRACE:A:: two\r\n",
                  ReadText(log));
    }
    {
        FakeLogPlatform sameRun(Root());  // the same start time: kept, appended to
        Logger logger("A::");
        logger.Trace("three");
        EXPECT_EQ(Header(kStart) + "2010/05/01 09:30:00 TRACE:A:: one\r\n" +
                      "2010/05/01 09:30:00 TRACE:A:: two\r\n" +
                      "2010/05/01 09:30:00 TRACE:A:: three\r\n",
                  ReadText(log));
    }
    FakeLogPlatform nextRun(Root());
    nextRun.start = kStart + 1;
    Logger logger("A::");
    logger.Trace("four");
    EXPECT_EQ(Header(kStart + 1) + "2010/05/01 09:30:00 TRACE:A:: four\r\n", ReadText(log));
}

TEST_F(DebugLog, OtherModesAndMissingFolderWriteNoFile)
{
    Configure(1, 3);
    {
        FakeLogPlatform platform(Root());
        Logger logger("A::");
        logger.Trace("x");
        EXPECT_EQ(1u, platform.debugLines.size());
        EXPECT_TRUE(LogFiles().empty());
    }
    fs::remove_all(Root() / "Log");
    Configure(1, 2, false);
    FakeLogPlatform platform(Root());
    Logger logger("A::");
    logger.Trace("x");
    EXPECT_EQ(1u, platform.debugLines.size());
    EXPECT_FALSE(fs::exists(Root() / "Log"));  // never created
}

TEST_F(DebugLog, LongLineCutAt1022)
{
    Configure(1, 2);
    FakeLogPlatform platform(Root());
    Logger logger("A::");
    logger.Trace("%s", std::string(2000, 'x').c_str());
    ASSERT_EQ(1u, platform.debugLines.size());
    EXPECT_EQ(1022u, platform.debugLines[0].size());
    EXPECT_EQ('x', platform.debugLines[0].back());  // no closing "\r\n"
    EXPECT_EQ(8u + 1022u, ReadText(Root() / "Log" / "Log.log").size());
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
        if (c.read) {
            EXPECT_EQ(c.ticks, ticks) << c.text;
        }
    }
}

// Debug.ini is read on POSIX as Windows reads private-profile integers.
TEST(IniInt, FirstMatchingSectionAndKeyGiveTheLeadingNumber)
{
    const struct {
        const char* text;
        int value;
    } cases[] = {
        {"[Lumarin]\r\nShowTraceInfo=1\r\n", 1},
        {"  [ LUMARIN ]  \n\t showtraceinfo  =  7 \n", 7},
        {"[Lumarin]\nShowTraceInfo=2\nShowTraceInfo=3\n[lumarin]\nShowTraceInfo=4\n", 2},
        {"[Lumarin]\nShowTraceInfo=12abc", 12},
        {"[Lumarin]\nShowTraceInfo= -3", -3},
        {"[Lumarin]\nShowTraceInfo=abc", 0},
        {"[Lumarin]\nShowTraceInfo=", 0},
        {"[Lumarin]\nOther=5\n\n; ShowTraceInfo=6\nShowTraceInfo=8\n", 8},
        {"", -9},
        {"ShowTraceInfo=5\n[Lumarin]\n", -9},
        {"[base]\nShowTraceInfo=5\n[Lumarin]\nOther=1\n", -9},
        {"[Lumarin]\n[base]\nShowTraceInfo=5\n", -9},
        {"[Lumarin\nShowTraceInfo=5\n", -9},
        {"[Lumarin2]\nShowTraceInfo=5\n[Lumarin]\nShowTraceInfoX=5\nShowTrace=5\n", -9},
    };
    for (const auto& c : cases) {
        std::istringstream text(c.text);
        EXPECT_EQ(c.value, lumarin::FindIniInt(text, "Lumarin", "ShowTraceInfo", -9)) << c.text;
    }
}
