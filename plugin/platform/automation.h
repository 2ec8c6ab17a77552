// OLE Automation types and calls (BSTR, VARIANT, DISPPARAMS, SysAllocString...): the
// system's on Windows, a stand-in with the same names on POSIX.
#pragma once

#ifdef _WIN32
#include "plugin/platform/win32/automation.h"
#else
#include "plugin/platform/posix/automation.h"
#endif
