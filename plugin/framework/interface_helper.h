// TInterfaceHelper: finds host components, starting at a plug-in and walking up its
// parents. Used by the service plug-in and by the script bridges.
#pragma once

#include <lumarin/object.h>

namespace lumarin {
// A longer parent chain than any host builds: a walk that has not reached the top by then
// loops, and stops.
constexpr int kMaxParentChain = 256;
}  // namespace lumarin

class TInterfaceHelper {
public:
    virtual ~TInterfaceHelper();
    // Stores `plugin` when it is non-null; answers whether it was.
    virtual BOOL32 Attach(IPlugin* plugin);
    virtual void Detach();
    // The plug-in at which lookups start; borrowed.
    virtual void SetPlugin(IPlugin* plugin);
    virtual IPlugin* GetPlugin();
    // The component registered as `componentId` nearest to `start` (or to the stored
    // plug-in); failing that, the topmost plug-in when its name is `componentId`; else null,
    // also when the parent chain loops.
    virtual IPlugin* QueryComponent(const char* componentId, IPlugin* start);
    virtual IPlugin* GetComponent(const char* componentId, IPlugin* start);

private:
    IPlugin* plugin_ = nullptr;
};
