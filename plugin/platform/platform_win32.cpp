// Windows: conversions with the system's code pages; OLE Automation is oleaut32's.
#include "platform.h"

namespace lumarin {

namespace {

UINT CodePageId(CodePage codePage)
{
    return codePage == CodePage::Thread ? CP_THREAD_ACP : CP_ACP;
}

BSTR ToBstr(const std::string& text, UINT codePage)
{
    if (text.empty())
        return SysAllocStringLen(nullptr, 0);
    int length = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()),
                                     nullptr, 0);
    if (length <= 0)
        return nullptr;
    BSTR result = SysAllocStringLen(nullptr, static_cast<UINT>(length));
    if (result)
        MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), result,
                            length);
    return result;
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

BSTR AnsiToBstr(const std::string& text, CodePage codePage)
{
    return ToBstr(text, CodePageId(codePage));
}

bool BstrToAnsi(BSTR text, std::string& out, CodePage codePage)
{
    return FromBstr(text, out, CodePageId(codePage));
}

BSTR Utf8ToBstr(const std::string& text)
{
    return ToBstr(text, CP_UTF8);
}

bool BstrToUtf8(BSTR text, std::string& out)
{
    return FromBstr(text, out, CP_UTF8);
}

std::size_t AnsiCharLength(const char* text)
{
    return text[0] && IsDBCSLeadByteEx(CP_THREAD_ACP, static_cast<BYTE>(text[0])) && text[1]
               ? 2
               : 1;
}

}  // namespace lumarin
