// ActionScript values and their XML.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "plugin/bridges/as_object.h"

TEST(ASObject, KindsAndEmptyValues)
{
    EXPECT_STREQ(ASOBase(nullptr).GetXML(), "<object></object>");
    EXPECT_STREQ(ASOBase("").GetXML(), "<object></object>");
    ASOBase object("object");
    object.SetValue(static_cast<IASObject*>(nullptr));
    EXPECT_STREQ(object.GetXML(), "<object><null/></object>");
    ASOBase text("string");
    text.SetValue(static_cast<const char*>(nullptr));
    EXPECT_STREQ(text.GetXML(), "<string><![CDATA[]]></string>");
}

TEST(ASObject, PropertiesInByteOrderAndReplaced)
{
    ASOBase object("object");
    object.SetProperty("vipFlag", std::int32_t{1});
    object.SetProperty("avatardata", "x");
    object.SetProperty("avatarVersion", std::int32_t{3});
    object.SetProperty("petid", std::uint64_t{1});
    object.SetProperty("petid", std::uint64_t{4294967297ULL});
    object.SetProperty(nullptr, "ignored");
    object.SetProperty("child", static_cast<IASObject*>(nullptr));
    EXPECT_STREQ(object.GetXML(),
                 "<object><property id='avatarVersion'><number>3</number></property>"
                 "<property id='avatardata'><string><![CDATA[x]]></string></property>"
                 "<property id='petid'><string>4294967297</string></property>"
                 "<property id='vipFlag'><number>1</number></property></object>");
}

TEST(ASObject, NumbersAreNeverCut)
{
    ASOBase object("object");
    object.SetProperty("max", UINT64_MAX);
    object.SetProperty("min", std::int32_t{INT32_MIN});
    object.SetProperty("long", ASLong{-5});
    object.SetProperty("unsigned", std::uint32_t{UINT32_MAX});
    object.SetProperty("half", 1.5f);
    object.SetProperty("huge", 1e30f);
    std::string xml = object.GetXML();
    EXPECT_NE(xml.find("<property id='max'><string>18446744073709551615</string>"),
              std::string::npos);
    EXPECT_NE(xml.find("<property id='min'><number>-2147483648</number>"), std::string::npos);
    EXPECT_NE(xml.find("<property id='long'><number>-5</number>"), std::string::npos);
    EXPECT_NE(xml.find("<property id='unsigned'><number>4294967295</number>"),
              std::string::npos);
    EXPECT_NE(xml.find("<property id='half'><number>1.500000</number>"), std::string::npos);
    // 1e30 as a float prints 38 characters; all of them stay.
    EXPECT_NE(xml.find("<number>1000000015047466219876688855040.000000</number>"),
              std::string::npos);
    ASOBase signed64("number");
    signed64.SetValue(std::int64_t{INT64_MIN});
    EXPECT_STREQ(signed64.GetXML(), "<number>-9223372036854775808</number>");
}

TEST(ASObject, TextGoesIntoCDataUnchangedAndSplitAtItsEnd)
{
    ASOBase text("string");
    text.SetValue("a'b\"<&>");
    EXPECT_STREQ(text.GetXML(), "<string><![CDATA[a'b\"<&>]]></string>");
    text.SetValue("x]]>y]]>");
    EXPECT_STREQ(text.GetXML(),
                 "<string><![CDATA[x]]]]><![CDATA[>y]]]]><![CDATA[>]]></string>");
    text.SetValue("\x01\x1F\ta\r\nb");
    EXPECT_STREQ(text.GetXML(), "<string><![CDATA[\ta]]>&#13;<![CDATA[\nb]]></string>");
}

TEST(ASObject, LongOutputIsNeverCut)
{
    const std::string text(300000, 'x');
    ASOBase object("object");
    object.SetProperty("long", text.c_str());
    const std::string expected =
        "<object><property id='long'><string><![CDATA[" + text + "]]></string></property></object>";
    EXPECT_EQ(expected, object.GetXML());
}

TEST(ASObject, ChildIsCopiedWhenSet)
{
    ASOBase child("object");
    child.SetProperty("a", std::int32_t{1});
    ASOBase parent("object");
    parent.SetProperty("child", static_cast<IASObject*>(&child));
    child.SetProperty("b", std::int32_t{2});
    // A null id leaves the child alone: its text taken before stays valid.
    const char* childText = child.GetXML();
    parent.SetProperty(nullptr, static_cast<IASObject*>(&child));
    EXPECT_STREQ(childText, "<object><property id='a'><number>1</number></property>"
                            "<property id='b'><number>2</number></property></object>");
    EXPECT_STREQ(parent.GetXML(),
                 "<object><property id='child'><object><property id='a'><number>1</number>"
                 "</property></object></property></object>");
}

TEST(ASObject, InvokeText)
{
    EXPECT_EQ("<invoke name='f'  returntype='xml'><arguments></arguments></invoke>",
              lumarin::MakeInvokeXML("f", ""));
    EXPECT_EQ("<invoke name='f'  returntype='xml'><arguments><null/></arguments></invoke>",
              lumarin::MakeInvokeXML("f", "<null/>"));
}

namespace {

// Replaces the child form, as a host's own object class may: it must see every write.
class WatchedObject : public ASOBase {
public:
    using ASOBase::SetProperty;
    void SetProperty(const char* id, IASObject* child) override
    {
        seen.push_back(id ? id : "(null)");
        ASOBase::SetProperty(id, child);
    }
    std::vector<std::string> seen;
};

// Every typed form, with an id set twice and a text that needs care.
template <class Object>
void SetEveryKind(Object& object)
{
    object.SetProperty("u64", std::uint64_t{18446744073709551615ULL});
    object.SetProperty("f", 1.5f);
    object.SetProperty("i", std::int32_t{-7});
    object.SetProperty("u", std::uint32_t{7});
    object.SetProperty("l", ASLong{-8});
    object.SetProperty("t", "a]]>b\r");
    object.SetProperty("i", std::int32_t{9});
}

}  // namespace

TEST(ASObject, ADerivedClassSeesEveryWriteAndWritesTheSameXML)
{
    ASOBase plain("object");
    WatchedObject watched;
    SetEveryKind(plain);
    SetEveryKind(watched);
    EXPECT_EQ(std::vector<std::string>({"u64", "f", "i", "u", "l", "t", "i"}), watched.seen);
    EXPECT_STREQ(plain.GetXML(), watched.GetXML());
}

// Cleared and filled again, as the Flash bridge does per record: only what was set since
// shows, in byte order, whatever ids and order the new round brings.
TEST(ASObject, ClearedObjectShowsOnlyWhatIsSetAgain)
{
    ASOBase object("object");
    for (int round = 0; round < 3; ++round) {
        object.Clear();
        object.SetProperty("b", std::int32_t{round});
        object.SetProperty("a", "x");
    }
    object.Clear();
    object.SetProperty("a", "y");
    object.SetProperty("c", std::int32_t{5});
    EXPECT_STREQ(object.GetXML(),
                 "<object><property id='a'><string><![CDATA[y]]></string></property>"
                 "<property id='c'><number>5</number></property></object>");
    object.Clear();
    EXPECT_STREQ(object.GetXML(), "<object></object>");

    // An id from a buffer the caller reuses: what the text says counts, not where it is.
    char id[8] = "k";
    for (const char* name : {"k", "k", "kk", "j"}) {
        object.Clear();
        std::strcpy(id, name);
        object.SetProperty(id, std::int32_t{1});
    }
    EXPECT_STREQ(object.GetXML(),
                 "<object><property id='j'><number>1</number></property></object>");
}
