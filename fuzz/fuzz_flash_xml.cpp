// Flash request texts for arbitrary records and texts: always well-formed XML (libxml2
// judges, reading the bytes as Latin-1 so any byte is a character) that gives back the
// texts that went in, less the control characters XML cannot carry.
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "plugin/bridges/as_object.h"
#include "plugin/bridges/flash_api.h"
#include "plugin/bridges/pet_fields.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

// What the movie can receive of `text`: the control characters XML cannot carry left out.
std::string Carried(const std::string& text)
{
    std::string kept;
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\n' || c == '\r')
            kept += c;
    }
    return kept;
}

// The UTF-8 text libxml2 gives back, as the Latin-1 bytes it was read from.
std::string Latin1(const xmlChar* utf8)
{
    std::string bytes;
    for (const xmlChar* at = utf8; at && *at; ++at) {
        if (*at < 0x80) {
            bytes += static_cast<char>(*at);
        } else {
            bytes += static_cast<char>(((at[0] & 0x03) << 6) | (at[1] & 0x3F));
            ++at;
        }
    }
    return bytes;
}

// The text of the value element of property `id` of the object.
std::string PropertyText(xmlNode* object, const char* id)
{
    for (xmlNode* property = object->children; property; property = property->next) {
        xmlChar* name = xmlGetProp(property, reinterpret_cast<const xmlChar*>("id"));
        bool match = name && std::strcmp(reinterpret_cast<char*>(name), id) == 0;
        xmlFree(name);
        if (!match)
            continue;
        xmlChar* content = xmlNodeGetContent(property->children);
        std::string text = Latin1(content);
        xmlFree(content);
        return text;
    }
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    PetInfo record{};
    std::memcpy(&record, data, size < sizeof record ? size : sizeof record);
    std::string text;
    if (size > sizeof record)
        text.assign(reinterpret_cast<const char*>(data) + sizeof record, size - sizeof record);
    text = text.c_str();

    CLumarinFlashAPI flash;  // no host: no class, no titles
    ASOBase object("object");
    flash.FillPetInfoObject(object, &record);
    object.SetProperty("text", text.c_str());
    std::string document = "<?xml version='1.0' encoding='ISO-8859-1'?>" +
                           lumarin::MakeInvokeXML("Lumarin_GetPetInfoCallBackSuc", object.GetXML());

    xmlDoc* parsed = xmlReadMemory(document.data(), static_cast<int>(document.size()), nullptr,
                                   nullptr, XML_PARSE_NONET | XML_PARSE_NOERROR |
                                                XML_PARSE_NOWARNING);
    Check(parsed != nullptr);
    xmlNode* invoke = xmlDocGetRootElement(parsed);
    xmlNode* arguments = invoke ? invoke->children : nullptr;
    xmlNode* pet = arguments ? arguments->children : nullptr;
    Check(pet && std::strcmp(reinterpret_cast<const char*>(pet->name), "object") == 0);
    Check(PropertyText(pet, "text") == Carried(text));
    Check(PropertyText(pet, "petname") == Carried(lumarin::NameText(record.petname)));
    Check(PropertyText(pet, "kivname") == Carried(lumarin::NameText(record.kivname)));
    Check(PropertyText(pet, "petid") == std::to_string(record.petid));
    xmlFreeDoc(parsed);
    return 0;
}
