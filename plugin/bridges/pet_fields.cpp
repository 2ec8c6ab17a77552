#include "plugin/bridges/pet_fields.h"

#include <charconv>
#include <cstddef>
#include <limits>
#include <string>

#include "plugin/framework/host_components.h"
#include "plugin/platform/platform.h"

namespace lumarin {

namespace {

// Leading blanks, an optional sign, then decimal digits up to the first other character;
// no digits gives 0, and values beyond 64 bits stop at the nearest limit.
std::int64_t LeadingInt64(const char* text)
{
    while (*text == ' ' || (*text >= '\t' && *text <= '\r'))
        ++text;
    bool negative = *text == '-';
    if (*text == '-' || *text == '+')
        ++text;
    std::uint64_t magnitude = 0;
    const std::uint64_t limit = negative ? std::uint64_t{1} << 63 : (std::uint64_t{1} << 63) - 1;
    for (; *text >= '0' && *text <= '9'; ++text) {
        std::uint64_t digit = static_cast<std::uint64_t>(*text - '0');
        if (magnitude > (limit - digit) / 10) {
            magnitude = limit;
            break;
        }
        magnitude = magnitude * 10 + digit;
    }
    if (!negative)
        return static_cast<std::int64_t>(magnitude);
    return magnitude == (std::uint64_t{1} << 63) ? std::numeric_limits<std::int64_t>::min()
                                                  : -static_cast<std::int64_t>(magnitude);
}

}  // namespace

std::size_t WriteAvatarData(const PetInfo& record, char (&out)[kAvatarDataCapacity])
{
    constexpr std::size_t kSlots = sizeof record.avatarItems / sizeof record.avatarItems[0];
    const std::size_t count = record.avatarnum < kSlots ? record.avatarnum : kSlots;
    char* at = out;
    char* const end = out + kAvatarDataCapacity - 1;
    for (std::size_t i = 0; i < count; ++i) {
        const AvatarItem& avatar = record.avatarItems[i];
        at = std::to_chars(at, end, int{avatar.code}).ptr;
        *at++ = '.';
        at = std::to_chars(at, end, unsigned{avatar.number}).ptr;
        *at++ = '#';
    }
    *at = '\0';
    return static_cast<std::size_t>(at - out);
}

std::string FormatAvatarData(const PetInfo& record)
{
    char text[kAvatarDataCapacity];
    return std::string(text, WriteAvatarData(record, text));
}

PetFields::PetFields(const PetInfo& pet)
    : record(pet), avatarDataSize(WriteAvatarData(pet, avatarData))
{
    NameCString(pet.petname, petName);
    NameCString(pet.kivname, kivName);
}

void PetFields::AskPetClass(IPhasesLogic& phases)
{
    petClass = phases.GetPetClass(TypeCode(record.petid), record.petLevel);
}

namespace {
void CutAtNul(std::string& text)
{
    const std::string::size_type nul = text.find('\0');
    if (nul != std::string::npos)
        text.resize(nul);
}
}  // namespace

void PetFields::AskTitleName(IKivPetTitleSystem& titles)
{
    titles.GetTitleName(record.titleid, &titleName);
    CutAtNul(titleName);
}

void PetFields::AskTitleColor(IKivPetTitleSystem& titles)
{
    titles.GetTitleColor(record.titleid, &titleColor);
    CutAtNul(titleColor);
}

void AskHostFields(PetFields& fields, HostSession& session, TInterfaceHelper& helper,
                   HostFieldOrder order)
{
    auto askPetClass = [&] {
        if (IPhasesLogic* phases = FindHostInterface<IPhasesLogic>(session, helper))
            fields.AskPetClass(*phases);
    };
    auto askTitle = [&] {
        IKivPetTitleSystem* titles = FindHostInterface<IKivPetTitleSystem>(session, helper);
        if (!titles)
            return;
        fields.AskTitleName(*titles);
        if (session.IsOpen())
            fields.AskTitleColor(*titles);
    };
    if (order == HostFieldOrder::PetClassFirst) {
        askPetClass();
        askTitle();
    } else {
        askTitle();
        askPetClass();
    }
}

void ParsePetIdList(const char* text, PetIdList& list)
{
    if (!text)
        return;
    const char* at = text;
    while (list.count < kMaxPetIds) {
        while (*at == ',')
            ++at;
        if (!*at)
            break;
        const char* end = at;
        while (*end && *end != ',')
            ++end;
        const std::string token(at, end);
        CurrentPlatform().ErrorOutput((token + ' ').c_str());
        list.ids[list.count++] = static_cast<std::uint64_t>(LeadingInt64(token.c_str()));
        at = end;
    }
}

}  // namespace lumarin
