// The cleaner's installation folder and the all-users application data folder.
#pragma once

#include <string>

namespace cleaner {

// The running executable's folder, without a trailing separator. Computed on first use.
const std::string& GetModuleDir();

// The all-users application data folder; empty when the system cannot supply it.
// Computed on first success; while empty, every call asks the system again.
const std::string& GetCommonAppDataDir();

// Forgets both folders, so that a newly installed platform is asked again (tests).
void ResetFolderCaches();

}  // namespace cleaner
