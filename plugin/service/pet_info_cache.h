// PetInfoCache: the last record received for each pet id, kept until emptied. Records only
// ever leave by copy, so entries can be replaced at any time.
#pragma once

#include <cstdint>
#include <map>

#include "plugin/service/lumarin.h"

class PetInfoCache {
public:
    // Each of the block's records, in order, replaces (or creates) the entry of its petid.
    void Store(const PetInfoList& list);
    void Clear() { records_.clear(); }
    const PetInfo* Find(std::uint64_t petId) const;

    std::int32_t GetCachedPetInfo(std::uint64_t petId, PetInfo* out) const;
    std::int32_t GetCachedPetInfoList(PetInfoList* list) const;

private:
    std::map<std::uint64_t, PetInfo> records_;
};
