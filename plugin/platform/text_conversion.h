// Text conversions at the script boundary: the plug-in's narrow texts (ANSI code page on
// Windows, UTF-8 on POSIX) to and from the BSTRs of OLE Automation.
#pragma once

#include <cstddef>
#include <string>

#include "plugin/platform/automation.h"

namespace lumarin {

// Which ANSI code page a conversion uses: the calling thread's or the system's. On POSIX
// both are UTF-8; an invalid byte becomes U+FFFD, as on Windows.
enum class CodePage { Thread, System };

// A new BSTR holding `text` converted from the code page; null when that fails. The
// caller frees it with SysFreeString.
BSTR AnsiToBstr(const std::string& text, CodePage codePage);
// `text` converted to the code page; false when that fails. A null BSTR gives "".
bool BstrToAnsi(BSTR text, std::string& out, CodePage codePage);
// UTF-8 forms, for the substitute host's input and output.
BSTR Utf8ToBstr(const std::string& text);
bool BstrToUtf8(BSTR text, std::string& out);
// Bytes of the thread-code-page character that starts at `text` (1, or 2 for a double-byte
// lead byte), so that escaping never splits a character.
std::size_t AnsiCharLength(const char* text);

}  // namespace lumarin
