// OLE Automation types and calls (BSTR, VARIANT, DISPPARAMS, SysAllocString...): the
// system's on Windows (win32/automation.h, which brings <windows.h>), a stand-in with the
// same names on POSIX (posix/automation.h). CMake names the one to use, as it picks the
// platform layer's implementation file.
#pragma once

#include LUMARIN_AUTOMATION_HEADER
