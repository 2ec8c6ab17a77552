// Text conversions at the script boundary: the plug-in's narrow texts (ANSI code page on
// Windows, UTF-8 on POSIX) to and from the BSTRs of OLE Automation.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "plugin/platform/automation.h"

namespace lumarin {

// Which ANSI code page a conversion uses: the calling thread's or the system's. On POSIX
// both are UTF-8; an invalid byte becomes U+FFFD, as on Windows.
enum class CodePage { Thread, System };

// UTF-16 text, as a page receives it (a BSTR's units on either system).
using WideText = std::u16string;
static_assert(sizeof(OLECHAR) == sizeof(char16_t), "OLECHAR is a UTF-16 unit");

// Appends `text`, converted from the code page, to `out`, as the system converts it (a byte
// sequence the code page does not know becomes its default character). False when the
// conversion fails; `out` is then as it was.
bool AppendAnsiAsUtf16(std::string_view text, CodePage codePage, WideText& out);
// `text` converted to the code page; false when that fails. A null BSTR gives "".
bool BstrToAnsi(BSTR text, std::string& out, CodePage codePage);
// UTF-8 forms, for the substitute host's input and output.
BSTR Utf8ToBstr(const std::string& text);
bool BstrToUtf8(BSTR text, std::string& out);

}  // namespace lumarin
