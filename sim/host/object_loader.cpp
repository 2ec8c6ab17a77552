#include "sim/host/object_loader.h"

namespace simhost {

IObject* ObjectLoader::LoadObject(IObject* owner, const char* moduleName, ClassId classId)
{
    loads.push_back({owner, moduleName ? moduleName : "", classId});
    if (answerNull || !moduleName || std::string(moduleName) != "Quorlink.dll" ||
        classId != kPetZoneShowInfoProtocolClassId)
        return nullptr;
    loaded_.push_back(std::make_unique<PetProtocol>(pets_, record));
    return loaded_.back().get();
}

BOOL32 ObjectLoader::ReleaseObject(IObject* object, std::int32_t flag)
{
    releases.emplace_back(object, flag);
    return 1;
}

}  // namespace simhost
