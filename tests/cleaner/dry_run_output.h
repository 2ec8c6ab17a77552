// A dry run's output split as RunDryRun writes it: its path lines, then its closing lines.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

struct DryRunOutput {
    std::vector<std::string> paths;    // "<label>:<path>\t<purpose>", one per deletion
    std::vector<std::string> closing;  // "key=value", none holding a tab
};

// A path line always holds a tab (a tab in a name is quoted) and a closing line never does:
// the closing lines are the tab-free lines at the end.
inline DryRunOutput SplitDryRun(std::vector<std::string> lines)
{
    std::size_t end = lines.size();
    while (end > 0 && lines[end - 1].find('\t') == std::string::npos)
        --end;
    DryRunOutput output;
    output.closing.assign(lines.begin() + static_cast<std::ptrdiff_t>(end), lines.end());
    lines.resize(end);
    output.paths = std::move(lines);
    return output;
}

// The same for the output as one text of "\n"-ended lines.
inline DryRunOutput SplitDryRun(const std::string& text)
{
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text.find('\n', at);
        lines.push_back(text.substr(at, end - at));
        at = end == std::string::npos ? text.size() : end + 1;
    }
    return SplitDryRun(std::move(lines));
}
