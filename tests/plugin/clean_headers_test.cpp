// Compiles only while the headers other components include bring no system header along:
// with <windows.h> in, CreateFileA would already name a function and this would not build.
#include <lumarin/lumarin.h>

#include "plugin/service/lumarin_plugin.h"

[[maybe_unused]] static int CreateFileA = 0;
