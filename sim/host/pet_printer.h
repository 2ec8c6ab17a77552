// How lumarin-host prints a cached record: its own printer, written apart from the plug-in's
// bridges, so that a fault in theirs shows in its output instead of repeating there.
#pragma once

#include <string>

#include <lumarin/lumarin.h>

namespace simhost {

// "petid=... petname=... kivname=... petLevel=... vipFlag=... avatarVersion=...
// avatardata=<code>.<number># for each item in use> titleid=...", names up to their NUL.
std::string DescribePet(const PetInfo& pet);

}  // namespace simhost
