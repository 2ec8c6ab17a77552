// Moravel2010IBeta-sim: stands in for a running client. Its executable name marks a
// running client; with --version N it publishes N in "LocalVersion" until its standard
// input closes.
#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdlib>
#include <iostream>
#include <string>

#include "sim/client/published_text.h"

namespace {

constexpr char kMappingName[] = "LocalVersion";
constexpr std::size_t kMappingSize = 100;

int Usage(const std::string& problem)
{
    std::cerr << "Moravel2010IBeta-sim: " << problem
              << " (usage: Moravel2010IBeta-sim [--version N])" << std::endl;
    return 2;
}

bool ParseVersion(const std::string& text, long& version)
{
    if (text.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    version = std::strtol(text.c_str(), &end, 10);
    return *end == '\0' && errno == 0 && version >= INT_MIN && version <= INT_MAX &&
           (text[0] == '-' || (text[0] >= '0' && text[0] <= '9'));
}

}  // namespace

int main(int argc, char** argv)
{
    bool publish = false;
    long version = 0;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg != "--version")
            return Usage("unknown argument '" + arg + "'");
        if (publish)
            return Usage("--version given twice");
        if (i + 1 >= argc)
            return Usage("--version needs a number");
        if (!ParseVersion(argv[++i], version))
            return Usage(std::string("not a version number: '") + argv[i] + "'");
        publish = true;
    }

    sim::WithdrawOnTerminate();
    std::string error;
    if (publish && !sim::PublishText(kMappingName, kMappingSize, std::to_string(version), error)) {
        std::cerr << "Moravel2010IBeta-sim: cannot publish " << kMappingName << ": " << error
                  << std::endl;
        return 1;
    }
    std::cout << "ready" << std::endl;

    std::string line;
    while (std::getline(std::cin, line)) {
    }
    sim::WithdrawText();
    return 0;
}
