// POSIX: the platform layer of the debug log (executable path, INI integers, standard
// error, process start time, log files).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <fstream>
#include <memory>

#include "plugin/platform/ini_int.h"
#include "plugin/platform/platform.h"
#include "plugin/platform/proc_stat.h"

namespace lumarin {

namespace {

class PosixLogFile : public LogFile {
public:
    explicit PosixLogFile(int fd) : fd_(fd) {}
    ~PosixLogFile() override { close(fd_); }

    bool ReadStart(void* bytes, std::size_t size) override
    {
        return pread(fd_, bytes, size, 0) == static_cast<ssize_t>(size);
    }
    bool ResetTo(const void* bytes, std::size_t size) override
    {
        return pwrite(fd_, bytes, size, 0) == static_cast<ssize_t>(size) &&
               ftruncate(fd_, static_cast<off_t>(size)) == 0;
    }
    bool Append(const char* text, std::size_t size) override
    {
        return lseek(fd_, 0, SEEK_END) >= 0 &&
               write(fd_, text, size) == static_cast<ssize_t>(size);
    }

private:
    int fd_;
};

// Seconds since the epoch at which the system booted, from /proc/stat.
long long BootTime()
{
    std::ifstream stat("/proc/stat");
    std::string word;
    while (stat >> word) {
        if (word == "btime") {
            long long seconds = 0;
            stat >> seconds;
            return seconds;
        }
    }
    return 0;
}

class PosixPlatform : public Platform {
public:
    char Separator() const override { return '/'; }

    std::string ExecutablePath() override
    {
        char path[4096];
        ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
        return length > 0 ? std::string(path, static_cast<std::size_t>(length)) : "";
    }

    int ReadIniInt(const std::string& file, const char* section, const char* key,
                   int fallback) override
    {
        std::ifstream in(file, std::ios::binary);
        return FindIniInt(in, section, key, fallback);
    }

    void DebugOutput(const char* line) override { std::fputs(line, stderr); }
    void ErrorOutput(const char* text) override { std::fputs(text, stderr); }

    std::uint64_t ProcessStartTime() override
    {
        std::ifstream stat("/proc/self/stat");
        const std::string text((std::istreambuf_iterator<char>(stat)),
                               std::istreambuf_iterator<char>());
        unsigned long long started = 0;
        // Unknown, as on Windows when the process times cannot be read.
        if (!StartTicksFromStat(text, started))
            return 0;
        const unsigned long long ticks = static_cast<unsigned long long>(sysconf(_SC_CLK_TCK));
        const long long seconds = BootTime() + static_cast<long long>(started / ticks);
        const long long hundredths = static_cast<long long>(started % ticks * 100 / ticks);
        std::tm local{};
        time_t when = static_cast<time_t>(seconds);
        localtime_r(&when, &local);
        constexpr std::uint64_t kEpochAsFileTime = 116444736000000000ULL;
        return kEpochAsFileTime +
               static_cast<std::uint64_t>(seconds + local.tm_gmtoff) * 10000000ULL +
               static_cast<std::uint64_t>(hundredths) * 100000ULL;
    }

    std::tm LocalNow() override
    {
        time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        return local;
    }

    std::unique_ptr<LogFile> OpenLogFile(const std::string& path) override
    {
        int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0)
            return nullptr;
        return std::make_unique<PosixLogFile>(fd);
    }
};

}  // namespace

Platform& SystemPlatform()
{
    static PosixPlatform platform;
    return platform;
}

}  // namespace lumarin
