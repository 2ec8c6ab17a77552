#include "plugin/service/pet_info_cache.h"

#include <cstring>
#include <utility>

std::size_t PetInfoCache::SlotOf(std::uint64_t petId) const
{
    // Fibonacci hashing: the product's top bits spread ids that differ in any bits.
    const std::size_t mask = slots_.size() - 1;
    std::size_t at = static_cast<std::size_t>((petId * 0x9E3779B97F4A7C15ULL) >> shift_);
    while (slots_[at].record != kEmpty && slots_[at].petId != petId)
        at = (at + 1) & mask;
    return at;
}

void PetInfoCache::GrowIndex()
{
    const std::size_t size = slots_.empty() ? 16 : slots_.size() * 2;
    std::vector<Slot> old(size, Slot{0, kEmpty});
    old.swap(slots_);
    shift_ = 64;
    for (std::size_t bits = size; bits > 1; bits >>= 1)
        --shift_;
    // From the old index, which holds every id: no record is read.
    for (const Slot& slot : old) {
        if (slot.record != kEmpty)
            slots_[SlotOf(slot.petId)] = slot;
    }
}

void PetInfoCache::Store(const PetInfoList& list)
{
    const PetInfo* record = list.records;
    for (std::uint16_t i = 0; i < list.count; ++i, ++record) {
        if (2 * (std::size_t{count_} + 1) > slots_.size())
            GrowIndex();
        Slot& slot = slots_[SlotOf(record->petid)];
        if (slot.record == kEmpty) {
            if (count_ % kChunk == 0) {
                // Filled as records arrive; owned before the list grows, so that a failed
                // growth frees it.
                std::unique_ptr<PetInfo[]> chunk(new PetInfo[kChunk]);
                chunks_.push_back(std::move(chunk));
            }
            slot = Slot{record->petid, count_++};
        }
        // The record's 136 bytes replace the entry whole.
        std::memcpy(&Record(slot.record), record, sizeof(PetInfo));
    }
}

void PetInfoCache::Clear()
{
    std::vector<Slot>().swap(slots_);
    std::vector<std::unique_ptr<PetInfo[]>>().swap(chunks_);
    count_ = 0;
    shift_ = 64;
}

const PetInfo* PetInfoCache::Find(std::uint64_t petId) const
{
    if (slots_.empty())
        return nullptr;
    const Slot& slot = slots_[SlotOf(petId)];
    return slot.record == kEmpty ? nullptr : &Record(slot.record);
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
