#include "cleaner/platform/ini_file.h"

#include <algorithm>

#include "cleaner/platform/ini_text.h"

namespace cleaner {

bool HasUtf16Mark(const std::string& text)
{
    return text.size() >= 2 && ((text[0] == '\xFF' && text[1] == '\xFE') ||
                                (text[0] == '\xFE' && text[1] == '\xFF'));
}

std::string TemporaryNameOf(const std::string& file)
{
    return file + ".tmp";
}

bool UpdateIniFile(RewritableFile& file, const std::string& section, const std::string& key,
                   const std::string& value, const std::string& newline)
{
    std::string old;
    const ReadStatus status = file.Open(kIniSizeLimit, old);
    if (status == ReadStatus::Unreadable || HasUtf16Mark(old))
        return false;  // never replace what cannot be kept whole
    const std::string text = SetIniValue(old, section, key, value, newline);
    if (status == ReadStatus::Read && text == old)
        return true;
    if (file.ReplaceWhole(text))
        return true;
    return status == ReadStatus::Read && UpdateInPlace(file, old, text);
}

bool UpdateInPlace(RewritableFile& file, const std::string& old, const std::string& text)
{
    const std::size_t common = std::min(old.size(), text.size());
    if (text.size() > old.size() &&
        !file.WriteAt(old.size(), text.data() + old.size(), text.size() - old.size())) {
        file.SetEnd(old.size());
        return false;
    }
    const std::size_t first = static_cast<std::size_t>(
        std::mismatch(old.begin(), old.begin() + static_cast<std::ptrdiff_t>(common),
                      text.begin())
            .first -
        old.begin());
    return file.WriteAt(first, text.data() + first, common - first) && file.SetEnd(text.size());
}

}  // namespace cleaner
