#include <windows.h>

#include "sim/host/plugin_library.h"

namespace simhost {

PluginLibrary::~PluginLibrary()
{
    if (handle_)
        FreeLibrary(static_cast<HMODULE>(handle_));
}

bool PluginLibrary::Load(const std::string& path, std::string& error)
{
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module) {
        error = "cannot load " + path + ": error " + std::to_string(GetLastError());
        return false;
    }
    FARPROC symbol = GetProcAddress(module, "CreateObject");
    if (!symbol) {
        error = path + " has no export CreateObject";
        FreeLibrary(module);
        return false;
    }
    if (handle_)
        FreeLibrary(static_cast<HMODULE>(handle_));
    handle_ = module;
    createObject_ = reinterpret_cast<CreateObjectFunction>(reinterpret_cast<void*>(symbol));
    return true;
}

IPlugin* PluginLibrary::CreateObject(std::uint32_t classId) const
{
    return createObject_ ? createObject_(classId) : nullptr;
}

std::string DefaultPluginPath()
{
    char path[MAX_PATH + 1] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string program(path, length);
    std::string::size_type slash = program.find_last_of("\\/");
    return (slash == std::string::npos ? std::string(".") : program.substr(0, slash)) +
           "\\Lumarin.dll";
}

}  // namespace simhost
