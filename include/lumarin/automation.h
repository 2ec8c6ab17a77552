// The OLE Automation types a page call carries (IBrowserAPICenter::CallPage,
// IBrowserAPICenterCall::OnBrowserCall in <lumarin/host_interfaces.h>): on Windows the
// system's own (<oleauto.h>). Elsewhere the same names and layout, with the calls a host
// needs, inline: a BSTR is UTF-16 text with its byte length in the 4 bytes before it and a
// NUL after it, allocated with malloc, so either side may free what the other allocated
// (a page's result VARIANT is cleared by the plug-in with VariantClear).
#pragma once

#ifdef _WIN32
#include <windows.h>
#include <oleauto.h>
#else
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

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

// `length` units of `text` (uninitialised for a null `text`) and a NUL; null on failure.
inline BSTR SysAllocStringLen(const OLECHAR* text, UINT length)
{
    const std::size_t bytes = static_cast<std::size_t>(length) * sizeof(OLECHAR);
    auto* block = static_cast<unsigned char*>(std::malloc(4 + bytes + sizeof(OLECHAR)));
    if (!block)
        return nullptr;
    const auto prefix = static_cast<std::uint32_t>(bytes);
    std::memcpy(block, &prefix, 4);
    BSTR result = reinterpret_cast<BSTR>(block + 4);
    if (text)
        std::memcpy(result, text, bytes);
    result[length] = 0;
    return result;
}

inline BSTR SysAllocString(const OLECHAR* text)
{
    if (!text)
        return nullptr;
    UINT length = 0;
    while (text[length])
        ++length;
    return SysAllocStringLen(text, length);
}

inline void SysFreeString(BSTR text)
{
    if (text)
        std::free(reinterpret_cast<unsigned char*>(text) - 4);
}

inline UINT SysStringLen(BSTR text)
{
    if (!text)
        return 0;
    std::uint32_t bytes;
    std::memcpy(&bytes, reinterpret_cast<unsigned char*>(text) - 4, 4);
    return bytes / sizeof(OLECHAR);
}

inline void VariantInit(VARIANTARG* variant)
{
    variant->vt = VT_EMPTY;
    variant->wReserved1 = variant->wReserved2 = variant->wReserved3 = 0;
    variant->llVal = 0;
}

// Frees what the variant owns (a BSTR) and empties it.
inline HRESULT VariantClear(VARIANTARG* variant)
{
    if (variant->vt == VT_BSTR)
        SysFreeString(variant->bstrVal);
    VariantInit(variant);
    return S_OK;
}

#endif
