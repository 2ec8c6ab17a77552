// The OLE Automation stand-in: a BSTR is a block of its byte length (4 bytes), the UTF-16
// units and a NUL; the pointer given out is the units'.
#include "plugin/platform/posix/automation.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>

BSTR SysAllocStringLen(const OLECHAR* text, UINT length)
{
    std::size_t bytes = static_cast<std::size_t>(length) * sizeof(OLECHAR);
    auto* block = static_cast<unsigned char*>(std::malloc(4 + bytes + sizeof(OLECHAR)));
    if (!block)
        return nullptr;
    auto prefix = static_cast<std::uint32_t>(bytes);
    std::memcpy(block, &prefix, 4);
    BSTR result = reinterpret_cast<BSTR>(block + 4);
    if (text)
        std::memcpy(result, text, bytes);
    result[length] = 0;
    return result;
}

BSTR SysAllocString(const OLECHAR* text)
{
    if (!text)
        return nullptr;
    UINT length = 0;
    while (text[length])
        ++length;
    return SysAllocStringLen(text, length);
}

void SysFreeString(BSTR text)
{
    if (text)
        std::free(reinterpret_cast<unsigned char*>(text) - 4);
}

UINT SysStringLen(BSTR text)
{
    if (!text)
        return 0;
    std::uint32_t bytes;
    std::memcpy(&bytes, reinterpret_cast<unsigned char*>(text) - 4, 4);
    return bytes / sizeof(OLECHAR);
}

void VariantInit(VARIANTARG* variant)
{
    variant->vt = VT_EMPTY;
    variant->wReserved1 = variant->wReserved2 = variant->wReserved3 = 0;
    variant->llVal = 0;
}

HRESULT VariantClear(VARIANTARG* variant)
{
    if (variant->vt == VT_BSTR)
        SysFreeString(variant->bstrVal);
    VariantInit(variant);
    return S_OK;
}
