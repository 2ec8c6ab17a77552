// The host's object loader: a new protocol object for each load of "Quorlink.dll" with the
// protocol class id, kept until the host ends; loads and releases are recorded.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <lumarin/host_interfaces.h>

#include "sim/host/pet_protocol.h"

namespace simhost {

class ObjectLoader : public IObjectLoader {
public:
    explicit ObjectLoader(const PetDatabase& pets) : pets_(pets) {}
    virtual ~ObjectLoader() = default;

    IObject* LoadObject(IObject* owner, const char* moduleName, ClassId classId) override;
    BOOL32 ReleaseObject(IObject* object, std::int32_t flag) override;

    // The protocol object loaded last, or null.
    PetProtocol* Current() const { return loaded_.empty() ? nullptr : loaded_.back().get(); }

    bool answerNull = false;  // LoadObject gives null, as when the module is missing
    bool record = true;       // protocol objects loaded from now on keep their requests
    struct Load {
        IObject* owner;
        std::string moduleName;
        ClassId classId;
    };
    std::vector<Load> loads;
    std::vector<std::pair<IObject*, std::int32_t>> releases;

private:
    const PetDatabase& pets_;
    std::vector<std::unique_ptr<PetProtocol>> loaded_;
};

}  // namespace simhost
