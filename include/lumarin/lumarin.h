// The pet info service, for host components: the records and blocks it moves, the service
// interface ILumarin, the listener interface ILumarinEvent and the class ids.
// Records and blocks are fixed little-endian layouts copied across modules as plain memory.
#pragma once

#include <cstddef>
#include <cstdint>

// Class id of the service plug-in, for the host's plug-in loader.
constexpr std::uint32_t kLumarinClassId = 0xF029001;
// Class id of the protocol object the service loads from "Quorlink.dll".
constexpr std::uint32_t kPetZoneShowInfoProtocolClassId = 0x100053A;

struct AvatarItem {
    std::int8_t code;  // rendered with "%d"
    std::uint8_t reserved;
    std::uint16_t number;  // rendered with "%u"
};

// One pet's profile. `petid` bits 0-31 are the owner's account number, bits 32-47 the pet
// type code. The names are ANSI text of at most 16 bytes followed by a NUL.
struct alignas(8) PetInfo {
    std::uint64_t petid;
    char petname[17];
    char kivname[17];
    std::uint16_t petLevel;
    std::int8_t vipFlag;
    std::uint8_t reserved1;
    std::uint16_t avatarVersion;
    std::uint16_t avatarnum;  // valid entries of avatarItems, 0 to 20
    AvatarItem avatarItems[20];
    std::uint16_t titleid;
    std::uint8_t reserved2[4];
};

constexpr std::size_t kMaxPetIds = 100;

// A request: `count` ids, 1 to 100. Belongs to its maker; valid during the call it is
// handed to.
struct alignas(8) PetIdList {
    std::uint16_t count;
    std::uint8_t reserved[6];
    std::uint64_t ids[kMaxPetIds];
};

// A result: `count` records from offset 8, back to back. The block is as long as its maker
// made it (PetInfoListSize); only the first `count` records are ever touched. Valid during
// the call it is handed to. `records[1]` only starts the array.
struct alignas(8) PetInfoList {
    std::uint16_t reserved1;
    std::uint16_t count;
    std::uint8_t reserved2[4];
    PetInfo records[1];
};

static_assert(sizeof(AvatarItem) == 4 && alignof(AvatarItem) == 2, "AvatarItem layout");
static_assert(offsetof(AvatarItem, code) == 0 && offsetof(AvatarItem, number) == 2,
              "AvatarItem layout");
static_assert(sizeof(PetInfo) == 136 && alignof(PetInfo) == 8, "PetInfo layout");
static_assert(offsetof(PetInfo, petid) == 0 && offsetof(PetInfo, petname) == 8 &&
                  offsetof(PetInfo, kivname) == 25 && offsetof(PetInfo, petLevel) == 42 &&
                  offsetof(PetInfo, vipFlag) == 44 && offsetof(PetInfo, avatarVersion) == 46 &&
                  offsetof(PetInfo, avatarnum) == 48 && offsetof(PetInfo, avatarItems) == 50 &&
                  offsetof(PetInfo, titleid) == 130,
              "PetInfo layout");
static_assert(sizeof(PetIdList) == 808 && alignof(PetIdList) == 8 &&
                  offsetof(PetIdList, count) == 0 && offsetof(PetIdList, ids) == 8,
              "PetIdList layout");
static_assert(alignof(PetInfoList) == 8 && offsetof(PetInfoList, count) == 2 &&
                  offsetof(PetInfoList, records) == 8,
              "PetInfoList layout");

// The bytes a PetInfoList of `count` records takes (at least one record's room, as the
// declaration has), for a host that makes result blocks.
constexpr std::size_t PetInfoListSize(std::uint16_t count)
{
    return offsetof(PetInfoList, records) + (count ? count : 1) * sizeof(PetInfo);
}

// Receives every result and failure of the service, whoever asked. Listeners:
// - are called on the client's main thread, newest registration first, each at most once
//   per event;
// - may call the service from the callback: request, read the cache, add or remove
//   listeners (themselves included). A listener removed by an earlier callback of the same
//   event is not called for it; one added during an event is called from the next event on;
// - must stay alive until removed (RemoveListener); the service never frees them.
class ILumarinEvent {
public:
    // `success` 1 with the result block, or 0 with null (a failure: which pets failed is not
    // told). The block and its records are the protocol layer's: read them during the call
    // only, never write or keep the pointer; copy what you keep.
    virtual void OnPetInfoResult(std::int32_t success, PetInfoList* list) = 0;

protected:
    ~ILumarinEvent() = default;
};

// The service, for host components: found as the component "lumarin" (or asked of the
// plug-in with GetInterface("ILumarin")); its answers come later, to the listeners. Every
// call on the client's main thread. How to host the plug-in is in
// <lumarin/host_interfaces.h>.
class ILumarin {
public:
    // Asks for one pet; id 0 is ignored.
    virtual void RequestPetInfo(std::uint64_t petId) = 0;
    // Asks for the listed pets; an empty block, or one of more than 100 ids, is ignored.
    virtual void RequestPetInfoList(PetIdList* ids) = 0;
    // Copies the cached record of `petId` into `out` and answers 1; 0 when not cached
    // (then `out` is untouched) or `out` is null.
    virtual std::int32_t GetCachedPetInfo(std::uint64_t petId, PetInfo* out) = 0;
    // Fills each slot of `list` whose first 8 bytes hold a cached id; answers 1 when all
    // were cached, 0 otherwise or for a null block. The first argument is ignored.
    virtual std::int32_t GetCachedPetInfoList(std::int32_t, PetInfoList* list) = 0;
    // Registers a listener (again: moves it last, so it is called first); null is ignored.
    // The listener is borrowed until removed.
    virtual void AddListener(ILumarinEvent* listener) = 0;
    virtual void RemoveListener(ILumarinEvent* listener) = 0;

protected:
    ~ILumarin() = default;
};
