// Reading an integer from INI text as the Windows private-profile reader does, kept apart
// from the POSIX platform file so that every build can test it on made-up texts.
#pragma once

#include <istream>

namespace lumarin {

// The integer of `key` in `section` of the INI text read from `in`: the first matching
// section and key, names compared without regard to ASCII case and blanks around them,
// the value read as a leading decimal integer (no digits gives 0). `fallback` when the
// section or key is missing.
int FindIniInt(std::istream& in, const char* section, const char* key, int fallback);

}  // namespace lumarin
