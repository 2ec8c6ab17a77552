// Reading the client's XML files as input a local user may have written: whole, from regular
// files only, within a size limit, and parsed only when TinyXML's recursive parser cannot
// nest deeper than a depth limit (a deep document would overflow the stack) nor build more
// nodes than a node limit (a flood of small elements would take many times the file's size).
//
// Layer: cleaner/input/ reads and checks what the client's files hold (XML documents, element
// lookups, resource names and numbers); it uses only the platform layer.
#pragma once

#include <cstddef>
#include <string>

#include "cleaner/platform/platform.h"

class TiXmlDocument;

namespace cleaner {

constexpr std::size_t kXmlSizeLimit = 16 * 1024 * 1024;
constexpr std::size_t kXmlDepthLimit = 256;
// Nodes (elements, attributes, texts, comments...) of one document: each costs the parser
// a few hundred bytes, so this bounds a document's memory to some tens of MiB, whatever
// its shape.
constexpr std::size_t kXmlNodeLimit = 100000;

// `bytes` as TinyXML's LoadFile hands a file to its parser: up to the first NUL, with each
// CR LF and each lone CR turned into LF.
std::string XmlText(const std::string& bytes);

// The deepest element nesting TinyXML's parser can reach on `text` (an `XmlText`), never
// less than it nests, whether the parse then succeeds or fails. The scan reads the text as
// the parser does: comments, CDATA sections, declarations and unknown markup to their ends,
// quoted attribute values and text runs with the parser's entity and UTF-8 steps; it takes
// time in proportion to the text. The largest value where the scan cannot tell, and where
// the parser's time would grow with the square of the text (an element with more than 64
// attributes).
std::size_t XmlNestingBound(const std::string& text);

// The most nodes TinyXML's parser can build from `text` (an `XmlText`): elements, attributes,
// texts, comments and other markup; the largest value where `XmlNestingBound` cannot tell.
std::size_t XmlNodeBound(const std::string& text);

// Parses `text` (an `XmlText`) into `document`; false when it is not well-formed.
bool ParseXmlText(const std::string& text, TiXmlDocument& document);

// Reads the file `path` below `folder` and parses it. Missing when nothing is there;
// Unreadable when it is no regular file, cannot be read, holds more than `kXmlSizeLimit`
// bytes, nests deeper than `kXmlDepthLimit` elements, could make more than `kXmlNodeLimit`
// nodes or is not well-formed.
ReadStatus ReadXml(Folder& folder, const std::string& path, TiXmlDocument& document);

}  // namespace cleaner
