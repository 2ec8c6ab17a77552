// POSIX: the OLE Automation stand-in and UTF-8 <-> UTF-16LE conversions with iconv.
#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>

#include "plugin/platform/platform.h"
#include "plugin/platform/proc_stat.h"
#include "plugin/platform/text_conversion.h"

BSTR SysAllocStringLen(const OLECHAR* text, UINT length)
{
    std::size_t bytes = static_cast<std::size_t>(length) * sizeof(OLECHAR);
    auto* block = static_cast<unsigned char*>(std::malloc(4 + bytes + sizeof(OLECHAR)));
    if (!block)
        return nullptr;
    auto prefix = static_cast<std::uint32_t>(bytes);
    std::memcpy(block, &prefix, 4);
    BSTR result = reinterpret_cast<BSTR>(block + 4);
    if (text)
        std::memcpy(result, text, bytes);
    result[length] = 0;
    return result;
}

BSTR SysAllocString(const OLECHAR* text)
{
    if (!text)
        return nullptr;
    UINT length = 0;
    while (text[length])
        ++length;
    return SysAllocStringLen(text, length);
}

void SysFreeString(BSTR text)
{
    if (text)
        std::free(reinterpret_cast<unsigned char*>(text) - 4);
}

UINT SysStringLen(BSTR text)
{
    if (!text)
        return 0;
    std::uint32_t bytes;
    std::memcpy(&bytes, reinterpret_cast<unsigned char*>(text) - 4, 4);
    return bytes / sizeof(OLECHAR);
}

void VariantInit(VARIANTARG* variant)
{
    variant->vt = VT_EMPTY;
    variant->wReserved1 = variant->wReserved2 = variant->wReserved3 = 0;
    variant->llVal = 0;
}

HRESULT VariantClear(VARIANTARG* variant)
{
    if (variant->vt == VT_BSTR)
        SysFreeString(variant->bstrVal);
    VariantInit(variant);
    return S_OK;
}

