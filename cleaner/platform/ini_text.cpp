#include "cleaner/platform/ini_text.h"

#include <cctype>
#include <cstddef>
#include <vector>

namespace cleaner {

namespace {

std::string Trim(const std::string& text)
{
    const char* blanks = " \t\r";
    std::string::size_type first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

bool SameName(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

// Lines without their '\n'; a '\r' before it stays part of the line.
std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::string::size_type start = 0;
    while (start < text.size()) {
        std::string::size_type end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

bool IsSectionHeader(const std::string& line, std::string* name)
{
    std::string trimmed = Trim(line);
    if (trimmed.empty() || trimmed[0] != '[')
        return false;
    std::string::size_type close = trimmed.find(']');
    *name = Trim(trimmed.substr(1, close == std::string::npos ? std::string::npos : close - 1));
    return true;
}

// The key name of a "key=value" line, trimmed; empty for other lines.
std::string KeyOf(const std::string& line)
{
    std::string::size_type equals = line.find('=');
    return equals == std::string::npos ? std::string() : Trim(line.substr(0, equals));
}

std::string NewlineOf(const std::string& text, const std::string& fallback)
{
    std::string::size_type lf = text.find('\n');
    if (lf == std::string::npos)
        return fallback;
    return lf > 0 && text[lf - 1] == '\r' ? "\r\n" : "\n";
}

// Lines keep their own '\r', so joining with '\n' restores either style. The text ends
// without a newline only when it did so before and its last line is still last.
std::string JoinLines(const std::vector<std::string>& lines, bool finalNewline)
{
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        text += lines[i];
        if (i + 1 < lines.size() || finalNewline)
            text += '\n';
    }
    return text;
}

}  // namespace

std::string SetIniValue(const std::string& text, const std::string& section,
                        const std::string& key, const std::string& value,
                        const std::string& newline)
{
    const std::string cr = NewlineOf(text, newline) == "\r\n" ? "\r" : "";
    std::string entry = key + "=" + value + cr;
    const bool unterminated = !text.empty() && text.back() != '\n';
    std::vector<std::string> lines = SplitLines(text);

    bool inSection = false;
    std::size_t insertAt = lines.size();
    bool sectionFound = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string name;
        if (IsSectionHeader(lines[i], &name)) {
            if (inSection)
                break;
            inSection = SameName(name, section);
            if (inSection) {
                sectionFound = true;
                insertAt = i + 1;
            }
            continue;
        }
        if (!inSection)
            continue;
        std::string existing = KeyOf(lines[i]);
        if (!existing.empty() && SameName(existing, key)) {
            // The key keeps the spelling it has in the file.
            lines[i] = existing + "=" + value + cr;
            return JoinLines(lines, !unterminated || i + 1 == lines.size());
        }
        if (!Trim(lines[i]).empty())
            insertAt = i + 1;
    }

    if (sectionFound) {
        bool atEnd = insertAt == lines.size();
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), entry);
        return JoinLines(lines, !unterminated || atEnd);
    }
    lines.push_back("[" + section + "]" + cr);
    lines.push_back(entry);
    return JoinLines(lines, true);
}

}  // namespace cleaner
