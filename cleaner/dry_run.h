// The dry run: every read of a real run, through the same code, with each deletion reported
// instead of made and the INI record kept instead of written.
#pragma once

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "cleaner/forwarding_platform.h"

namespace cleaner {

class CResourceCleaner;

// Answers every read from the platform below it. The folders it opens pretend: an entry
// whose deletion the platform below would allow is reported and from then on missing from
// listings and lookups, so the walk goes on as after the real deletion (a folder goes once
// everything in it went) and the used-space sum leaves the reported files out.
class DryRunPlatform : public ForwardingPlatform {
public:
    // `report` takes one line per deletion: "<root>:<path below it>\t<purpose>", where the
    // root is "client" (the shared data folder) or "petsoc" ("common/petsoc"); the root
    // itself shows as ".".
    DryRunPlatform(Platform& next, std::function<void(const std::string&)> report);

    bool IsDirectory(const std::string& path) override;
    std::unique_ptr<Folder> OpenRoot(const std::string& path, const char* purpose) override;
    void PauseMilliseconds(unsigned) override {}  // nothing is deleted, nothing to pace
    bool WriteIniValue(const std::string& file, const std::string& section,
                       const std::string& key, const std::string& value) override;

    // "key=value" for each INI value the run would have written, in order.
    const std::vector<std::string>& IniRecords() const { return iniRecords_; }

    bool IsRemoved(const std::string& path) const { return removed_.count(path) != 0; }
    void Remove(const std::string& path, const char* purpose);

private:
    // Windows names ignore letter case, and names read from manifests may differ in case
    // from the files they name; two names that differ only so are taken as one.
    struct NoCaseLess {
        bool operator()(const std::string& a, const std::string& b) const;
    };

    std::string RootLabel(const std::string& path);

    std::function<void(const std::string&)> report_;
    std::set<std::string, NoCaseLess> removed_;
    std::vector<std::string> iniRecords_;
    std::vector<std::pair<const char*, std::string>> roots_;  // label, folder
};

// Runs the cleaner's sequence as a dry run over the current platform and writes its lines,
// then "usedspace=N", to standard output. Exit code 0.
int RunDryRun(CResourceCleaner& resourceCleaner);

}  // namespace cleaner