namespace lumarin {

namespace {

// An iconv converter for one direction, opened on first use and reset before each
// conversion: opening one costs far more than converting a pet's whole text. An open that
// fails is tried again at the next conversion. Calls come from one thread; the lock only
// keeps a second one from sharing the converter's state.
class Converter {
public:
    Converter(const char* to, const char* from) : to_(to), from_(from) {}
    ~Converter()
    {
        if (cd_ != kFailed)
            iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts all of `in`; a sequence the source encoding rejects becomes `replacement` and
    // conversion goes on after its first unit. False when the converter cannot be opened.
    bool Convert(const char* in, std::size_t inBytes, std::size_t unit,
                 const std::string& replacement, std::string& out);

private:
    static inline const iconv_t kFailed = reinterpret_cast<iconv_t>(-1);
    const char* to_;
    const char* from_;
    iconv_t cd_ = kFailed;
    std::mutex mutex_;
};

bool Converter::Convert(const char* in, std::size_t inBytes, std::size_t unit,
                        const std::string& replacement, std::string& out)
{
    out.clear();
    std::lock_guard<std::mutex> lock(mutex_);
    if (cd_ == kFailed)
        cd_ = iconv_open(to_, from_);
    if (cd_ == kFailed)
        return false;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    out.resize(2 * inBytes + replacement.size() + 16);
    std::size_t used = 0;
    char* source = const_cast<char*>(in);
    while (inBytes > 0) {
        char* target = &out[used];
        std::size_t room = out.size() - used;
        std::size_t done = iconv(cd_, &source, &inBytes, &target, &room);
        used = static_cast<std::size_t>(target - out.data());
        if (done != static_cast<std::size_t>(-1))
            break;
        if (errno == E2BIG || room < replacement.size()) {
            out.resize(2 * out.size());
            continue;
        }
        out.replace(used, replacement.size(), replacement);  // EILSEQ or a cut-off sequence
        used += replacement.size();
        std::size_t skip = inBytes < unit ? inBytes : unit;
        source += skip;
        inBytes -= skip;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    }
    out.resize(used);
    return true;
}

Converter& Utf8ToUtf16()
{
    static Converter converter("UTF-16LE", "UTF-8");
    return converter;
}

Converter& Utf16ToUtf8()
{
    static Converter converter("UTF-8", "UTF-16LE");
    return converter;
}

const std::string kUtf16Replacement("\xFD\xFF", 2);  // U+FFFD, little-endian
const std::string kUtf8Replacement("\xEF\xBF\xBD");

// Whole-text loops without an early exit, which the compiler turns into vector code.
bool IsAscii(const char* text, std::size_t size)
{
    unsigned char bits = 0;
    for (std::size_t i = 0; i < size; ++i)
        bits |= static_cast<unsigned char>(text[i]);
    return bits < 0x80;
}

bool IsAscii(const OLECHAR* text, std::size_t length)
{
    OLECHAR bits = 0;
    for (std::size_t i = 0; i < length; ++i)
        bits |= text[i];
    return bits < 0x80;
}

}  // namespace

// ASCII, the usual case, is widened and narrowed directly; the rest goes through iconv.
bool AppendAnsiAsUtf16(std::string_view text, CodePage, WideText& out)
{
    const std::size_t at = out.size();
    if (IsAscii(text.data(), text.size())) {
        out.resize(at + text.size());
        for (std::size_t i = 0; i < text.size(); ++i)
            out[at + i] = static_cast<unsigned char>(text[i]);
        return true;
    }
    std::string utf16;
    if (!Utf8ToUtf16().Convert(text.data(), text.size(), 1, kUtf16Replacement, utf16))
        return false;
    out.resize(at + utf16.size() / sizeof(OLECHAR));
    std::memcpy(&out[at], utf16.data(), utf16.size());
    return true;
}

BSTR Utf8ToBstr(const std::string& text)
{
    WideText wide;
    if (!AppendAnsiAsUtf16(text, CodePage::Thread, wide))
        return nullptr;
    return SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

bool BstrToUtf8(BSTR text, std::string& out)
{
    out.clear();
    if (!text)
        return true;
    const UINT length = SysStringLen(text);
    if (IsAscii(text, length)) {
        out.resize(length);
        for (UINT i = 0; i < length; ++i)
            out[i] = static_cast<char>(text[i]);
        return true;
    }
    return Utf16ToUtf8().Convert(reinterpret_cast<const char*>(text), length * sizeof(OLECHAR),
                                 sizeof(OLECHAR), kUtf8Replacement, out);
}

bool BstrToAnsi(BSTR text, std::string& out, CodePage)
{
    return BstrToUtf8(text, out);
}

namespace {

bool SameName(const std::string& a, const char* b)
{
    std::size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return i == a.size() && !b[i];
}

std::string Trimmed(const std::string& text)
{
    const char* blanks = " \t\r\n";
    std::string::size_type first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

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

    // Windows semantics: the first matching section and key, names compared without
    // case, the value read as a leading decimal integer (no digits gives 0).
    int ReadIniInt(const std::string& file, const char* section, const char* key,
                   int fallback) override
    {
        std::ifstream in(file, std::ios::binary);
        std::string line;
        bool inSection = false;
        while (std::getline(in, line)) {
            std::string text = Trimmed(line);
            if (!text.empty() && text[0] == '[') {
                std::string::size_type end = text.find(']');
                inSection = end != std::string::npos &&
                            SameName(Trimmed(text.substr(1, end - 1)), section);
                continue;
            }
            std::string::size_type equals = text.find('=');
            if (!inSection || equals == std::string::npos ||
                !SameName(Trimmed(text.substr(0, equals)), key))
                continue;
            std::string value = Trimmed(text.substr(equals + 1));
            return static_cast<int>(std::strtol(value.c_str(), nullptr, 10));
        }
        return fallback;
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
