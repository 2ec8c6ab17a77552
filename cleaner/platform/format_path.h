// Bounded printf-style formatting into fixed path buffers.
#pragma once

#include <cstddef>

namespace cleaner {

// Capacity of a path buffer (259 characters plus the terminator).
constexpr std::size_t kPathCapacity = 260;

// Formats into `buffer` of `capacity` characters, keeping at most capacity - 1 of them
// and always terminating. Returns true when the whole text fitted, false when it was cut
// (a cut path must not be deleted or descended into).
bool FormatPath(char* buffer, std::size_t capacity, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;

}  // namespace cleaner
