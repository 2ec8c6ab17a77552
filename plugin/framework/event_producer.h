// IEventProducerImpl: a list of listeners, each under a kind (1 for E1, 2 for E2, 3 for E3),
// at most one entry per listener, in order of addition.
// FireEvent calls kind-1 listeners newest first, on a snapshot of the list: a listener added
// during a fire is not called in it; one removed during a fire is not called after that.
// Not thread-safe: every call comes from the host's one thread.
#pragma once

#include <cstdint>
#include <list>
#include <vector>

template <class E1, class E2, class E3, int n>
class IEventProducerImpl {
public:
    virtual ~IEventProducerImpl() = default;  // frees the entries without calling anyone

    // Removes any entry of `listener`, then appends it under `kind`; answers the entry count.
    virtual std::int32_t AddEventListener(void* listener, std::int32_t kind)
    {
        RemoveEventListener(listener);
        entries_.push_back({listener, kind});
        return static_cast<std::int32_t>(entries_.size());
    }
    virtual std::int32_t AddEventListener(E3* listener) { return AddEventListener(listener, 3); }
    virtual std::int32_t AddEventListener(E2* listener) { return AddEventListener(listener, 2); }
    virtual std::int32_t AddEventListener(E1* listener) { return AddEventListener(listener, 1); }
    // Removes every entry of `listener`, whatever its kind.
    virtual void RemoveEventListener(void* listener)
    {
        entries_.remove_if([listener](const Entry& entry) { return entry.listener == listener; });
    }

    // Calls E1's first operation with (first, second) on every kind-1 listener.
    // It is named, OnPetInfoResult, because E1 is always ILumarinEvent (its one event).
    template <class A, class B>
    void FireEvent(A first, B second)
    {
        FireEvent(first, second, [] { return true; });
    }
    // The same, stopping before any further call once `keepGoing()` answers false.
    template <class A, class B, class KeepGoing>
    void FireEvent(A first, B second, KeepGoing&& keepGoing)
    {
        std::vector<Entry> snapshot(entries_.begin(), entries_.end());
        while (!snapshot.empty() && keepGoing()) {
            Entry entry = snapshot.back();
            snapshot.pop_back();
            if (entry.kind == 1 && IsListening(entry.listener))
                static_cast<E1*>(entry.listener)->OnPetInfoResult(first, second);
        }
    }

private:
    struct Entry {
        void* listener;
        std::int32_t kind;
    };

    bool IsListening(void* listener) const
    {
        for (const Entry& entry : entries_) {
            if (entry.listener == listener)
                return true;
        }
        return false;
    }

    std::list<Entry> entries_;
};
