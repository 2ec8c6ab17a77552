// What both script bridges derive from pet records and script arguments.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <lumarin/host_interfaces.h>
#include <lumarin/lumarin.h>

#include "plugin/framework/host_session.h"

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

// The fields both bridges show for one record, derived once. Two come from host
// components, asked by each bridge in its own order (AskHostFields): the pet class and the
// title's name and colour. A text from the host ends at its first NUL, for both bridges.
struct PetFields {
    // `pet` is read while the fields are used: it must outlive them.
    explicit PetFields(const PetInfo& pet);
    PetFields(PetInfo&&) = delete;

    // GetPetClass of the pet's type code and level.
    void AskPetClass(IPhasesLogic& phases);
    // GetTitleName, and GetTitleColor, of the pet's title id.
    void AskTitleName(IKivPetTitleSystem& titles);
    void AskTitleColor(IKivPetTitleSystem& titles);

    const PetInfo& record;
    std::optional<std::int32_t> petClass;  // none while the phase logic is not asked
    std::string titleName, titleColor;
    char petName[sizeof PetInfo::petname + 1];  // the name fields, NUL-terminated
    char kivName[sizeof PetInfo::kivname + 1];
    char avatarData[kAvatarDataCapacity];
    std::size_t avatarDataSize;
};

// The order in which a bridge asks the host: the pet class, then the title's name and
// colour (the movie's), or the title first (the page's).
enum class HostFieldOrder { PetClassFirst, TitleFirst };

// Asks the host for the fields of `fields` that come from it, found from `helper`, in
// `order`. A host call may uninitialise the plug-in: each call is made only while
// `session` is still open.
void AskHostFields(PetFields& fields, HostSession& session, TInterfaceHelper& helper,
                   HostFieldOrder order);

// Calls `visit(name, value)` for each field of `fields` in the order the page text shows
// them, until one call gives false; true when every call does. A name is a string literal; a
// value is a std::uint64_t, std::uint32_t or std::int32_t, the optional pet class, or a
// text as a std::string_view whose bytes are followed by a NUL. The Flash object writes its
// properties sorted by name, whatever the order they are set in.
//
// This is the one list of the 14 fields. Copies kept apart on purpose, to change with it:
// the expected texts in tests/plugin/example_pet.h, ExpectedFields in
// tests/plugin/judge_texts_test.cpp and the reference writer in bench/bridges_benchmark.cpp.
template <class Visitor>
bool VisitPetFields(const PetFields& fields, Visitor&& visit)
{
    const PetInfo& pet = fields.record;
    return visit("petid", pet.petid) &&
           visit("kivnumber", static_cast<std::uint32_t>(pet.petid)) &&
           visit("petclass", fields.petClass) && visit("petgender", Gender(pet.petid)) &&
           visit("petname", std::string_view(fields.petName)) &&
           visit("kivname", std::string_view(fields.kivName)) &&
           visit("petLevel", std::int32_t{pet.petLevel}) &&
           visit("vipFlag", std::int32_t{pet.vipFlag}) &&
           visit("avatarVersion", std::int32_t{pet.avatarVersion}) &&
           visit("avatarnum", std::int32_t{pet.avatarnum}) &&
           visit("avatardata", std::string_view(fields.avatarData, fields.avatarDataSize)) &&
           visit("titleid", std::int32_t{pet.titleid}) &&
           visit("titlename", std::string_view(fields.titleName)) &&
           visit("titlecolor", std::string_view(fields.titleColor));
}

// Fills `list` from decimal ids separated by commas (runs of commas count as one), at most
// its 100 ids; further ids are ignored. Each token and a space are traced to standard error
// through the platform layer.
void ParsePetIdList(const char* text, PetIdList& list);

}  // namespace lumarin
