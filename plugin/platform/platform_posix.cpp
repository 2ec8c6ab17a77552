// POSIX: the OLE Automation stand-in and UTF-8 <-> UTF-16LE conversions with iconv.
#include <iconv.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform.h"

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

// Converts all of `in`; a sequence the source encoding rejects becomes `replacement` and
// conversion goes on after its first unit. False when iconv is unavailable.
bool Convert(const char* to, const char* from, const char* in, std::size_t inBytes,
             std::size_t unit, const std::string& replacement, std::string& out)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    out.clear();
    std::vector<char> buffer(inBytes * 3 + 16);
    char* source = const_cast<char*>(in);
    while (inBytes > 0) {
        char* target = buffer.data();
        std::size_t room = buffer.size();
        std::size_t done = iconv(cd, &source, &inBytes, &target, &room);
        out.append(buffer.data(), static_cast<std::size_t>(target - buffer.data()));
        if (done != static_cast<std::size_t>(-1))
            break;
        if (errno == E2BIG)
            continue;
        out += replacement;  // EILSEQ or a sequence cut off at the end
        std::size_t skip = inBytes < unit ? inBytes : unit;
        source += skip;
        inBytes -= skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    return true;
}

const std::string kUtf16Replacement("\xFD\xFF", 2);  // U+FFFD, little-endian
const std::string kUtf8Replacement("\xEF\xBF\xBD");

}  // namespace

BSTR Utf8ToBstr(const std::string& text)
{
    std::string utf16;
    if (!Convert("UTF-16LE", "UTF-8", text.data(), text.size(), 1, kUtf16Replacement, utf16))
        return nullptr;
    return SysAllocStringLen(reinterpret_cast<const OLECHAR*>(utf16.data()),
                             static_cast<UINT>(utf16.size() / sizeof(OLECHAR)));
}

bool BstrToUtf8(BSTR text, std::string& out)
{
    out.clear();
    if (!text)
        return true;
    return Convert("UTF-8", "UTF-16LE", reinterpret_cast<const char*>(text),
                   SysStringLen(text) * sizeof(OLECHAR), sizeof(OLECHAR), kUtf8Replacement,
                   out);
}

BSTR AnsiToBstr(const std::string& text, CodePage)
{
    return Utf8ToBstr(text);
}

bool BstrToAnsi(BSTR text, std::string& out, CodePage)
{
    return BstrToUtf8(text, out);
}

std::size_t AnsiCharLength(const char*)
{
    return 1;  // UTF-8: no byte of a multi-byte character is ASCII
}

}  // namespace lumarin
