// The pet info service with 100,000 cached pets: cache reads, storing a result block, a
// single-pet request and an event to 10 listeners; and the cache filling up to that size.
// "allocs/op" counts operator new calls.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

#include "plugin/service/lumarin_plugin.h"
#include "plugin/service/pet_info_cache.h"
#include "sim/host/components.h"

namespace {

std::atomic<long long> g_allocations{0};

}  // namespace

void* operator new(std::size_t size)
{
    ++g_allocations;
    if (void* memory = std::malloc(size ? size : 1))
        return memory;
    throw std::bad_alloc();
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }

namespace {

constexpr int kCachedPets = 100000;

// A protocol object that takes requests and never answers.
class SilentProtocol : public IPetZoneShowInfoProtocol {
public:
    ClassId GetClassId() override { return kPetZoneShowInfoProtocolClassId; }
    void SetObjectLoader(IObjectLoader*) override {}
    void Uninitialize() override {}
    void Destroy() override {}
    BOOL32 Bind(IOnlineRootProtocol*, Protocol::IGetPetZoneShowInfo2ProtocolEvent*,
                std::int32_t) override
    {
        return 1;
    }
    BOOL32 Unbind() override { return 1; }
    BOOL32 Request(PetIdList* ids) override
    {
        benchmark::DoNotOptimize(ids->ids[0]);
        return 1;
    }
};

class Loader : public IObjectLoader {
public:
    IObject* LoadObject(IObject*, const char*, ClassId) override { return &protocol; }
    BOOL32 ReleaseObject(IObject*, std::int32_t) override { return 1; }
    SilentProtocol protocol;
};

class CountingListener : public ILumarinEvent {
public:
    void OnPetInfoResult(std::int32_t success, PetInfoList*) override { calls += success + 1; }
    long long calls = 0;
};

// A result block of `count` pets with ids first, first + 1, ...
std::vector<std::uint64_t> MakeBlock(std::uint64_t first, int count)
{
    std::vector<std::uint64_t> storage(1 + count * sizeof(PetInfo) / 8);
    auto* list = reinterpret_cast<PetInfoList*>(storage.data());
    list->count = static_cast<std::uint16_t>(count);
    for (int i = 0; i < count; ++i)
        (&list->records[0])[i].petid = first + static_cast<std::uint64_t>(i);
    return storage;
}

// A started plug-in whose cache holds pets 1 to 100,000.
struct Fixture {
    Fixture()
    {
        root.SetComponentContainer(&container);
        container.Add("mainlogicpluginloader", &mainLogic);
        plugin.SetObjectLoader(&loader);
        plugin.Initialize(&root, "lumarin");
        for (int first = 1; first <= kCachedPets; first += 100) {
            auto block = MakeBlock(static_cast<std::uint64_t>(first), 100);
            plugin.OnResult(&loader.protocol, reinterpret_cast<PetInfoList*>(block.data()));
        }
    }
    simhost::HostComponent root{"client"};
    simhost::ComponentContainer container;
    simhost::MainLogicLoader mainLogic{&root};
    Loader loader;
    CLumarinPlugin plugin;
};

Fixture& Started()
{
    static Fixture fixture;
    return fixture;
}

// Runs `operation` per iteration and reports the allocations it made per call.
template <class Operation>
void Measure(benchmark::State& state, Operation operation)
{
    long long before = g_allocations;
    for (auto _ : state)
        operation();
    state.counters["allocs/op"] = benchmark::Counter(
        static_cast<double>(g_allocations - before), benchmark::Counter::kAvgIterations);
}

void CacheHit(benchmark::State& state)
{
    CLumarinPlugin& plugin = Started().plugin;
    PetInfo out;
    std::uint64_t id = 1;
    Measure(state, [&] {
        benchmark::DoNotOptimize(plugin.GetCachedPetInfo(id, &out));
        if (++id > kCachedPets)
            id = 1;
    });
}

// The same few pets asked again and again, as a page showing them does.
void CacheHitHot(benchmark::State& state)
{
    CLumarinPlugin& plugin = Started().plugin;
    PetInfo out;
    std::uint64_t id = 0;
    Measure(state, [&] {
        benchmark::DoNotOptimize(plugin.GetCachedPetInfo(50000 + (id & 15), &out));
        ++id;
    });
}

void CacheMiss(benchmark::State& state)
{
    CLumarinPlugin& plugin = Started().plugin;
    PetInfo out;
    std::uint64_t id = kCachedPets + 1;
    Measure(state, [&] { benchmark::DoNotOptimize(plugin.GetCachedPetInfo(id++, &out)); });
}

void StoreKnownBlock(benchmark::State& state)
{
    Fixture& fixture = Started();
    auto block = MakeBlock(5000, 100);  // ids already cached: replaced in place
    auto* list = reinterpret_cast<PetInfoList*>(block.data());
    Measure(state, [&] { fixture.plugin.OnResult(&fixture.loader.protocol, list); });
}

// Blocks of 100 new pets into a cache that grows from empty to 100,000 pets, then starts
// again empty: what filling the cache costs per block, growth included, at a bounded size.
void StoreNewBlock(benchmark::State& state)
{
    auto cache = std::make_unique<PetInfoCache>();
    std::vector<std::uint64_t> block = MakeBlock(1, 100);
    auto* list = reinterpret_cast<PetInfoList*>(block.data());
    std::uint64_t first = 1;
    long long allocations = 0;
    for (auto _ : state) {
        if (first > kCachedPets) {
            state.PauseTiming();
            cache = std::make_unique<PetInfoCache>();
            first = 1;
            state.ResumeTiming();
        }
        for (std::uint64_t i = 0; i < 100; ++i)
            (&list->records[0])[i].petid = first + i;
        first += 100;
        long long before = g_allocations;
        cache->Store(*list);
        allocations += g_allocations - before;
    }
    state.counters["allocs/op"] =
        benchmark::Counter(static_cast<double>(allocations), benchmark::Counter::kAvgIterations);
}

void SinglePetRequest(benchmark::State& state)
{
    CLumarinPlugin& plugin = Started().plugin;
    Measure(state, [&] { plugin.RequestPetInfo(433791706897ULL); });
}

void EventToTenListeners(benchmark::State& state)
{
    Fixture& fixture = Started();
    std::vector<CountingListener> listeners(10);
    for (CountingListener& listener : listeners)
        fixture.plugin.AddListener(&listener);
    Measure(state, [&] { fixture.plugin.OnError(&fixture.loader.protocol, 1); });
    for (CountingListener& listener : listeners)
        fixture.plugin.RemoveListener(&listener);
}

}  // namespace

BENCHMARK(CacheHit);
BENCHMARK(CacheHitHot);
BENCHMARK(CacheMiss);
BENCHMARK(StoreKnownBlock);
BENCHMARK(StoreNewBlock);
BENCHMARK(SinglePetRequest);
BENCHMARK(EventToTenListeners);
BENCHMARK_MAIN();
