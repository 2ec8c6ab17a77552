// A plug-in library loaded by path and reached only through its export CreateObject.
#pragma once

#include <cstdint>
#include <string>

#include <lumarin/object.h>

namespace simhost {

class PluginLibrary {
public:
    PluginLibrary() = default;
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;
    ~PluginLibrary();  // unloads the library

    // Loads the library and finds CreateObject; on failure `error` says why.
    bool Load(const std::string& path, std::string& error);
    // The library's CreateObject; null when nothing is loaded.
    IPlugin* CreateObject(std::uint32_t classId) const;

private:
    void* handle_ = nullptr;
    CreateObjectFunction createObject_ = nullptr;
};

// "Lumarin.so" or "Lumarin.dll" beside the running program.
std::string DefaultPluginPath();

}  // namespace simhost
