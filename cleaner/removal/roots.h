// The two folders the cleaner deletes below: the client's shared data folder and the
// resource cache of the installation.
#pragma once

#include <cstddef>
#include <string>

namespace cleaner {

// Capacity of the client-folder path buffer.
constexpr std::size_t kClientFolderCapacity = 1024;

// The client's shared data folder, "<all-users data>\Halvern\Moravel"; false when the
// all-users folder is unknown or the path does not fit.
bool ClientFolder(std::string& folder);

// "<installation>/common/petsoc"; false when it does not fit a path buffer.
bool PetsocFolder(std::string& folder);

}  // namespace cleaner
