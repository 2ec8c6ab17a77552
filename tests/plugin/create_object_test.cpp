// CreateObject when memory runs out: no exception reaches the host, and no object.
// This program replaces operator new so that a test can make allocations fail.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "lumarin.h"
#include "object.h"

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
