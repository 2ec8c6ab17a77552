// Windows: conversions with the system's code pages; OLE Automation is oleaut32's.
#include "plugin/platform/platform.h"

#include <cstddef>
#include "plugin/platform/text_conversion.h"

namespace lumarin {

namespace {

UINT CodePageId(CodePage codePage)
{
    return codePage == CodePage::Thread ? CP_THREAD_ACP : CP_ACP;
}

bool AppendAsUtf16(std::string_view text, UINT codePage, WideText& out)
{
    if (text.empty())
        return true;
    const int bytes = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(codePage, 0, text.data(), bytes, nullptr, 0);
    if (length <= 0)
        return false;
    const std::size_t at = out.size();
    out.resize(at + static_cast<std::size_t>(length));
    MultiByteToWideChar(codePage, 0, text.data(), bytes, reinterpret_cast<LPWSTR>(&out[at]),
                        length);
    return true;
}

bool FromBstr(BSTR text, std::string& out, UINT codePage)
{
    out.clear();
    int units = static_cast<int>(SysStringLen(text));
    if (!text || units == 0)
        return true;
    int length = WideCharToMultiByte(codePage, 0, text, units, nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return false;
    out.resize(static_cast<std::size_t>(length));
    WideCharToMultiByte(codePage, 0, text, units, &out[0], length, nullptr, nullptr);
    return true;
}

}  // namespace

bool AppendAnsiAsUtf16(std::string_view text, CodePage codePage, WideText& out)
{
    return AppendAsUtf16(text, CodePageId(codePage), out);
}

bool BstrToAnsi(BSTR text, std::string& out, CodePage codePage)
{
    return FromBstr(text, out, CodePageId(codePage));
}

BSTR Utf8ToBstr(const std::string& text)
{
    WideText wide;
    if (!AppendAsUtf16(text, CP_UTF8, wide))
        return nullptr;
    return SysAllocStringLen(reinterpret_cast<const OLECHAR*>(wide.data()),
                             static_cast<UINT>(wide.size()));
}

bool BstrToUtf8(BSTR text, std::string& out)
{
    return FromBstr(text, out, CP_UTF8);
}

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
