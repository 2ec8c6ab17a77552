#include "cleaner/platform/format_path.h"

#include <cstdarg>
#include <cstdio>

namespace cleaner {

bool FormatPath(char* buffer, std::size_t capacity, const char* format, ...)
{
    if (capacity == 0)
        return false;
    va_list args;
    va_start(args, format);
    int needed = std::vsnprintf(buffer, capacity, format, args);
    va_end(args);
    if (needed < 0) {
        buffer[0] = '\0';
        return false;
    }
    return static_cast<std::size_t>(needed) < capacity;
}

}  // namespace cleaner
