#include "sim/host/pet_printer.h"

#include <cinttypes>
#include <cstddef>
#include <cstdio>
#include <cstring>

namespace simhost {

namespace {

// A fixed-size name field up to its NUL (or its whole size without one).
std::string Field(const char* bytes, std::size_t size)
{
    const void* nul = std::memchr(bytes, '\0', size);
    return std::string(bytes, nul ? static_cast<const char*>(nul) - bytes : size);
}

}  // namespace

std::string DescribePet(const PetInfo& pet)
{
    std::string avatars;
    const unsigned slots = sizeof pet.avatarItems / sizeof pet.avatarItems[0];
    for (unsigned i = 0; i < pet.avatarnum && i < slots; ++i) {
        char item[16];
        std::snprintf(item, sizeof item, "%d.%u#", pet.avatarItems[i].code,
                      static_cast<unsigned>(pet.avatarItems[i].number));
        avatars += item;
    }
    char numbers[160];
    std::snprintf(numbers, sizeof numbers, " petLevel=%u vipFlag=%d avatarVersion=%u",
                  static_cast<unsigned>(pet.petLevel), static_cast<int>(pet.vipFlag),
                  static_cast<unsigned>(pet.avatarVersion));
    char id[32], title[32];
    std::snprintf(id, sizeof id, "%" PRIu64, pet.petid);
    std::snprintf(title, sizeof title, "%u", static_cast<unsigned>(pet.titleid));
    return "petid=" + std::string(id) + " petname=" + Field(pet.petname, sizeof pet.petname) +
           " kivname=" + Field(pet.kivname, sizeof pet.kivname) + numbers +
           " avatardata=" + avatars + " titleid=" + title;
}

}  // namespace simhost
