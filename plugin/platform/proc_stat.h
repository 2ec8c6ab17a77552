// Reading Linux's "/proc/<pid>/stat" line, kept apart from the POSIX platform file so that
// every build can test it on made-up texts.
#pragma once

#include <string>

namespace lumarin {

// The process start time (field 22, in clock ticks since boot) from the text of a stat
// file; false when the text is empty, cut short or not a stat line.
bool StartTicksFromStat(const std::string& text, unsigned long long& ticks);

}  // namespace lumarin
