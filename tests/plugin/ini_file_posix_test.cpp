// The INI files the plug-in reads on POSIX: only a regular file of a sane size is read; a
// FIFO or device in its place gives the fallback at once instead of blocking the host.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <future>
#include <string>
#include <thread>

#include "plugin/platform/platform.h"
#include "tests/support/temp_folder.h"

class IniFile : public testsupport::TempFolderTest {};

TEST_F(IniFile, OnlyARegularFileOfASaneSizeIsRead)
{
    const std::string regular = (Root() / "Debug.ini").string();
    const std::string big = (Root() / "Big.ini").string();
    const std::string fifo = (Root() / "Fifo.ini").string();
    WriteText(regular, "[Lumarin]\nShowTraceInfo=1\n");
    WriteText(big, "[Lumarin]\nShowTraceInfo=1\n" + std::string(2 << 20, ';'));
    ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
    const struct {
        std::string file;
        int value;
    } cases[] = {{regular, 1}, {big, -1}, {fifo, -1}, {"/dev/zero", -1}, {Root().string(), -1}};
    for (const auto& c : cases) {
        // Read on a thread of its own, so that a read that blocks fails the test instead of
        // hanging it.
        std::packaged_task<int()> read([file = c.file] {
            return lumarin::SystemPlatform().ReadIniInt(file, "Lumarin", "ShowTraceInfo", -1);
        });
        std::future<int> value = read.get_future();
        std::thread(std::move(read)).detach();
        ASSERT_EQ(std::future_status::ready, value.wait_for(std::chrono::seconds(10)))
            << c.file;
        EXPECT_EQ(c.value, value.get()) << c.file;
    }
}
