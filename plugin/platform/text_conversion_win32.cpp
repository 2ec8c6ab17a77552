// Windows: conversions with the system's code pages.
#include "plugin/platform/text_conversion.h"

#include <windows.h>

#include <cstddef>
#include <string>

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

}  // namespace lumarin
