#include "sim/client/published_text.h"

#include <windows.h>

#include <cstddef>
#include <cstring>

namespace sim {

namespace {
HANDLE g_mapping = nullptr;
}

bool PublishText(const std::string& name, std::size_t size, const std::string& text,
                 std::string& error)
{
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                        static_cast<DWORD>(size), name.c_str());
    if (!mapping) {
        error = "CreateFileMapping failed, error " + std::to_string(GetLastError());
        return false;
    }
    void* view = MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, size);
    if (!view) {
        error = "MapViewOfFile failed, error " + std::to_string(GetLastError());
        CloseHandle(mapping);
        return false;
    }
    std::size_t length = text.size() < size ? text.size() : size - 1;
    std::memset(view, 0, size);
    std::memcpy(view, text.data(), length);
    UnmapViewOfFile(view);
    g_mapping = mapping;  // the mapping lives while its handle stays open
    return true;
}

void WithdrawText()
{
    if (g_mapping)
        CloseHandle(g_mapping);
    g_mapping = nullptr;
}

void WithdrawOnTerminate() {}

}  // namespace sim
