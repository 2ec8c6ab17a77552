// Editing INI text the way the Windows private-profile writer does: section and key
// names match without regard to letter case, and every other line is kept byte for byte.
#pragma once

#include <string>

namespace cleaner {

// Returns `text` with `key` in `section` set to `value`. An existing key line is replaced;
// a missing key is added after the section's last non-blank line; a missing section is
// appended at the end. New lines end like the text's own lines ("\r\n" or "\n"), or with
// `newline` when the text has none.
std::string SetIniValue(const std::string& text, const std::string& section,
                        const std::string& key, const std::string& value,
                        const std::string& newline);

}  // namespace cleaner
