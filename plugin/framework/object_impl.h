// IObjectImpl: the IObject operations for a class with the given class id.
#pragma once

#include <lumarin/object.h>

template <ClassId kClassId, class T, class Interface>
class IObjectImpl : public Interface {
public:
    ClassId GetClassId() override { return kClassId; }
    void SetObjectLoader(IObjectLoader* loader) override { objectLoader_ = loader; }
    void Uninitialize() override {}
    void Destroy() override { delete this; }
    virtual ~IObjectImpl() = default;

protected:
    IObjectLoader* objectLoader_ = nullptr;  // the host's; borrowed
};
