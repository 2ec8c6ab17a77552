// How deep TinyXML nested the elements of a parsed (or partly parsed) document.
#pragma once

#include <tinyxml.h>

#include <algorithm>
#include <cstddef>

inline std::size_t ParsedDepth(const TiXmlNode& node)
{
    std::size_t deepest = 0;
    for (const TiXmlNode* child = node.FirstChild(); child; child = child->NextSibling())
        deepest = std::max(deepest, ParsedDepth(*child) + (child->ToElement() ? 1 : 0));
    return deepest;
}
