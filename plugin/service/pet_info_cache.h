// PetInfoCache: the last record received for each pet id, kept until emptied. Records only
// ever leave by copy, so entries can be replaced at any time.
//
// A flat table: the records lie by value in fixed chunks of 1,024, in the order their ids
// first came, and an open-addressing index (linear probing, at most half full) maps each
// id to its record number. A lookup reads one or two cache lines of the index, then the
// record; storing a new pet allocates only when it starts a chunk or the index doubles,
// and no record is ever moved.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include <lumarin/lumarin.h>

class PetInfoCache {
public:
    // Each of the block's records, in order, replaces (or creates) the entry of its petid.
    void Store(const PetInfoList& list);
    // Empties the cache and gives its memory back.
    void Clear();
    // The cached record of `petId`, valid until the next Store or Clear; null when none.
    const PetInfo* Find(std::uint64_t petId) const;

    std::int32_t GetCachedPetInfo(std::uint64_t petId, PetInfo* out) const;
    std::int32_t GetCachedPetInfoList(PetInfoList* list) const;

private:
    static constexpr std::uint32_t kEmpty = 0xFFFFFFFFu;
    struct Slot {
        std::uint64_t petId;
        std::uint32_t record;  // record number, or kEmpty
    };

    // The slot holding `petId`, or the empty slot where it would go. The index is not empty.
    std::size_t SlotOf(std::uint64_t petId) const;
    // Doubles the index (16 slots at first) and places every entry again.
    void GrowIndex();
    PetInfo& Record(std::uint32_t number) { return chunks_[number / kChunk][number % kChunk]; }
    const PetInfo& Record(std::uint32_t number) const
    {
        return chunks_[number / kChunk][number % kChunk];
    }

    static constexpr std::uint32_t kChunk = 1024;
    std::vector<Slot> slots_;  // a power of two in size
    unsigned shift_ = 64;      // 64 - log2(slots_.size())
    std::vector<std::unique_ptr<PetInfo[]>> chunks_;
    std::uint32_t count_ = 0;  // records stored
};
