// Page texts (UTF-16) and narrow texts as UTF-8, for comparing them in tests.
#pragma once

#include <string>

#include "plugin/platform/text_conversion.h"

inline std::string Utf8(const std::u16string& text)
{
    BSTR wide = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                                  static_cast<UINT>(text.size()));
    std::string utf8;
    lumarin::BstrToUtf8(wide, utf8);
    SysFreeString(wide);
    return utf8;
}

// `ansi` as the thread's code page reads it, in UTF-8.
inline std::string Utf8OfAnsi(const std::string& ansi)
{
    std::u16string wide;
    lumarin::AppendAnsiAsUtf16(ansi, lumarin::CodePage::Thread, wide);
    return Utf8(wide);
}
