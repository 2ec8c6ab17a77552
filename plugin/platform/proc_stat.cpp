#include "plugin/platform/proc_stat.h"

#include <cstdlib>
#include <sstream>

namespace lumarin {

bool StartTicksFromStat(const std::string& text, unsigned long long& ticks)
{
    // The fields after the command name, which ends at the last ')' (the name itself may
    // hold ')' and spaces); the start time is the 20th of them.
    const std::string::size_type nameEnd = text.rfind(')');
    if (nameEnd == std::string::npos)
        return false;
    std::istringstream fields(text.substr(nameEnd + 1));
    std::string field;
    for (int i = 0; i < 20; ++i) {
        if (!(fields >> field))
            return false;
    }
    char* end = nullptr;
    ticks = std::strtoull(field.c_str(), &end, 10);
    return !field.empty() && *end == '\0';
}

}  // namespace lumarin
