// The plug-in library, loaded by path: the host's only platform-specific part.
#pragma once

#include <lumarin/object.h>

// Loads the library at `path` and answers its CreateObject, or null when the library cannot
// be loaded or has no such export. One library at a time.
CreateObjectFunction OpenPluginModule(const char* path);
// Unloads the library OpenPluginModule loaded; nothing it gave may be used afterwards.
void ClosePluginModule();
