#include <dlfcn.h>

#include <cstddef>
#include <unistd.h>

#include "sim/host/plugin_library.h"

namespace simhost {

PluginLibrary::~PluginLibrary()
{
    if (handle_)
        dlclose(handle_);
}

bool PluginLibrary::Load(const std::string& path, std::string& error)
{
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* reason = dlerror();
        error = "cannot load " + path + ": " + (reason ? reason : "unknown error");
        return false;
    }
    void* symbol = dlsym(handle, "CreateObject");
    if (!symbol) {
        error = path + " has no export CreateObject";
        dlclose(handle);
        return false;
    }
    if (handle_)
        dlclose(handle_);
    handle_ = handle;
    createObject_ = reinterpret_cast<CreateObjectFunction>(symbol);
    return true;
}

IPlugin* PluginLibrary::CreateObject(std::uint32_t classId) const
{
    return createObject_ ? createObject_(classId) : nullptr;
}

std::string DefaultPluginPath()
{
    char path[4096];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    std::string program = length > 0 ? std::string(path, static_cast<std::size_t>(length)) : "";
    std::string::size_type slash = program.rfind('/');
    return (slash == std::string::npos ? std::string(".") : program.substr(0, slash)) +
           "/Lumarin.so";
}

}  // namespace simhost
