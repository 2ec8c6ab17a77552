#include "plugin/framework/host_session.h"

#include <map>

namespace lumarin {

namespace {

// The caches in use, by the top of their host's parent chain; an entry goes with the last
// session that uses it. Sessions of their own are listed under their own address.
std::map<const void*, std::weak_ptr<HostInterfaceCache>>& Caches()
{
    static std::map<const void*, std::weak_ptr<HostInterfaceCache>> caches;
    return caches;
}

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
    for (auto& entry : Caches()) {
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
    std::weak_ptr<HostInterfaceCache>& entry = Caches()[key];
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
    for (auto entry = Caches().begin(); entry != Caches().end();) {
        if (entry->second.expired())
            entry = Caches().erase(entry);
        else
            ++entry;
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
