// Pet records for tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include <lumarin/lumarin.h>

// A record whose every byte, reserved ones included, is set: byte i is `seed` + i, then
// the fields that matter are written over it.
inline PetInfo PatternedPet(std::uint64_t petId, unsigned char seed = 1)
{
    PetInfo pet;
    auto* bytes = reinterpret_cast<unsigned char*>(&pet);
    for (std::size_t i = 0; i < sizeof pet; ++i)
        bytes[i] = static_cast<unsigned char>(seed + i);
    pet.petid = petId;
    pet.avatarnum = 2;
    return pet;
}

// A result block holding `pets`, in 8-aligned storage.
class ResultBlock {
public:
    explicit ResultBlock(const std::vector<PetInfo>& pets)
        : storage_(1 + pets.size() * sizeof(PetInfo) / 8 + 1)
    {
        List()->count = static_cast<std::uint16_t>(pets.size());
        for (std::size_t i = 0; i < pets.size(); ++i)
            std::memcpy(&List()->records[0] + i, &pets[i], sizeof(PetInfo));
    }
    PetInfoList* List() { return reinterpret_cast<PetInfoList*>(storage_.data()); }
    PetInfo& Record(std::size_t i) { return (&List()->records[0])[i]; }

private:
    std::vector<std::uint64_t> storage_;
};
