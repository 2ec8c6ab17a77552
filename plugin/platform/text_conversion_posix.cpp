// POSIX: UTF-8 <-> UTF-16LE conversions with iconv, for the narrow text is UTF-8 here.
#include "plugin/platform/text_conversion.h"

#include <iconv.h>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <mutex>
#include <string>

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

}  // namespace lumarin
