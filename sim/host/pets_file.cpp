#include "sim/host/pets_file.h"

#include <cstddef>
#include <cstring>
#include <fstream>
#include <limits>

#include <nlohmann/json.hpp>

namespace simhost {

namespace {

using nlohmann::json;

// A failed rule, with the field it concerns.
struct Refusal {
    std::string field;
    std::string reason;
};

template <class T>
T Number(const json& pet, const char* field)
{
    if (!pet.contains(field))
        throw Refusal{field, "is missing"};
    const json& value = pet[field];
    if (!value.is_number_integer())
        throw Refusal{field, "is not an integer"};
    const auto highest = static_cast<std::uint64_t>(std::numeric_limits<T>::max());
    const auto lowest = static_cast<std::int64_t>(std::numeric_limits<T>::min());
    bool fits;
    if (value.is_number_unsigned()) {
        fits = value.get<std::uint64_t>() <= highest;
    } else {
        const std::int64_t number = value.get<std::int64_t>();
        fits = number >= lowest && (number < 0 || static_cast<std::uint64_t>(number) <= highest);
    }
    if (!fits)
        throw Refusal{field, "is out of range (" + value.dump() + ")"};
    return value.is_number_unsigned() ? static_cast<T>(value.get<std::uint64_t>())
                                      : static_cast<T>(value.get<std::int64_t>());
}

template <std::size_t N>
void Name(const json& pet, const char* field, char (&out)[N])
{
    if (!pet.contains(field) || !pet[field].is_string())
        throw Refusal{field, "is missing or not a string"};
    const std::string text = pet[field].get<std::string>();
    if (text.size() > N - 1)
        throw Refusal{field, "is longer than " + std::to_string(N - 1) + " bytes"};
    if (text.find('\0') != std::string::npos)
        throw Refusal{field, "contains a NUL"};
    std::memset(out, 0, N);
    std::memcpy(out, text.data(), text.size());
}

PetInfo ReadPet(const json& pet)
{
    if (!pet.is_object())
        throw Refusal{"", "is not an object"};
    PetInfo info{};
    info.petid = Number<std::uint64_t>(pet, "petid");
    Name(pet, "petname", info.petname);
    Name(pet, "kivname", info.kivname);
    info.petLevel = Number<std::uint16_t>(pet, "petLevel");
    info.vipFlag = Number<std::int8_t>(pet, "vipFlag");
    info.avatarVersion = Number<std::uint16_t>(pet, "avatarVersion");
    info.titleid = Number<std::uint16_t>(pet, "titleid");
    if (!pet.contains("avatarItems") || !pet["avatarItems"].is_array())
        throw Refusal{"avatarItems", "is missing or not a list"};
    const json& items = pet["avatarItems"];
    if (items.size() > 20)
        throw Refusal{"avatarItems", "has more than 20 items"};
    for (std::size_t i = 0; i < items.size(); ++i) {
        const json& item = items[i];
        if (!item.is_array() || item.size() != 2)
            throw Refusal{"avatarItems", "item " + std::to_string(i) + " is not [code, number]"};
        json pair = {{"code", item[0]}, {"number", item[1]}};
        try {
            info.avatarItems[i].code = Number<std::int8_t>(pair, "code");
            info.avatarItems[i].number = Number<std::uint16_t>(pair, "number");
        } catch (const Refusal& refusal) {
            throw Refusal{"avatarItems", "item " + std::to_string(i) + ": " + refusal.field +
                                             " " + refusal.reason};
        }
    }
    info.avatarnum = static_cast<std::uint16_t>(items.size());
    return info;
}

}  // namespace

bool LoadPetsFile(const std::string& path, SubstituteHost& host, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path + ": cannot be read";
        return false;
    }
    json document = json::parse(in, nullptr, false);
    if (document.is_discarded() || !document.is_object() || !document.contains("pets") ||
        !document["pets"].is_array()) {
        error = path + ": not a JSON object with a \"pets\" list";
        return false;
    }
    const json& pets = document["pets"];
    for (std::size_t i = 0; i < pets.size(); ++i) {
        try {
            PetInfo pet = ReadPet(pets[i]);
            host.pets[pet.petid] = pet;
        } catch (const Refusal& refusal) {
            std::string which = "pet " + std::to_string(i + 1);
            if (pets[i].is_object() && pets[i].contains("petid"))
                which += " (petid " + pets[i]["petid"].dump() + ")";
            error = path + ": " + which + ": " +
                    (refusal.field.empty() ? "" : refusal.field + " ") + refusal.reason;
            return false;
        }
    }
    const json titles = document.value("titles", json::object());
    if (!titles.is_object()) {
        error = path + ": \"titles\" is not an object";
        return false;
    }
    for (const auto& [key, title] : titles.items()) {
        char* end = nullptr;
        unsigned long id = std::strtoul(key.c_str(), &end, 10);
        if (key.empty() || *end || id > 65535 || !title.is_object() ||
            !title.value("name", json()).is_string() || !title.value("color", json()).is_string()) {
            error = path + ": title \"" + key + "\": needs an id 0-65535 and name and color texts";
            return false;
        }
        host.titleSystem.titles[static_cast<std::uint16_t>(id)] = {
            title["name"].get<std::string>(), title["color"].get<std::string>()};
    }
    return true;
}

void LoadSamplePets(SubstituteHost& host)
{
    auto add = [&host](std::uint64_t petId, const char* name, const char* owner,
                       std::uint16_t level, std::int8_t vip, std::uint16_t title,
                       std::initializer_list<AvatarItem> items) {
        PetInfo pet{};
        pet.petid = petId;
        std::strncpy(pet.petname, name, 16);
        std::strncpy(pet.kivname, owner, 16);
        pet.petLevel = level;
        pet.vipFlag = vip;
        pet.avatarVersion = 3;
        for (const AvatarItem& item : items)
            pet.avatarItems[pet.avatarnum++] = item;
        pet.titleid = title;
        host.pets[petId] = pet;
    };
    add(433791706897ULL, "Pip", "Ann", 12, 1, 0, {{5, 0, 1001}, {-1, 0, 7}});
    add(11, "Bramble", "Olek", 3, 0, 7, {{2, 0, 40}});
    add(22, "O'Neil", "Ruth", 47, 1, 0, {});
    add((std::uint64_t{102} << 32) | 33, "Mossy", "Ida", 25, -1, 7, {{1, 0, 2}, {3, 0, 4}});
    host.titleSystem.titles[7] = {"Star", "#FFD700"};
}

}  // namespace simhost
