// The protocol object the host's loader gives out for "Quorlink.dll": it keeps each request
// and answers later, when the host delivers what is pending, never inside Request.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <vector>

#include <lumarin/host_interfaces.h>
#include <lumarin/lumarin.h>

namespace simhost {

using PetDatabase = std::map<std::uint64_t, PetInfo>;

class PetProtocol : public IPetZoneShowInfoProtocol {
public:
    PetProtocol(const PetDatabase& pets, bool record) : record_(record), pets_(pets) {}
    virtual ~PetProtocol() = default;

    ClassId GetClassId() override { return kPetZoneShowInfoProtocolClassId; }
    void SetObjectLoader(IObjectLoader*) override {}
    void Uninitialize() override {}
    void Destroy() override {}  // owned by the object loader

    BOOL32 Bind(IOnlineRootProtocol* onlineRoot,
                Protocol::IGetPetZoneShowInfo2ProtocolEvent* sink, std::int32_t flag) override;
    BOOL32 Unbind() override;
    BOOL32 Request(PetIdList* ids) override;

    // Queues a failure report, as the protocol layer sends when a request fails.
    void QueueFailure();
    // Answers every queued request, in order: the known ids in one OnResult, in request
    // order; a request with no known id gets OnError. Answers nothing while unbound.
    void DeliverPending();

    // What the plug-in did, for tests.
    struct Binding {
        IOnlineRootProtocol* onlineRoot;
        Protocol::IGetPetZoneShowInfo2ProtocolEvent* sink;
        std::int32_t flag;
    };
    std::vector<Binding> bindings;
    std::vector<std::vector<std::uint64_t>> requests;  // the ids of each block, when recording

private:
    bool record_;
    struct Pending {
        bool failure;
        std::vector<std::uint64_t> ids;
    };
    void Answer(const Pending& pending);

    const PetDatabase& pets_;
    Protocol::IGetPetZoneShowInfo2ProtocolEvent* sink_ = nullptr;
    std::deque<Pending> pending_;
};

}  // namespace simhost
