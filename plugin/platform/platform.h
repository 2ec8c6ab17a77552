// The plug-in's platform layer: text conversions for the browser boundary, and what the
// debug log needs (executable path, INI integers, debugger output, times, log files). OLE
// Automation types and calls (BSTR, VARIANT, DISPPARAMS, SysAllocString...) come from
// "automation.h": the system's on Windows, a stand-in with the same names on POSIX.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <memory>
#include <string>

#include "automation.h"

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

// Which ANSI code page a conversion uses: the calling thread's or the system's. On POSIX
// both are UTF-8; an invalid byte becomes U+FFFD, as on Windows.
enum class CodePage { Thread, System };

// A new BSTR holding `text` converted from the code page; null when that fails. The
// caller frees it with SysFreeString.
BSTR AnsiToBstr(const std::string& text, CodePage codePage);
// `text` converted to the code page; false when that fails. A null BSTR gives "".
bool BstrToAnsi(BSTR text, std::string& out, CodePage codePage);
// UTF-8 forms, for the substitute host's input and output.
BSTR Utf8ToBstr(const std::string& text);
bool BstrToUtf8(BSTR text, std::string& out);
// Bytes of the thread-code-page character that starts at `text` (1, or 2 for a double-byte
// lead byte), so that escaping never splits a character.
std::size_t AnsiCharLength(const char* text);

}  // namespace lumarin
