#include "tests/support/process.h"

namespace testsupport {

int RunProgram(const std::string& program, const std::vector<std::string>& args,
               const Environment& extra)
{
    std::vector<std::string> ignored;
    return RunProgram(program, args, extra, ignored);
}

int RunProgram(const std::string& program, const std::vector<std::string>& args,
               const Environment& extra, std::vector<std::string>& lines)
{
    Child child;
    if (!child.Start(program, args, extra))
        return -1;
    child.CloseInput();
    for (std::string line = child.ReadLine(); !line.empty(); line = child.ReadLine())
        lines.push_back(line);
    return child.Wait();
}

}  // namespace testsupport
