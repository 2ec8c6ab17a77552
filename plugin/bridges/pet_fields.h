// What both script bridges derive from pet records and script arguments.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include <lumarin/lumarin.h>

namespace lumarin {

// Bits 32 to 47 of a pet id.
inline std::uint16_t TypeCode(std::uint64_t petId)
{
    return static_cast<std::uint16_t>(petId >> 32);
}

// 0 for the type code 102, else 1.
inline std::int32_t Gender(std::uint64_t petId)
{
    return TypeCode(petId) == 102 ? 0 : 1;
}

// A name field's text: up to its NUL, at most the field's 17 bytes.
template <std::size_t N>
std::string_view NameView(const char (&field)[N])
{
    std::size_t length = 0;
    while (length < N && field[length])
        ++length;
    return std::string_view(field, length);
}
template <std::size_t N>
std::string NameText(const char (&field)[N])
{
    return std::string(NameView(field));
}
// The same, NUL-terminated in the caller's `buffer`: no allocation.
template <std::size_t N>
const char* NameCString(const char (&field)[N], char (&buffer)[N + 1])
{
    const std::string_view name = NameView(field);
    name.copy(buffer, name.size());
    buffer[name.size()] = '\0';
    return buffer;
}

// Room for the longest avatar text, 20 items of "-128.65535#", and its NUL.
constexpr std::size_t kAvatarDataCapacity = 20 * 11 + 1;
// "%d.%u#" for each avatar item in use (at most the record's 20), concatenated: written
// NUL-terminated into `out`; gives its length.
std::size_t WriteAvatarData(const PetInfo& record, char (&out)[kAvatarDataCapacity]);
// The same as a string.
std::string FormatAvatarData(const PetInfo& record);

// Fills `list` from decimal ids separated by commas (runs of commas count as one), at most
// its 100 ids; further ids are ignored. Each token and a space are traced to standard error
// through the platform layer.
void ParsePetIdList(const char* text, PetIdList& list);

}  // namespace lumarin
