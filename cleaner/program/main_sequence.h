// The cleaner's one run: client-folder removal, cleaning pass, used-space record.
//
// Layer: cleaner/program/ is the program (main, the command line, this sequence, the dry run);
// it may use every other layer, and no other layer uses it.
#pragma once

#include <cstdint>
#include <string>

namespace cleaner {

class CResourceCleaner;

// A running client is any process whose executable name contains this text.
constexpr const char kClientMarker[] = "Moravel2010IBeta";

// True when some running process's executable file name contains `name` (case-sensitive).
// False when the process list cannot be read.
bool IsProcessRunning(const std::string& name);

// Records total / 1,000,000 as "usedspace" in section "app" of "localinfor.ini" in the
// installation folder. Failure is ignored.
void WriteUsedSpace(std::uint64_t total);

// The main sequence: without a running client, removes "<all-users data>\Halvern\Moravel"
// (skipped when the all-users folder is unknown or the path does not fit); then runs the
// cleaning pass of `resourceCleaner`; then records the size of the installation folder.
// Both of those are skipped when the installation folder is unknown.
void RunCleaner(CResourceCleaner& resourceCleaner);

}  // namespace cleaner
