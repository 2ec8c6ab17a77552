#include "cleaner/input/xml_input.h"

#include <tinyxml.h>

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "cleaner/input/resource_paths.h"

namespace cleaner {

namespace {

constexpr std::size_t kUnknownDepth = static_cast<std::size_t>(-1);
constexpr std::size_t kAttributeLimit = 64;  // per element

// TinyXML steps through text runs and quoted values by UTF-8 sequences only once a BOM or
// the first top-level declaration told it the text is UTF-8; before that, byte by byte.
enum class Encoding { Unknown, Utf8, Legacy };

bool IsAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// The parser takes every byte from 127 up for a letter.
bool IsNameStart(char c)
{
    return static_cast<unsigned char>(c) >= 127 || IsAsciiLetter(c) || c == '_';
}

bool IsNameChar(char c)
{
    return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.' || c == ':';
}

bool IsHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Walks a text the way TinyXML's parser tokenises it, counting open elements.
class NestingScan {
public:
    explicit NestingScan(const std::string& text) : text_(text), size_(text.size()) {}

    // The deepest nesting the parser can reach; `nodes` gets the most nodes it can build.
    std::size_t Deepest(std::size_t& nodes)
    {
        if (StartsWith(0, "\xEF\xBB\xBF", false))
            encoding_ = Encoding::Utf8;
        std::size_t at = 0, depth = 0, deepest = 0;
        while (at < size_ && !unsure_) {
            if (text_[at] != '<') {
                const std::size_t end = SkipRun(at, '<');
                // A run of blanks between elements makes no node.
                nodes_ += std::all_of(text_.begin() + static_cast<std::ptrdiff_t>(at),
                                      text_.begin() + static_cast<std::ptrdiff_t>(end), IsSpace)
                              ? 0
                              : 1;
                at = end;
                continue;
            }
            const bool endTag = depth > 0 && At(at + 1) == '/';
            nodes_ += endTag ? 0 : 1;  // an element, comment, declaration or other markup
            if (endTag) {
                --depth;  // an end tag, read to its '>'
                at = After(at + 2, ">");
            } else if (StartsWith(at, "<?xml", true)) {
                at = Declaration(at + 5, depth == 0);
            } else if (StartsWith(at, "<!--", false)) {
                at = After(at + 4, "-->");
            } else if (StartsWith(at, "<![CDATA[", false)) {
                at = After(at + 9, "]]>");
            } else if (IsNameStart(At(at + 1))) {
                deepest = std::max(deepest, ++depth);
                bool empty = false;
                at = StartTag(at + 1, empty);
                depth -= empty ? 1 : 0;
            } else {
                at = After(at + 1, ">");  // "<!DOCTYPE ...>" and other unknown markup
            }
        }
        nodes = unsure_ ? kUnknownDepth : nodes_;
        return unsure_ ? kUnknownDepth : deepest;
    }

private:
    char At(std::size_t at) const { return at < size_ ? text_[at] : '\0'; }

    bool StartsWith(std::size_t at, const char* prefix, bool ignoreCase) const
    {
        for (; *prefix; ++prefix, ++at) {
            char c = At(at);
            if (c == '\0' || (ignoreCase ? AsciiLower(c) != AsciiLower(*prefix) : c != *prefix))
                return false;
        }
        return true;
    }

    // The position just after the next `marker` from `at`, or the end of the text.
    std::size_t After(std::size_t at, const char* marker) const
    {
        std::size_t found = text_.find(marker, std::min(at, size_));
        return found == std::string::npos ? size_ : found + std::strlen(marker);
    }

    // Blanks as the parser skips them between the parts of a declaration: once it reads
    // UTF-8, byte order marks (EF BB BF) and EF BF BE, EF BF BF count as blanks too.
    std::size_t SkipSpace(std::size_t at) const
    {
        while (at < size_) {
            if (encoding_ == Encoding::Utf8 && (StartsWith(at, "\xEF\xBB\xBF", false) ||
                                                StartsWith(at, "\xEF\xBF\xBE", false) ||
                                                StartsWith(at, "\xEF\xBF\xBF", false)))
                at += 3;
            else if (IsSpace(text_[at]))
                ++at;
            else
                break;
        }
        return at;
    }

