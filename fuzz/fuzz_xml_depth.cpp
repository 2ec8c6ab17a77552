// The nesting and node bounds on arbitrary bytes: whatever TinyXML parses never nests deeper
// nor builds more nodes than the bounds said it could, so a text within the limits can
// neither overflow the stack nor take unbounded memory.
#include <tinyxml.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "cleaner/input/xml_input.h"
#include "tests/cleaner/parsed_depth.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text =
        cleaner::XmlText(std::string(reinterpret_cast<const char*>(data), size));
    const std::size_t bound = cleaner::XmlNestingBound(text);
    TiXmlDocument document;
    cleaner::ParseXmlText(text, document);  // failed parses nest too: their nodes stay
    if (ParsedDepth(document) > bound || ParsedNodes(document) > cleaner::XmlNodeBound(text))
        std::abort();
    return 0;
}
