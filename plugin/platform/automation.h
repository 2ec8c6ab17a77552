// OLE Automation types and calls (BSTR, VARIANT, DISPPARAMS, SysAllocString...): the
// system's on Windows, the public stand-in with the same names elsewhere.
#pragma once

#include <lumarin/automation.h>
