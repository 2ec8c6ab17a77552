#include "sim/host/pet_protocol.h"

#include <cstddef>
#include <cstring>

namespace simhost {

BOOL32 PetProtocol::Bind(IOnlineRootProtocol* onlineRoot,
                         Protocol::IGetPetZoneShowInfo2ProtocolEvent* sink, std::int32_t flag)
{
    bindings.push_back({onlineRoot, sink, flag});
    sink_ = sink;
    return 1;
}

BOOL32 PetProtocol::Unbind()
{
    sink_ = nullptr;
    return 1;
}

BOOL32 PetProtocol::Request(PetIdList* ids)
{
    if (!ids)
        return 0;
    std::size_t count = ids->count < kMaxPetIds ? ids->count : kMaxPetIds;
    std::vector<std::uint64_t> copy(ids->ids, ids->ids + count);
    if (record_)
        requests.push_back(copy);
    pending_.push_back({false, std::move(copy)});
    return 1;
}

void PetProtocol::QueueFailure()
{
    pending_.push_back({true, {}});
}

void PetProtocol::DeliverPending()
{
    // A callback may queue more; those are answered in this delivery too.
    while (sink_ && !pending_.empty()) {
        Pending pending = std::move(pending_.front());
        pending_.pop_front();
        Answer(pending);
    }
}

void PetProtocol::Answer(const Pending& pending)
{
    void* sender = static_cast<IPetZoneShowInfoProtocol*>(this);
    std::vector<const PetInfo*> known;
    for (std::uint64_t id : pending.ids) {
        auto found = pets_.find(id);
        if (found != pets_.end())
            known.push_back(&found->second);
    }
    if (pending.failure || known.empty()) {
        sink_->OnError(sender, 1);
        return;
    }
    // The block: an 8-byte head, then the records; 8-aligned storage.
    std::vector<std::uint64_t> block(1 + known.size() * sizeof(PetInfo) / 8);
    auto* list = reinterpret_cast<PetInfoList*>(block.data());
    list->count = static_cast<std::uint16_t>(known.size());
    auto* records = reinterpret_cast<unsigned char*>(block.data()) + 8;
    for (std::size_t i = 0; i < known.size(); ++i)
        std::memcpy(records + i * sizeof(PetInfo), known[i], sizeof(PetInfo));
    sink_->OnResult(sender, list);
}

}  // namespace simhost