    // Where an entity at `at` ('&') ends as the parser reads it; 0 when the parser fails on
    // it. A numeric reference ends at the first ';', and only its last digits are checked,
    // so it may well span markup. Whether those digits are followed back by the 'x' or '#'
    // depends on the ';' alone, so each ';' is looked at once, however many references
    // lead to it.
    std::size_t EntityEnd(std::size_t at)
    {
        if (At(at + 1) == '#' && At(at + 2) != '\0') {
            const bool hex = At(at + 2) == 'x';
            if (hex && At(at + 3) == '\0')
                return 0;
            const std::size_t from = at + (hex ? 3 : 2);
            if (semicolon_ == std::string::npos || semicolon_ < from) {
                semicolon_ = text_.find(';', from);
                if (semicolon_ == std::string::npos) {
                    semicolon_ = size_;  // none further on: every later search ends here
                    return 0;
                }
                hexReference_ = DigitsBefore(semicolon_, true) == 'x';
                decimalReference_ = DigitsBefore(semicolon_, false) == '#';
            }
            if (semicolon_ >= size_)
                return 0;
            return (hex ? hexReference_ : decimalReference_) ? semicolon_ + 1 : 0;
        }
        for (const char* entity : {"&amp;", "&lt;", "&gt;", "&quot;", "&apos;"}) {
            if (StartsWith(at, entity, false))
                return at + std::strlen(entity);
        }
        return at + 1;
    }

    // The byte before the run of (hex) digits that ends just before `semicolon`.
    char DigitsBefore(std::size_t semicolon, bool hex) const
    {
        const auto digit = [hex](char c) { return hex ? IsHexDigit(c) : (c >= '0' && c <= '9'); };
        std::size_t q = semicolon;
        while (q > 0 && digit(text_[q - 1]))
            --q;
        return q > 0 ? text_[q - 1] : '\0';
    }

    // A text run or quoted value from `at` up to `end` (not consumed), stepped as the parser
    // steps: entities whole, and in UTF-8 a lead byte with the bytes its sequence claims,
    // whatever they are. Where the parser fails, the scan goes on byte by byte.
    std::size_t SkipRun(std::size_t at, char end)
    {
        while (at < size_ && text_[at] != end) {
            if (text_[at] == '&') {
                std::size_t next = EntityEnd(at);
                at = next != 0 ? next : at + 1;
            } else if (encoding_ == Encoding::Utf8) {
                at += static_cast<std::size_t>(
                    TiXmlBase::utf8ByteTable[static_cast<unsigned char>(text_[at])]);
            } else {
                ++at;
            }
        }
        return std::min(at, size_);
    }

    // A quoted value from its opening quote at `at`: the position after its closing quote.
    std::size_t QuotedValue(std::size_t at)
    {
        std::size_t end = SkipRun(at + 1, text_[at]);
        return end < size_ ? end + 1 : size_;
    }

    // A start tag from its name at `at`: the position after its '>' or "/>". The parser
    // checks each attribute against all before it in the element, so an element with very
    // many ('=' counted outside quoted values) is not parsed at all.
    std::size_t StartTag(std::size_t at, bool& empty)
    {
        std::size_t attributes = 0;
        while (at < size_) {
            const char c = text_[at];
            if (c == '>')
                return at + 1;
            if (c == '/' && At(at + 1) == '>') {
                empty = true;
                return at + 2;
            }
            if (c == '=') {
                ++nodes_;  // at most one attribute per '='
                unsure_ = unsure_ || ++attributes > kAttributeLimit;
            }
            at = (c == '"' || c == '\'') ? QuotedValue(at) : at + 1;
        }
        return size_;
    }

    // A declaration from after "<?xml". The parser reads the attributes whose names begin
    // with "version", "encoding" or "standalone" and steps over anything else to a blank
    // or '>'. The first top-level declaration fixes the encoding for the rest of the text.
    std::size_t Declaration(std::size_t at, bool topLevel)
    {
        std::string encoding;
        while (at < size_ && text_[at] != '>') {
            at = SkipSpace(at);
            const bool isEncoding = !StartsWith(at, "version", true) &&
                                    StartsWith(at, "encoding", true);
            if (!StartsWith(at, "version", true) && !isEncoding &&
                !StartsWith(at, "standalone", true)) {
                while (at < size_ && text_[at] != '>' && !IsSpace(text_[at]))
                    ++at;
                continue;
            }
            std::string value;
            if (!DeclarationAttribute(at, value))
                return at;  // the parser stops here; the scan reads on as content
            if (isEncoding)
                encoding = value;
        }
        if (topLevel && encoding_ == Encoding::Unknown)
            encoding_ = EncodingNamed(encoding);
        return at < size_ ? at + 1 : size_;
    }

