// Resource paths: their steps below a root, the check that keeps resource names from
// leading outside it, and the number and letter-case helpers the manifest readers share.
#pragma once

#include <string>
#include <vector>

namespace cleaner {

// The decimal number at the start of `text` as the C library's atoi reads it (leading
// blanks, a sign, digits up to the first other character; none gives 0), held to the
// range of int instead of overflowing.
int LeadingInt(const char* text);

// `c` with an ASCII capital letter made small; every other byte as it is.
inline char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// The steps of `path` below `root`, both joined with `separator`; "." and empty steps are
// dropped (they name the same folder). False when `path` does not begin with `root` and a
// separator.
bool StepsBelow(const std::string& root, const std::string& path, char separator,
                std::vector<std::string>& steps);

// `steps` joined with `separator`.
std::string JoinSteps(const std::vector<std::string>& steps, char separator);

// True when a resource name from a manifest may lead to a deletion: it is relative (no
// leading separator, no drive letter or other ':'), has no ".." step and names something
// below the folder it is relative to, not that folder itself.
bool IsSafeResourceName(const std::string& name);

}  // namespace cleaner
