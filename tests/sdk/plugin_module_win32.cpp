#include "plugin_module.h"

#include <windows.h>

namespace {
HMODULE module = nullptr;
}

CreateObjectFunction OpenPluginModule(const char* path)
{
    module = LoadLibraryA(path);
    return module ? reinterpret_cast<CreateObjectFunction>(
                        reinterpret_cast<void*>(GetProcAddress(module, "CreateObject")))
                  : nullptr;
}

void ClosePluginModule()
{
    if (module)
        FreeLibrary(module);
    module = nullptr;
}
