// The pet id a page passes to "Lumarin_GetPetInfo", read by its VARIANT type.
#pragma once

#include <cstdint>
#include <optional>

#include "plugin/platform/automation.h"

namespace lumarin {

// The id in `value`: an integer type at its own width (a signed one extended to 64 bits, as
// a movie's 64-bit argument is taken); a VT_R8 or VT_R4 holding a whole number within 64
// bits (script engines pass numbers above 2^31 so); a BSTR of decimal digits only, within
// 64 bits. Anything else is no id: no bytes beyond the type's width, and never a pointer.
std::optional<std::uint64_t> PagePetId(const VARIANT& value);

}  // namespace lumarin
