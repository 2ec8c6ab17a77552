// The nesting bound checked before TinyXML parses a file: never below what the parser nests,
// on the constructs where a careless count would fall short.
#include <gtest/gtest.h>

#include <tinyxml.h>

#include <cstddef>
#include <string>
#include <utility>

#include "cleaner/input/xml_input.h"
#include "tests/cleaner/parsed_depth.h"

TEST(XmlNestingBound, NeverBelowWhatTheParserNests)
{
    const std::pair<const char*, std::size_t> cases[] = {
        {"<a><b/><c x='>' y=\"/>\"><d/></c></a>", 3},         // markup inside quoted values
        {"<a><!-- <b><c> --><![CDATA[<b><c>]]><?x <b>?></a>", 1},  // comments, CDATA, unknown
        {"<a>&#x</a><b>x1;</a>", 1},                          // a reference spanning markup
        {"<a b='&#x'/><c>x;'><d/></c>", 2},                    // ... and a quoted value's end
        {"<?xml version='1.0' encoding='UTF-8'?><a>\xE0</a><b></b></a>", 2},  // UTF-8 steps
        {"\xEF\xBB\xBF<a>\xE0</a><b></b></a>", 2},            // a BOM means UTF-8 too
        {"<?xml version='1.0' encoding='GBK'?><a>\xE0</a><b></b>", 1},  // byte steps
        {"<a>\xE0</a><b></b>", 1},                            // no declaration: byte steps
        {"<a><b><c>", 3},                                     // cut short
        // In UTF-8 the parser skips byte order marks as blanks inside a declaration too.
        {"\xEF\xBB\xBF<?xml \xEF\xBB\xBFversion=\"><!--\"?><a><a>", 2},
    };
    for (const auto& [text, bound] : cases) {
        EXPECT_EQ(bound, cleaner::XmlNestingBound(text)) << text;
        TiXmlDocument document;
        cleaner::ParseXmlText(text, document);
        EXPECT_LE(ParsedDepth(document), cleaner::XmlNestingBound(text)) << text;
        EXPECT_LE(ParsedNodes(document), cleaner::XmlNodeBound(text)) << text;
    }
    // An encoding that only a decoded reference would tell is not guessed at; an element
    // with more attributes than the parser handles in reasonable time is not parsed.
    std::string crowded = "<a";
    for (int i = 0; i < 65; ++i)
        crowded += " a" + std::to_string(i) + "=''";
    for (const std::string& text :
         {std::string("<?xml encoding='UTF&#45;8'?><a/>"), crowded + "/>"})
        EXPECT_GT(cleaner::XmlNestingBound(text), cleaner::kXmlDepthLimit) << text;
}

// Blanks between elements and end tags make no node: an ordinary document counts what the
// parser builds.
TEST(XmlNodeBound, CountsWhatTheParserBuilds)
{
    const std::string text =
        "<?xml version='1.0'?>\n<a x='1' y='2'>\n  <b>text</b> <!-- c -->\n</a>";
    TiXmlDocument document;
    ASSERT_TRUE(cleaner::ParseXmlText(text, document));
    EXPECT_EQ(ParsedNodes(document), cleaner::XmlNodeBound(text));
}

TEST(XmlText, EndsAtNulWithLineEndsAsLoadFileGivesThem)
{
    EXPECT_EQ("a\nb\nc\n\nd", cleaner::XmlText(std::string("a\r\nb\rc\n\r\nd\0e", 13)));
}
