#include "cleaner/input/resource_paths.h"

#include <climits>
#include <cstdlib>
#include <utility>
#include <vector>

namespace cleaner {

namespace {

bool IsSeparator(char c)
{
    return c == '/' || c == '\\';
}

// The steps of a path, split at either separator; empty steps dropped.
std::vector<std::string> Steps(const std::string& path)
{
    std::vector<std::string> steps;
    std::string step;
    for (char c : path) {
        if (!IsSeparator(c)) {
            step += c;
            continue;
        }
        if (!step.empty())
            steps.push_back(step);
        step.clear();
    }
    if (!step.empty())
        steps.push_back(step);
    return steps;
}

}  // namespace

int LeadingInt(const char* text)
{
    long long value = std::strtoll(text, nullptr, 10);
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

bool StepsBelow(const std::string& root, const std::string& path, char separator,
                std::vector<std::string>& steps)
{
    if (root.empty() || path.size() <= root.size() || path.compare(0, root.size(), root) != 0 ||
        path[root.size()] != separator)
        return false;
    steps.clear();
    std::string::size_type start = root.size() + 1;
    while (start <= path.size()) {
        std::string::size_type end = path.find(separator, start);
        if (end == std::string::npos)
            end = path.size();
        std::string step = path.substr(start, end - start);
        if (!step.empty() && step != ".")
            steps.push_back(std::move(step));
        start = end + 1;
    }
    return true;
}

std::string JoinSteps(const std::vector<std::string>& steps, char separator)
{
    std::string joined;
    for (const std::string& step : steps) {
        if (!joined.empty())
            joined += separator;
        joined += step;
    }
    return joined;
}

bool IsSafeResourceName(const std::string& name)
{
    if (name.empty() || IsSeparator(name[0]) || name.find(':') != std::string::npos)
        return false;
    bool namesSomething = false;
    for (const std::string& step : Steps(name)) {
        if (step == "..")
            return false;
        if (step != ".")
            namesSomething = true;
    }
    return namesSomething;
}

}  // namespace cleaner
