// The pets lumarin-host serves: a JSON pets file, or the built-in sample set.
#pragma once

#include <string>

#include "sim/host/substitute_host.h"

namespace simhost {

// Reads {"pets": [...], "titles": {"7": {"name": ..., "color": ...}}} into the host's pets
// and titles. False, with a message naming the pet and field, for a file that cannot be
// read or breaks the rules (a name over 16 bytes, more than 20 avatar items, a value out
// of its field's range, a missing field).
bool LoadPetsFile(const std::string& path, SubstituteHost& host, std::string& error);

// The sample set: the worked example (433791706897, Pip, Ann) and a few more pets.
void LoadSamplePets(SubstituteHost& host);

}  // namespace simhost
