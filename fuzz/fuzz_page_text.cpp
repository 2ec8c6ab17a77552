// Page texts for arbitrary records: always a script object literal of single-quoted
// strings, with no raw line break (U+2028 and U+2029 included) and no "</", whose values
// read back as the record's, as the narrow encoding reads its bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "plugin/bridges/js_api.h"
#include "plugin/bridges/pet_fields.h"
#include "tests/plugin/wide_text.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

// Reads `name:'value'` pairs separated by "\t\t\t   ,", undoing the escapes.
std::map<std::string, std::string> ReadLiteral(const std::string& text)
{
    std::map<std::string, std::string> fields;
    Check(text.size() >= 2 && text.front() == '{' && text.back() == '}');
    Check(text.find("</") == std::string::npos);
    std::size_t at = 1;
    while (at < text.size() - 1) {
        if (!fields.empty()) {
            Check(text.compare(at, 7, "\t\t\t   ,") == 0);
            at += 7;
        }
        std::size_t colon = text.find(":'", at);
        Check(colon != std::string::npos);
        std::string name = text.substr(at, colon - at);
        std::string value;
        for (at = colon + 2; text.at(at) != '\''; ++at) {
            char c = text[at];
            Check(c != '\n' && c != '\r');
            Check(text.compare(at, 3, "\xE2\x80\xA8") != 0 &&
                  text.compare(at, 3, "\xE2\x80\xA9") != 0);
            if (c == '\\' && text.compare(at + 1, 5, "u2028") == 0) {
                value += "\xE2\x80\xA8";
                at += 5;
            } else if (c == '\\' && text.compare(at + 1, 5, "u2029") == 0) {
                value += "\xE2\x80\xA9";
                at += 5;
            } else if (c == '\\') {
                char next = text.at(++at);
                value += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
            } else {
                value += c;
            }
        }
        ++at;
        fields[name] = value;
    }
    return fields;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    PetInfo record{};
    std::memcpy(&record, data, size < sizeof record ? size : sizeof record);
    CLumarinJSAPI page;  // no host: no class, no titles
    std::map<std::string, std::string> fields =
        ReadLiteral(Utf8(page.FormatPetInfoScript(&record)));
    Check(fields.size() == 14);
    Check(fields["petname"] == Utf8OfAnsi(lumarin::NameText(record.petname)));
    Check(fields["kivname"] == Utf8OfAnsi(lumarin::NameText(record.kivname)));
    Check(fields["avatardata"] == lumarin::FormatAvatarData(record));
    Check(fields["petid"] == std::to_string(record.petid));
    Check(fields["vipFlag"] == std::to_string(record.vipFlag));
    return 0;
}
