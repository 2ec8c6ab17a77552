#include "plugin/framework/host_components.h"

namespace lumarin {

HostInterfaceCache& HostInterfaces()
{
    static HostInterfaceCache caches;
    return caches;
}

void DropHostInterfaces(const void* instance)
{
    auto drop = [instance](auto& slot) {
        if (slot.pointer && slot.filler == instance)
            slot = {};
    };
    std::apply([&drop](auto&... slots) { (drop(slots), ...); }, HostInterfaces());
}

}  // namespace lumarin
