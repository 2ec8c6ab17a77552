// Windows: the platform layer of the debug log (executable path, INI integers, debugger
// output, process start time, log files).
#include "plugin/platform/platform.h"

#include <windows.h>

#include <cstddef>

namespace lumarin {

namespace {

class Win32LogFile : public LogFile {
public:
    explicit Win32LogFile(HANDLE file) : file_(file) {}
    ~Win32LogFile() override { CloseHandle(file_); }

    bool ReadStart(void* bytes, std::size_t size) override
    {
        DWORD read = 0;
        return SetFilePointer(file_, 0, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
               ReadFile(file_, bytes, static_cast<DWORD>(size), &read, nullptr) && read == size;
    }
    bool ResetTo(const void* bytes, std::size_t size) override
    {
        DWORD written = 0;
        return SetFilePointer(file_, 0, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
               WriteFile(file_, bytes, static_cast<DWORD>(size), &written, nullptr) &&
               written == size && SetEndOfFile(file_);
    }
    bool Append(const char* text, std::size_t size) override
    {
        DWORD written = 0;
        return SetFilePointer(file_, 0, nullptr, FILE_END) != INVALID_SET_FILE_POINTER &&
               WriteFile(file_, text, static_cast<DWORD>(size), &written, nullptr) &&
               written == size;
    }

private:
    HANDLE file_;
};

class Win32Platform : public Platform {
public:
    char Separator() const override { return '\\'; }

    std::string ExecutablePath() override
    {
        char path[520];
        DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
        return length > 0 && length < sizeof path ? std::string(path, length) : "";
    }

    int ReadIniInt(const std::string& file, const char* section, const char* key,
                   int fallback) override
    {
        return static_cast<int>(GetPrivateProfileIntA(section, key, fallback, file.c_str()));
    }

    void DebugOutput(const char* line) override
    {
        OutputDebugStringA(line);
        ErrorOutput(line);
    }

    // A console host (lumarin-host) shows it; a windowed client has no standard error.
    void ErrorOutput(const char* text) override
    {
        HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
        DWORD written = 0;
        if (error && error != INVALID_HANDLE_VALUE)
            WriteFile(error, text, static_cast<DWORD>(lstrlenA(text)), &written, nullptr);
    }

    std::uint64_t ProcessStartTime() override
    {
        FILETIME creation, exit, kernel, user, local;
        if (!GetProcessTimes(GetCurrentProcess(), &creation, &exit, &kernel, &user) ||
            !FileTimeToLocalFileTime(&creation, &local))
            return 0;
        return (static_cast<std::uint64_t>(local.dwHighDateTime) << 32) | local.dwLowDateTime;
    }

    std::tm LocalNow() override
    {
        SYSTEMTIME now;
        GetLocalTime(&now);
        std::tm local{};
        local.tm_year = now.wYear - 1900;
        local.tm_mon = now.wMonth - 1;
        local.tm_mday = now.wDay;
        local.tm_hour = now.wHour;
        local.tm_min = now.wMinute;
        local.tm_sec = now.wSecond;
        local.tm_wday = now.wDayOfWeek;
        return local;
    }

    std::unique_ptr<LogFile> OpenLogFile(const std::string& path) override
    {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_ARCHIVE, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return nullptr;
        return std::make_unique<Win32LogFile>(file);
    }
};

}  // namespace

Platform& SystemPlatform()
{
    static Win32Platform platform;
    return platform;
}

}  // namespace lumarin
