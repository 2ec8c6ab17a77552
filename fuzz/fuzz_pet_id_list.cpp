// Pet id lists from script text: at most 100 ids, one per comma-separated token.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "plugin/bridges/pet_fields.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    text = text.c_str();  // script text ends at its first NUL
    PetIdList list{};
    lumarin::ParsePetIdList(text.c_str(), list);

    std::size_t tokens = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != ',' && (i == 0 || text[i - 1] == ','))
            ++tokens;
    }
    if (list.count != (tokens < kMaxPetIds ? tokens : kMaxPetIds))
        std::abort();
    return 0;
}
