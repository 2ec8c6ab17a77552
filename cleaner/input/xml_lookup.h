// Null-safe element lookups over TinyXML documents: a missing step yields null, so a
// document that lacks an element still gives what the rest of it holds.
#pragma once

#include <tinyxml.h>

namespace cleaner {

// The first child element `name` of `parent`, or null.
inline const TiXmlElement* Child(const TiXmlNode* parent, const char* name)
{
    return parent ? parent->FirstChildElement(name) : nullptr;
}

// The next sibling `name` of `previous`; when `previous` is missing, the first child
// `name` of `parent`.
inline const TiXmlElement* After(const TiXmlNode* parent, const TiXmlElement* previous,
                                 const char* name)
{
    return previous ? previous->NextSiblingElement(name) : Child(parent, name);
}

// The attribute `name` of `element`, or null.
inline const char* Attr(const TiXmlElement* element, const char* name)
{
    return element ? element->Attribute(name) : nullptr;
}

}  // namespace cleaner
