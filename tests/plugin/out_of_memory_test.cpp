// Memory running out inside calls from the host: no exception reaches the host.
// This program replaces operator new so that a test can make allocations fail.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "plugin/framework/host_lookup.h"
#include "plugin/framework/object.h"
#include "plugin/platform/text_conversion.h"
#include "plugin/service/lumarin.h"
#include "plugin/service/lumarin_plugin.h"
#include "sim/host/substitute_host.h"
#include "tests/plugin/pet_records.h"

extern "C" IPlugin* CreateObject(std::uint32_t classId);

namespace {
bool g_failAllocations = false;
}  // namespace

void* operator new(std::size_t size)
{
    if (g_failAllocations)
        throw std::bad_alloc();
    if (void* memory = std::malloc(size ? size : 1))
        return memory;
    throw std::bad_alloc();
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }

TEST(CreateObject, AnswersNullWhenMemoryRunsOut)
{
    g_failAllocations = true;
    IPlugin* plugin = CreateObject(kLumarinClassId);
    g_failAllocations = false;
    EXPECT_EQ(plugin, nullptr);

    plugin = CreateObject(kLumarinClassId);
    ASSERT_NE(plugin, nullptr);
    plugin->Destroy();
}

TEST(OutOfMemory, BridgeCallsEndQuietly)
{
    HostInterfaces() = HostInterfaceCache();
    simhost::SubstituteHost host;
    host.AttachPlugin(new CLumarinPlugin);
    ASSERT_EQ(host.StartPlugin(), 1);
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

    g_failAllocations = true;
    flash.OnPetInfoResult(1, block.List());
    page.OnPetInfoResult(1, block.List());
    page.OnBrowserCall(1, "Lumarin_GetPetInfoList", &params, &extra, &handled);
    BOOL32 started = host.Plugin()->Initialize(nullptr, "renamed");
    g_failAllocations = false;

    EXPECT_EQ(started, 0);  // registering the bridges failed: a failed start, not a throw
    EXPECT_TRUE(host.flashEngine.calls.empty());  // each call ended before its callback
    EXPECT_TRUE(host.browserEngine.calls.empty());
    SysFreeString(ids);
    flash.Uninit();
    page.Uninit();
}
