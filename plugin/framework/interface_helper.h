// TInterfaceHelper: finds host components, starting at a plug-in and walking up its
// parents. Used by the service plug-in and by the script bridges.
#pragma once

#include <lumarin/object.h>

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
    // plug-in); failing that, the topmost plug-in when its name is `componentId`; else null.
    virtual IPlugin* QueryComponent(const char* componentId, IPlugin* start);
    virtual IPlugin* GetComponent(const char* componentId, IPlugin* start);

private:
    IPlugin* plugin_ = nullptr;
};
