#include "plugin_module.h"

#include <dlfcn.h>

namespace {
void* module = nullptr;
}

CreateObjectFunction OpenPluginModule(const char* path)
{
    module = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    return module ? reinterpret_cast<CreateObjectFunction>(dlsym(module, "CreateObject")) : nullptr;
}

void ClosePluginModule()
{
    if (module)
        dlclose(module);
    module = nullptr;
}
