// Memory running out inside calls from the host: no exception reaches the host; and what
// an object holds on the heap. This program replaces operator new so that a test can make
// allocations fail, and counts the bytes allocated and not yet freed.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>

#include <lumarin/lumarin.h>
#include <lumarin/object.h>

#include "plugin/bridges/as_object.h"
#include "plugin/framework/host_components.h"
#include "plugin/platform/text_conversion.h"
#include "plugin/service/lumarin_plugin.h"
#include "sim/host/substitute_host.h"
#include "tests/plugin/pet_records.h"
#include "tests/plugin/recording_listener.h"

namespace {
bool g_failAllocations = false;
std::size_t g_failSize = 0;  // an allocation of exactly this size fails, when not 0
std::size_t g_liveBytes = 0;
// Each block starts with its size, in a header that keeps the caller's part aligned.
constexpr std::size_t kHeader = alignof(std::max_align_t);

// A movie's id-list call, as a host may hand it to Dispatch itself; its first id is too
// long for a string without the heap.
struct LongIdListCall : IFlashCallRecord {
    const char* GetName() override { return "Lumarin_GetPetInfoList"; }
    const void* GetArg(int) override { return nullptr; }
    std::int64_t GetInt64Arg(int) override { return 0; }
    const char* GetStringArg(int) override { return "0000000000000000000000011,22"; }
};
}  // namespace

void* operator new(std::size_t size)
{
    if (g_failAllocations || (g_failSize != 0 && size == g_failSize))
        throw std::bad_alloc();
    if (auto* block = static_cast<unsigned char*>(std::malloc(kHeader + size))) {
        *reinterpret_cast<std::size_t*>(block) = size;
        g_liveBytes += size;
        return block + kHeader;
    }
    throw std::bad_alloc();
}
void operator delete(void* memory) noexcept
{
    if (!memory)
        return;
    unsigned char* block = static_cast<unsigned char*>(memory) - kHeader;
    g_liveBytes -= *reinterpret_cast<std::size_t*>(block);
    std::free(block);
}
void operator delete(void* memory, std::size_t) noexcept { operator delete(memory); }

TEST(CreateObject, AnswersNullWhenMemoryRunsOut)
{
    g_failAllocations = true;
    IPlugin* plugin = CreateObject(kLumarinClassId);
    g_failAllocations = false;
    EXPECT_EQ(nullptr, plugin);

    plugin = CreateObject(kLumarinClassId);
    ASSERT_NE(plugin, nullptr);
    plugin->Destroy();
}

TEST(OutOfMemory, BridgeCallsEndQuietly)
{
    simhost::SubstituteHost host;
    host.AttachPlugin(new CLumarinPlugin);
    ASSERT_EQ(1, host.StartPlugin());
    CLumarinFlashAPI flash;
    CLumarinJSAPI page;
    flash.Init(&host.root);
    page.Init(&host.root);
    ResultBlock block({PatternedPet(11), PatternedPet(22)});
    BSTR ids = lumarin::Utf8ToBstr("11,22");
    VARIANT arguments[2];
    VariantInit(&arguments[0]);
    arguments[1].vt = VT_BSTR;
    arguments[1].bstrVal = ids;
    DISPPARAMS params = {arguments, nullptr, 2, 0};
    int extra = 0;
    BOOL32 handled = 0;
    LongIdListCall movieCall;
    void* found = nullptr;
    ASSERT_EQ(1, host.Plugin()->GetInterface("ILumarin", &found));
    auto* service = static_cast<CLumarinPlugin*>(static_cast<ILumarin*>(found));
    std::vector<Delivery> log;
    RecordingListener late("late", log);

    g_failAllocations = true;
    service->AddListener(&late);  // not added
    service->OnError(&movieCall, 1);  // listeners not told
    const BOOL32 dispatched = flash.Dispatch(1, &movieCall, &handled);
    flash.OnPetInfoResult(1, block.List());
    page.OnPetInfoResult(1, block.List());
    page.OnBrowserCall(1, "Lumarin_GetPetInfoList", &params, &extra, &handled);
    BOOL32 started = host.Plugin()->Initialize(nullptr, "renamed");
    g_failAllocations = false;

    EXPECT_EQ(0, dispatched);  // the handler ended early: not run to its end
    EXPECT_EQ(0, started);  // registering the bridges failed: a failed start, not a throw
    EXPECT_TRUE(host.flashEngine.calls.empty());  // each call ended before its callback
    EXPECT_TRUE(host.browserEngine.calls.empty());
    service->OnError(&movieCall, 1);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(2u, host.flashEngine.calls.size());  // told now, to its own bridge and this one
    SysFreeString(ids);
    flash.Uninit();
    page.Uninit();
}

TEST(ASOBase, PropertySetOverAndOverKeepsItsHeapBounded)
{
    ASOBase object;
    const std::string text(100, 'x');
    object.SetProperty("other", "kept");
    for (int i = 0; i < 1000; ++i)
        object.SetProperty("name", text.c_str());
    const std::size_t settled = g_liveBytes;
    for (int i = 0; i < 1000000; ++i)
        object.SetProperty("name", text.c_str());

    EXPECT_LE(g_liveBytes, settled + 1024);
    EXPECT_STREQ(object.GetXML(), ("<object><property id='name'><string><![CDATA[" + text +
                                   "]]></string></property><property id='other'><string>"
                                   "<![CDATA[kept]]></string></property></object>")
                                      .c_str());
}

TEST(PetInfoCache, ANewChunkIsFreedWhenTheChunkListCannotGrow)
{
    PetInfoCache cache;
    std::vector<PetInfo> pets(1025);
    for (std::size_t i = 0; i < pets.size(); ++i)
        pets[i].petid = i + 1;
    ResultBlock first(std::vector<PetInfo>(pets.begin(), pets.end() - 1));  // one whole chunk
    cache.Store(*first.List());
    ResultBlock last({pets.back()});
    const std::size_t before = g_liveBytes;
    g_failSize = 2 * sizeof(std::unique_ptr<PetInfo[]>);  // the list growing to two chunks
    EXPECT_THROW(cache.Store(*last.List()), std::bad_alloc);
    g_failSize = 0;
    // The index grew; the second chunk, which nothing holds, is gone again.
    EXPECT_LT(g_liveBytes, before + 1024 * sizeof(PetInfo));
    EXPECT_EQ(nullptr, cache.Find(pets.back().petid));
}