    // One attribute as the parser reads it: name, '=', then a quoted or bare value. False
    // where the parser fails.
    bool DeclarationAttribute(std::size_t& at, std::string& value)
    {
        while (at < size_ && IsNameChar(text_[at]))
            ++at;
        at = SkipSpace(at);
        if (At(at) != '=')
            return false;
        at = SkipSpace(at + 1);
        const char quote = At(at);
        if (quote == '"' || quote == '\'') {
            std::size_t end = QuotedValue(at);
            value = text_.substr(at + 1, end - at - 2);
            at = end;
            // A reference inside the value would have to be decoded to know the encoding.
            unsure_ = unsure_ || value.find('&') != std::string::npos;
            return true;
        }
        std::size_t start = at;
        while (at < size_ && !IsSpace(text_[at]) && text_[at] != '/' && text_[at] != '>') {
            if (text_[at] == '"' || text_[at] == '\'')
                return false;
            ++at;
        }
        value = text_.substr(start, at - start);
        return true;
    }

    Encoding EncodingNamed(const std::string& name) const
    {
        const auto startsWith = [&name](const char* prefix) {
            std::size_t length = std::strlen(prefix);
            return name.size() >= length &&
                   std::equal(prefix, prefix + length, name.begin(),
                              [](char a, char b) { return AsciiLower(a) == AsciiLower(b); });
        };
        return name.empty() || startsWith("UTF-8") || startsWith("UTF8") ? Encoding::Utf8
                                                                          : Encoding::Legacy;
    }

    const std::string& text_;
    const std::size_t size_;
    Encoding encoding_ = Encoding::Unknown;
    bool unsure_ = false;
    std::size_t nodes_ = 0;
    std::size_t semicolon_ = std::string::npos;  // the last ';' a reference was read to
    bool hexReference_ = false, decimalReference_ = false;  // what reads up to it
};

}  // namespace

namespace {

// `bytes` turned into an `XmlText` where they are, so a large file is never held twice.
void MakeXmlText(std::string& bytes)
{
    std::size_t to = 0;
    for (std::size_t at = 0; at < bytes.size() && bytes[at] != '\0'; ++at) {
        if (bytes[at] != '\r') {
            bytes[to++] = bytes[at];
            continue;
        }
        bytes[to++] = '\n';
        if (at + 1 < bytes.size() && bytes[at + 1] == '\n')
            ++at;
    }
    bytes.resize(to);
}

// Parses `text`, which must end in four NULs: the parser may step up to three bytes past
// the last one inside a UTF-8 sequence, and finds NULs there.
bool ParsePadded(const std::string& text, TiXmlDocument& document)
{
    document.Parse(text.c_str(), nullptr, TIXML_DEFAULT_ENCODING);
    return !document.Error();
}

}  // namespace

std::string XmlText(const std::string& bytes)
{
    std::string text = bytes;
    MakeXmlText(text);
    return text;
}

std::size_t XmlNestingBound(const std::string& text)
{
    std::size_t nodes = 0;
    return NestingScan(text).Deepest(nodes);
}

std::size_t XmlNodeBound(const std::string& text)
{
    std::size_t nodes = 0;
    NestingScan(text).Deepest(nodes);
    return nodes;
}

bool ParseXmlText(const std::string& text, TiXmlDocument& document)
{
    std::string padded = text;
    padded.append(4, '\0');
    return ParsePadded(padded, document);
}

ReadStatus ReadXml(Folder& folder, const std::string& path, TiXmlDocument& document)
{
    std::string text;
    ReadStatus status = folder.ReadWhole(path, kXmlSizeLimit, text);
    if (status != ReadStatus::Read)
        return status;
    MakeXmlText(text);
    std::size_t nodes = 0;
    if (NestingScan(text).Deepest(nodes) > kXmlDepthLimit || nodes > kXmlNodeLimit)
        return ReadStatus::Unreadable;
    text.append(4, '\0');
    return ParsePadded(text, document) ? ReadStatus::Read : ReadStatus::Unreadable;
}

}  // namespace cleaner
