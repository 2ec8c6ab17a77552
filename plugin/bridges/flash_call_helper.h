// TFlashAPICenterCallHelper: the Flash centre's callback interface for a class T that
// registers member functions by method name. Calls from movies are routed by exact name,
// each run as a call of T's plug-in instance (T::Session()).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include <lumarin/host_interfaces.h>

template <class T>
class TFlashAPICenterCallHelper : public IFlashAPICenterExternalInterface {
public:
    using Handler = void (T::*)(std::uint32_t caller, IFlashCallRecord* call);
    struct MethodEntry {
        BOOL32 handled;
        Handler handler;
    };

    void OnCall(std::uint32_t caller, IFlashCallRecord* call, BOOL32* handled) override
    {
        if (callerFilter_ != 0 && callerFilter_ != caller)
            return;
        Dispatch(caller, call, handled);
    }
    void OnNotify(std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) override {}
    // 1 when a registered handler ran to its end, else 0.
    BOOL32 Dispatch(std::uint32_t caller, IFlashCallRecord* call, BOOL32* handled) override
    {
        BOOL32 routed = 0;
        static_cast<T*>(this)->Session().Call(
            [&] { routed = Route(caller, call, handled); });
        return routed;
    }

protected:
    ~TFlashAPICenterCallHelper()
    {
        callerFilter_ = 0;
        center_ = nullptr;
    }

    // Routes `name` to `handler` and registers it with the centre; 0 without a centre.
    BOOL32 RegisterMethod(const char* name, Handler handler)
    {
        if (!name || !center_)
            return 0;
        methods_[name] = MethodEntry{1, handler};
        center_->RegisterFlashMethod(name, this);
        return 1;
    }
    // Unregisters every method, in name order, from the centre they were registered with.
    // Both are forgotten first: a nested call (the host uninitialising from inside one of
    // these) finds nothing left to undo.
    void UnregisterMethods()
    {
        IFlashAPICenter* center = center_;
        center_ = nullptr;
        std::map<std::string, MethodEntry, std::less<>> methods;
        methods.swap(methods_);
        if (!center)
            return;
        for (const auto& method : methods)
            center->UnregisterFlashMethod(method.first.c_str(), this);
    }

    // Looked up by the caller's text without copying it (std::less<>), so routing a call
    // allocates nothing.
    std::map<std::string, MethodEntry, std::less<>> methods_;
    std::uint32_t callerFilter_ = 0;     // 0 takes calls from every caller
    IFlashAPICenter* center_ = nullptr;  // the host's; borrowed

private:
    // Dispatch's work: the handler registered under the call's name, if any.
    BOOL32 Route(std::uint32_t caller, IFlashCallRecord* call, BOOL32* handled)
    {
        const char* name = call ? call->GetName() : nullptr;
        if (!name)
            return 0;
        auto found = methods_.find(name);
        if (found == methods_.end())
            return 0;
        if (handled)
            *handled = found->second.handled;
        if (!found->second.handler)
            return 0;
        (static_cast<T*>(this)->*found->second.handler)(caller, call);
        return 1;
    }
};
