// The dry run: every read of a real run, through the same code, with each deletion reported
// instead of made and the INI record kept instead of written.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "cleaner/platform/forwarding_platform.h"

namespace cleaner {

class CResourceCleaner;

// A folder the dry run names its lines after: "client" (the shared data folder) or
// "petsoc" ("common/petsoc"), and its path.
struct DryRunRoot {
    const char* label;
    std::string path;
};

// `relative` as a line shows it: bare when plain, else in double quotes with C escapes
// (\t, \n, \r, \", \\, other control bytes as \ooo), so that no name can forge a line.
// A control byte, a double quote or, where it is no separator (`separator` is '/'), a
// backslash makes a path need quotes; bytes from 0x80 up stay as they are.
std::string QuotedPath(const std::string& relative, char separator);

// Answers every read from the platform below it. The folders it opens pretend: an entry
// whose deletion the platform below would allow is reported and from then on missing from
// listings and lookups, so the walk goes on as after the real deletion (a folder goes once
// everything in it went and the system would let it go) and the used-space sum leaves the
// reported files out. What was "deleted" is recorded by the identity of its folder and its
// name (letter case compared as the file system compares it), so a later opening of the
// same folder by another way finds it gone too; the record grows with what is deleted,
// never with the depth of the paths.
class DryRunPlatform : public ForwardingPlatform {
public:
    // `report` takes one line per deletion: "<label>:<path below the root>\t<purpose>",
    // where the root is the first of `roots` holding the path; the root itself shows as ".".
    DryRunPlatform(Platform& next, std::vector<DryRunRoot> roots,
                   std::function<void(const std::string&)> report);

    std::unique_ptr<Folder> OpenRoot(const std::string& path, const char* purpose) override;
    void PauseMilliseconds(unsigned) override {}  // nothing is deleted, nothing to pace
    bool WriteIniValue(const std::string& file, const std::string& section,
                       const std::string& key, const std::string& value) override;

    // "key=value" for each INI value the run would have written, in order.
    const std::vector<std::string>& IniRecords() const { return iniRecords_; }

    // A step of a path: its folder's node and its name; the root's node holds its path.
    struct PathNode {
        std::shared_ptr<const PathNode> parent;
        std::string name;
    };

private:
    friend class DryRunFolder;

    bool IsRemoved(const FolderId& folder, const std::string& name) const;
    void Remove(const FolderId& folder, const std::string& name, const PathNode& where,
                const char* purpose);
    std::string Line(const PathNode& where, const std::string& name) const;

    std::function<void(const std::string&)> report_;
    std::vector<DryRunRoot> roots_;
    std::map<FolderId, std::set<std::string>> removed_;  // names by their NameKey
    std::vector<std::string> iniRecords_;
};

// Runs the cleaner's sequence as a dry run over the current platform and writes to standard
// output, each line ended by "\n": first the path lines, one per deletion in the run's order;
// then the closing lines, one "key=value" per INI value the run would have written, in the
// order it would write them (today only "usedspace=N"). The "usedspace=" line is the run's
// own INI write, captured by `WriteIniValue` above, so it is absent whenever the run would
// leave the INI unwritten. Exit code 0.
int RunDryRun(CResourceCleaner& resourceCleaner);

}  // namespace cleaner
