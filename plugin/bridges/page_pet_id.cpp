#include "plugin/bridges/page_pet_id.h"

#include <cmath>
#include <cstdint>

namespace lumarin {

namespace {

constexpr double kTwoTo63 = 9223372036854775808.0;

std::optional<std::uint64_t> WholeNumber(double value)
{
    if (!std::isfinite(value) || std::trunc(value) != value || value < -kTwoTo63 ||
        value >= 2 * kTwoTo63)
        return std::nullopt;
    if (value < 0)
        return static_cast<std::uint64_t>(static_cast<std::int64_t>(value));
    return static_cast<std::uint64_t>(value);
}

std::optional<std::uint64_t> DecimalDigits(BSTR text)
{
    const UINT length = text ? SysStringLen(text) : 0;
    if (length == 0)
        return std::nullopt;
    std::uint64_t id = 0;
    for (UINT i = 0; i < length; ++i) {
        const auto unit = static_cast<char16_t>(text[i]);
        if (unit < u'0' || unit > u'9')
            return std::nullopt;
        const std::uint64_t digit = unit - u'0';
        if (id > (UINT64_MAX - digit) / 10)
            return std::nullopt;
        id = id * 10 + digit;
    }
    return id;
}

std::uint64_t Signed(std::int64_t value)
{
    return static_cast<std::uint64_t>(value);
}

}  // namespace

std::optional<std::uint64_t> PagePetId(const VARIANT& value)
{
    switch (value.vt) {
    case VT_I1: return Signed(static_cast<signed char>(value.cVal));
    case VT_UI1: return value.bVal;
    case VT_I2: return Signed(value.iVal);
    case VT_UI2: return value.uiVal;
    case VT_I4: return Signed(value.lVal);
    case VT_UI4: return value.ulVal;
    case VT_INT: return Signed(value.intVal);
    case VT_UINT: return value.uintVal;
    case VT_I8: return Signed(value.llVal);
    case VT_UI8: return value.ullVal;
    case VT_R4: return WholeNumber(value.fltVal);
    case VT_R8: return WholeNumber(value.dblVal);
    case VT_BSTR: return DecimalDigits(value.bstrVal);
    default: return std::nullopt;
    }
}

}  // namespace lumarin
