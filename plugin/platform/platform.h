// The plug-in's platform layer: what the debug log needs (executable path, INI integers,
// debugger output, times, log files). No system header comes with it; the text conversions
// for the script boundary are in "plugin/platform/text_conversion.h".
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <memory>
#include <string>

namespace lumarin {

// A log file opened for reading and writing.
class LogFile {
public:
    virtual ~LogFile() = default;  // closes it
    // Reads `size` bytes from offset 0; false when fewer could be read.
    virtual bool ReadStart(void* bytes, std::size_t size) = 0;
    // Writes `size` bytes at offset 0 and ends the file after them.
    virtual bool ResetTo(const void* bytes, std::size_t size) = 0;
    virtual bool Append(const char* text, std::size_t size) = 0;
};

// The operating system as the debug log sees it. Tests replace it with UsePlatform.
class Platform {
public:
    virtual ~Platform() = default;
    virtual char Separator() const = 0;
    // The full path of the process's main executable; "" when it cannot be read.
    virtual std::string ExecutablePath() = 0;
    // The integer of `key` in `section` of the INI file, as the private-profile reader
    // reads it (names case-insensitive); `fallback` when the file or key is missing.
    virtual int ReadIniInt(const std::string& file, const char* section, const char* key,
                           int fallback) = 0;
    // A line for the debugger (OutputDebugStringA, and standard error when the process has
    // one; standard error on POSIX).
    virtual void DebugOutput(const char* line) = 0;
    // Text for standard error as it is, where the process has one (the id-list token
    // trace); nothing for the debugger.
    virtual void ErrorOutput(const char* text) = 0;
    // The process creation time as a local file time (100 ns units since 1601-01-01).
    virtual std::uint64_t ProcessStartTime() = 0;
    // The current local time.
    virtual std::tm LocalNow() = 0;
    // Opens `path` for reading and writing, creating it when absent (never its folder), so
    // that others may read but not write it meanwhile; null when that fails.
    virtual std::unique_ptr<LogFile> OpenLogFile(const std::string& path) = 0;
};

Platform& SystemPlatform();
Platform& CurrentPlatform();
// Makes `platform` current; null restores the system's.
void UsePlatform(Platform* platform);

}  // namespace lumarin
