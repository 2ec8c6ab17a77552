// The cleaner's working object: the resource tables of one cleaning pass.
#pragma once

#include <map>
#include <set>
#include <string>

namespace cleaner {

class CResourceCleaner {
public:
    // The cleaning pass. Does nothing unless a running client publishes its version.
    void Run();

    // The resource version the running client publishes in "LocalVersion"; 0 if none.
    int ReadLocalVersion();

private:
    int localVersion = 0;
    std::map<std::string, std::string> currentResources;
    std::set<std::string> scannedFiles;
    std::set<std::string> keepFiles;
    std::set<std::string> deleteFiles;
    std::map<std::string, std::set<std::string>> staleResources;
};

}  // namespace cleaner
