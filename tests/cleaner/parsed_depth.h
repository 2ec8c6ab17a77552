// How deep TinyXML nested the elements of a parsed (or partly parsed) document, and how many
// nodes it built.
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

// Nodes below `node`, each attribute counted as one.
inline std::size_t ParsedNodes(const TiXmlNode& node)
{
    std::size_t nodes = 0;
    for (const TiXmlNode* child = node.FirstChild(); child; child = child->NextSibling()) {
        nodes += 1 + ParsedNodes(*child);
        if (const TiXmlElement* element = child->ToElement()) {
            for (const TiXmlAttribute* a = element->FirstAttribute(); a; a = a->Next())
                ++nodes;
        }
    }
    return nodes;
}
