// OLE Automation on Windows: the system's own types and calls.
#pragma once

#include <windows.h>
#include <oleauto.h>
