// The decimal text of an integer, written in place: no allocation.
#pragma once

#include <charconv>
#include <cstddef>
#include <string_view>

namespace lumarin {

template <class T>
struct DecimalText {
    explicit DecimalText(T value)
        : size(static_cast<std::size_t>(std::to_chars(text, text + sizeof text, value).ptr - text))
    {
    }
    std::string_view View() const { return std::string_view(text, size); }
    operator std::string_view() const { return View(); }

    char text[24];
    std::size_t size;  // a length, not a pointer: the text stays right when copied
};

}  // namespace lumarin
