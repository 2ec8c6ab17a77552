// HostSession: what one plug-in instance shares with its script bridges while a host uses
// it. It holds the cache of host interfaces (shared by every instance under the same host),
// says whether the host may still be called, and keeps the instance alive while one of its
// calls runs.
//
// - The cache: instances whose parent chains end at the same top plug-in share one cache;
//   an instance without a parent has one of its own. So no instance ever uses a component
//   that another host gave. What an instance's lookups filled is forgotten when it closes.
// - Open from Initialize to the end of Uninitialize. Closed, every lookup answers null and
//   no call goes to the host: a delivery in progress stops at its next host call.
// - Calls: every call from the host, and every callback into a bridge, runs inside a Scope.
//   A Destroy meanwhile only marks the instance; it is destroyed when the outermost Scope
//   ends, so no call ever runs on a freed instance.
// Not thread-safe: every call comes from the host's one thread.
#pragma once

#include <memory>
#include <tuple>

#include <lumarin/host_interfaces.h>
#include <lumarin/lumarin.h>

#include "plugin/framework/host_call.h"
#include "plugin/framework/host_lookup.h"

namespace lumarin {

// One cache entry per cached component.
using HostInterfaceCache =
    std::tuple<CachedInterface<IFlashAPICenter>, CachedInterface<IBrowserAPICenter>,
               CachedInterface<IPhasesLogic>, CachedInterface<IKivPetTitleSystem>,
               CachedInterface<IMainLogicPluginLoader>, CachedInterface<ILumarin>>;

// The top of `start`'s parent chain (`start` itself when it has no parent); null for a null
// `start` or a chain that loops or runs longer than kMaxParentChain.
IPlugin* TopOfParentChain(IPlugin* start);

// Empties every entry of `cache` that `instance` filled.
void DropHostInterfaces(HostInterfaceCache& cache, const void* instance);

// Empties every entry, in every cache, that holds `service`: it is being destroyed.
void ForgetServiceEverywhere(const ILumarin* service);

class HostSession {
public:
    // An open session with a cache of its own and no instance to destroy: a script bridge
    // used on its own.
    HostSession();
    // A closed session of `owner`, the instance Destroy frees.
    explicit HostSession(IObject& owner);
    ~HostSession();
    HostSession(const HostSession&) = delete;
    HostSession& operator=(const HostSession&) = delete;

    // Joins the cache of the host whose parent chain ends at `top` (null: a cache of this
    // session's own) and allows host calls.
    void Open(IPlugin* top);
    // Forgets what `instance`'s lookups cached and allows no further host call.
    void Close(const void* instance);
    bool IsOpen() const { return open_; }
    // The cache; only while open.
    HostInterfaceCache& Cache() { return *cache_; }
    const std::shared_ptr<HostInterfaceCache>& SharedCache() const { return cache_; }

    // Marks a call of the instance as running for its lifetime.
    class Scope {
    public:
        explicit Scope(HostSession& session) : session_(session) { ++session_.depth_; }
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        HostSession& session_;
    };
    // True when the owner may be freed now; else it is freed when the outermost call ends.
    bool DestroyNowOrLater();

    // Runs `work` as a call of the instance, swallowing any exception (RunHostCall).
    template <class Work>
    void Call(Work&& work) noexcept
    {
        Scope scope(*this);
        RunHostCall(work);
    }

private:
    IObject* owner_ = nullptr;
    std::shared_ptr<HostInterfaceCache> cache_;
    bool open_ = false;
    int depth_ = 0;
    bool destroyPending_ = false;
};

}  // namespace lumarin
