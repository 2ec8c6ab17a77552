// POSIX: the platform layer of the debug log (executable path, INI integers, standard
// error, process start time, log files).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

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

// Room for an INI file: far more than any switch file holds.
constexpr std::size_t kIniSizeLimit = 1 << 20;

// The whole of `path` when it is a regular file of at most kIniSizeLimit bytes. Opened
// without waiting (a FIFO would wait for a writer) and checked before anything is read.
bool ReadSmallRegularFile(const std::string& path, std::string& text)
{
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info;
    bool whole = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
                 static_cast<std::uint64_t>(info.st_size) <= kIniSizeLimit;
    char buffer[4096];
    while (whole) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got <= 0) {
            whole = got == 0;
            break;
        }
        text.append(buffer, static_cast<std::size_t>(got));
        whole = text.size() <= kIniSizeLimit;  // grown since it was looked at
    }
    close(fd);
    return whole;
}

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

    // Only a regular file of a sane size is read: a FIFO or device put in its place would
    // block the host's thread or never end, and gives `fallback` instead.
    int ReadIniInt(const std::string& file, const char* section, const char* key,
                   int fallback) override
    {
        std::string text;
        if (!ReadSmallRegularFile(file, text))
            return fallback;
        std::istringstream in(text);
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
