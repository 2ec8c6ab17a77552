#include "plugin/service/pet_info_cache.h"

#include <cstring>

void PetInfoCache::Store(const PetInfoList& list)
{
    const PetInfo* record = list.records;
    for (std::uint16_t i = 0; i < list.count; ++i, ++record) {
        // A new entry starts as zero bytes; the record's 136 bytes then replace it whole.
        PetInfo& entry = records_.try_emplace(record->petid).first->second;
        std::memcpy(&entry, record, sizeof entry);
    }
}

const PetInfo* PetInfoCache::Find(std::uint64_t petId) const
{
    auto found = records_.find(petId);
    return found == records_.end() ? nullptr : &found->second;
}

std::int32_t PetInfoCache::GetCachedPetInfo(std::uint64_t petId, PetInfo* out) const
{
    const PetInfo* record = Find(petId);
    if (!record || !out)
        return 0;
    std::memcpy(out, record, sizeof *out);
    return 1;
}

std::int32_t PetInfoCache::GetCachedPetInfoList(PetInfoList* list) const
{
    if (!list)
        return 0;
    std::int32_t result = 1;
    PetInfo* slot = list->records;
    for (std::uint16_t i = 0; i < list->count; ++i, ++slot) {
        std::uint64_t petId;
        std::memcpy(&petId, slot, sizeof petId);
        const PetInfo* record = Find(petId);
        if (record)
            std::memcpy(slot, record, sizeof *slot);
        else
            result = 0;
    }
    return result;
}
