#include "plugin/log/log_file.h"

#include <cstdio>
#include <cstring>
#include <exception>

#include "plugin/platform/platform.h"

namespace lumarin {

namespace {

constexpr std::size_t kPathCapacity = 260;
// The buffer the executable path is read into to find Debug.ini.
constexpr std::size_t kDebugIniExePathCapacity = 243;

struct LogFileState {
    bool modeRead = false;
    int mode = 0;
    std::string path;
    std::string exeDir;
};

LogFileState& State()
{
    static LogFileState state;
    return state;
}

// Formats into a buffer of `capacity` characters with its terminator, cutting silently.
template <class... Args>
std::string Bounded(std::size_t capacity, const char* format, Args... args)
{
    std::string text(capacity, '\0');
    std::snprintf(&text[0], capacity, format, args...);
    text.resize(std::strlen(text.c_str()));
    return text;
}

struct CalendarTime {
    int month, day, hour, minute, second, millisecond;
};

// Calendar fields of a file time (100 ns units since 1601-01-01).
CalendarTime ToCalendar(std::uint64_t fileTime)
{
    const std::uint64_t milliseconds = fileTime / 10000;
    const long long days = static_cast<long long>(milliseconds / 86400000ULL);
    const std::uint64_t inDay = milliseconds % 86400000ULL;
    // Days since 1601-01-01 to a civil date: counted from 0000-03-01, in 400-year eras.
    const long long z = days + 584694;
    const long long era = z / 146097;
    const long long dayOfEra = z - era * 146097;
    const long long yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long long monthIndex = (5 * dayOfYear + 2) / 153;
    CalendarTime time;
    time.day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    time.month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    time.hour = static_cast<int>(inDay / 3600000);
    time.minute = static_cast<int>(inDay / 60000 % 60);
    time.second = static_cast<int>(inDay / 1000 % 60);
    time.millisecond = static_cast<int>(inDay % 1000);
    return time;
}

}  // namespace

std::string DebugIniPath()
{
    Platform& platform = CurrentPlatform();
    std::string folder = platform.ExecutablePath();
    if (folder.size() >= kDebugIniExePathCapacity)
        folder.clear();  // would not fit the buffer: read as failed
    std::string::size_type separator = folder.rfind(platform.Separator());
    folder = separator == std::string::npos ? "" : folder.substr(0, separator + 1);
    const char s = platform.Separator();
    return Bounded(kPathCapacity, "%sConfig%cDebug.ini", folder.c_str(), s);
}

const std::string& GetExeDir()
{
    std::string& folder = State().exeDir;
    if (folder.empty()) {
        Platform& platform = CurrentPlatform();
        std::string path = platform.ExecutablePath();
        std::string::size_type separator = path.rfind(platform.Separator());
        folder = separator == std::string::npos ? "" : path.substr(0, separator);
    }
    return folder;
}

std::uint64_t GetProcessStartTime()
{
    return CurrentPlatform().ProcessStartTime();
}

const std::string& GetLogFilePath()
{
    LogFileState& state = State();
    if (!state.path.empty())
        return state.path;
    const char s = CurrentPlatform().Separator();
    if (state.mode == 1) {
        CalendarTime start = ToCalendar(GetProcessStartTime());
        state.path = Bounded(kPathCapacity, "%s%cLog%c%02d%02d_%02d%02d%02d%03d.log",
                             GetExeDir().c_str(), s, s, start.month, start.day, start.hour,
                             start.minute, start.second, start.millisecond);
    } else if (state.mode == 2) {
        state.path = Bounded(kPathCapacity, "%s%cLog%cLog.log", GetExeDir().c_str(), s, s);
    }
    return state.path;
}

namespace {

void AppendToLogFile(const char* line)
{
    LogFileState& state = State();
    Platform& platform = CurrentPlatform();
    if (!state.modeRead) {
        state.mode = platform.ReadIniInt(DebugIniPath(), "Base", "Log2File", 0);
        state.modeRead = true;
    }
    if (state.mode == 0)
        return;
    const std::string& path = GetLogFilePath();
    std::unique_ptr<LogFile> file = path.empty() ? nullptr : platform.OpenLogFile(path);
    if (!file)
        return;
    if (state.mode == 2) {
        // The header is the run's start time, little-endian; another run's is replaced.
        const std::uint64_t start = GetProcessStartTime();
        unsigned char header[8], found[8] = {};
        for (int i = 0; i < 8; ++i)
            header[i] = static_cast<unsigned char>(start >> (8 * i));
        if (!file->ReadStart(found, sizeof found) || std::memcmp(found, header, 8) != 0)
            file->ResetTo(header, sizeof header);
    }
    file->Append(line, std::strlen(line));
}

}  // namespace

void WriteLogFile(const char* line)
{
    try {
        AppendToLogFile(line);
    } catch (const std::exception&) {
        // the line still went to the debugger; the file misses it
    }
}

void ResetLogFileState()
{
    State() = LogFileState();
}

}  // namespace lumarin
