#include "plugin/framework/host_session.h"

#include <map>

namespace lumarin {

namespace {

// The caches in use, by the top of their host's parent chain; an entry goes with the last
// session that uses it. Sessions of their own are listed under their own address. Made
// with the first entry and freed with the last, so that neither unloading the library nor
// a host's static destructors meet it destroyed or leaked.
using CacheTable = std::map<const void*, std::weak_ptr<HostInterfaceCache>>;
CacheTable* caches = nullptr;

template <class Visit>
void ForEachSlot(HostInterfaceCache& cache, Visit&& visit)
{
    std::apply([&visit](auto&... slots) { (visit(slots), ...); }, cache);
}

}  // namespace

IPlugin* TopOfParentChain(IPlugin* start)
{
    IPlugin* plugin = start;
    for (int steps = 0; plugin && steps < kMaxParentChain; ++steps) {
        IPlugin* parent = plugin->GetParent();
        if (!parent)
            return plugin;
        plugin = parent;
    }
    return nullptr;
}

void DropHostInterfaces(HostInterfaceCache& cache, const void* instance)
{
    ForEachSlot(cache, [instance](auto& slot) {
        if (slot.pointer && slot.filler == instance)
            slot = {};
    });
}

void ForgetServiceEverywhere(const ILumarin* service)
{
    if (!caches)
        return;
    for (auto& entry : *caches) {
        if (std::shared_ptr<HostInterfaceCache> cache = entry.second.lock()) {
            CachedInterface<ILumarin>& slot = std::get<CachedInterface<ILumarin>>(*cache);
            if (slot.pointer == service)
                slot = {};
        }
    }
}

HostSession::HostSession()
{
    Open(nullptr);
}

HostSession::HostSession(IObject& owner) : owner_(&owner) {}

HostSession::~HostSession()
{
    Close(nullptr);
}

void HostSession::Open(IPlugin* top)
{
    const void* key = top ? static_cast<const void*>(top) : this;
    if (!caches)
        caches = new CacheTable;
    std::weak_ptr<HostInterfaceCache>& entry = (*caches)[key];
    cache_ = entry.lock();
    if (!cache_) {
        cache_ = std::make_shared<HostInterfaceCache>();
        entry = cache_;
    }
    open_ = true;
}

void HostSession::Close(const void* instance)
{
    open_ = false;
    if (!cache_)
        return;
    if (instance)
        DropHostInterfaces(*cache_, instance);
    cache_.reset();
    // Entries no session uses any more go.
    for (auto entry = caches->begin(); entry != caches->end();) {
        if (entry->second.expired())
            entry = caches->erase(entry);
        else
            ++entry;
    }
    if (caches->empty()) {
        delete caches;
        caches = nullptr;
    }
}

HostSession::Scope::~Scope()
{
    HostSession& session = session_;
    if (--session.depth_ == 0 && session.destroyPending_ && session.owner_)
        session.owner_->Destroy();  // frees the session too: nothing after this
}

bool HostSession::DestroyNowOrLater()
{
    if (depth_ == 0)
        return true;
    destroyPending_ = true;
    return false;
}

}  // namespace lumarin
