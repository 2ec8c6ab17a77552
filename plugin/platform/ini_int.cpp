#include "plugin/platform/ini_int.h"

#include <cctype>
#include <cstddef>
#include <cstdlib>
#include <string>

namespace lumarin {

namespace {

bool SameName(const std::string& a, const char* b)
{
    std::size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return i == a.size() && !b[i];
}

std::string Trimmed(const std::string& text)
{
    const char* blanks = " \t\r\n";
    std::string::size_type first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

}  // namespace

int FindIniInt(std::istream& in, const char* section, const char* key, int fallback)
{
    std::string line;
    bool inSection = false;
    while (std::getline(in, line)) {
        std::string text = Trimmed(line);
        if (!text.empty() && text[0] == '[') {
            std::string::size_type end = text.find(']');
            inSection = end != std::string::npos &&
                        SameName(Trimmed(text.substr(1, end - 1)), section);
            continue;
        }
        std::string::size_type equals = text.find('=');
        if (!inSection || equals == std::string::npos ||
            !SameName(Trimmed(text.substr(0, equals)), key))
            continue;
        std::string value = Trimmed(text.substr(equals + 1));
        return static_cast<int>(std::strtol(value.c_str(), nullptr, 10));
    }
    return fallback;
}

}  // namespace lumarin
