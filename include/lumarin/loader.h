// Optional, header-only: loads the plug-in library by path and finds CreateObject, typed.
// Load it by its full path: the library sits beside the host program (or in the SDK's
// bin/), which is not on the system's search path (dlopen("Lumarin.so") looks only there;
// LoadLibraryW with a bare name searches folders the host may not control).
#pragma once

#include <string>

#include <lumarin/object.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace lumarin {

class PluginModule {
public:
    // Loads the library at `path` (UTF-8); Create() is null when it cannot be loaded or has
    // no CreateObject.
    explicit PluginModule(const std::string& path);
    // Unloads it: nothing the library gave may be used afterwards.
    ~PluginModule();
    PluginModule(const PluginModule&) = delete;
    PluginModule& operator=(const PluginModule&) = delete;

    CreateObjectFunction Create() const { return create_; }

private:
#ifdef _WIN32
    HMODULE module_ = nullptr;
#else
    void* module_ = nullptr;
#endif
    CreateObjectFunction create_ = nullptr;
};

#ifdef _WIN32
inline PluginModule::PluginModule(const std::string& path)
{
    const int length = MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, nullptr, 0);
    std::wstring wide(length > 0 ? static_cast<std::size_t>(length) : 1, L'\0');
    if (length <= 0 ||
        !MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, &wide[0], length))
        return;
    module_ = LoadLibraryW(wide.c_str());
    if (!module_)
        return;
    // Through the generic function pointer type, which converts to any other unwarned.
    auto entry = reinterpret_cast<void (*)()>(GetProcAddress(module_, "CreateObject"));
    create_ = reinterpret_cast<CreateObjectFunction>(entry);
}

inline PluginModule::~PluginModule()
{
    if (module_)
        FreeLibrary(module_);
}
#else
inline PluginModule::PluginModule(const std::string& path)
{
    module_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module_)
        create_ = reinterpret_cast<CreateObjectFunction>(dlsym(module_, "CreateObject"));
}

inline PluginModule::~PluginModule()
{
    if (module_)
        dlclose(module_);
}
#endif

}  // namespace lumarin
