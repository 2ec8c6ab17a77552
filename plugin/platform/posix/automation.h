// OLE Automation for POSIX: the types and calls of the Windows API that the plug-in and the
// substitute host use, with the same names and layout rules. A BSTR is UTF-16 text with
// its byte length in the 4 bytes before it and a NUL after it.
#pragma once

#include <cstdint>

using OLECHAR = char16_t;
using BSTR = OLECHAR*;
using VARTYPE = std::uint16_t;
using DISPID = std::int32_t;
using UINT = unsigned int;
using HRESULT = std::int32_t;
using LONGLONG = std::int64_t;

enum : VARTYPE {
    VT_EMPTY = 0, VT_I2 = 2, VT_I4 = 3, VT_R4 = 4, VT_R8 = 5, VT_BSTR = 8, VT_I1 = 16,
    VT_UI1 = 17, VT_UI2 = 18, VT_UI4 = 19, VT_I8 = 20, VT_UI8 = 21, VT_INT = 22, VT_UINT = 23
};
constexpr HRESULT S_OK = 0;

struct tagVARIANT {
    VARTYPE vt;
    std::uint16_t wReserved1;
    std::uint16_t wReserved2;
    std::uint16_t wReserved3;
    union {
        LONGLONG llVal;
        std::uint64_t ullVal;
        std::int32_t lVal;
        std::uint32_t ulVal;
        std::int16_t iVal;
        std::uint16_t uiVal;
        char cVal;
        std::uint8_t bVal;
        int intVal;
        unsigned int uintVal;
        float fltVal;
        double dblVal;
        BSTR bstrVal;
    };
};
using VARIANT = tagVARIANT;
using VARIANTARG = tagVARIANT;

struct tagDISPPARAMS {
    VARIANTARG* rgvarg;
    DISPID* rgdispidNamedArgs;
    UINT cArgs;
    UINT cNamedArgs;
};
using DISPPARAMS = tagDISPPARAMS;

// Null on failure (or for a null `text` in SysAllocString).
BSTR SysAllocString(const OLECHAR* text);
// `length` characters of `text`, or uninitialised characters when `text` is null.
BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
void SysFreeString(BSTR text);
UINT SysStringLen(BSTR text);
void VariantInit(VARIANTARG* variant);
// Frees what the variant owns (a BSTR) and empties it.
HRESULT VariantClear(VARIANTARG* variant);
