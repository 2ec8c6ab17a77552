// Both script bridges inside the plug-in, driven through the substitute host's Flash and
// browser engines: movie and page calls in, callbacks out.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "plugin/framework/host_components.h"
#include "plugin/platform/automation.h"
#include "plugin/platform/text_conversion.h"
#include "plugin/service/lumarin_plugin.h"
#include "sim/host/substitute_host.h"
#include "tests/plugin/example_pet.h"
#include "tests/plugin/fake_log_platform.h"
#include "tests/plugin/pet_records.h"
#include "tests/plugin/wide_text.h"
#include "tests/support/process.h"

using simhost::HostOptions;
using simhost::PageValue;
using simhost::SubstituteHost;

namespace {
const std::string kSuccess = "Lumarin_GetPetInfoCallBackSuc";
const std::string kFailure = "Lumarin_GetPetInfoCallBackFail";
}  // namespace

class Bridges : public ::testing::Test {
protected:
    void Start(HostOptions options = {})
    {
        host_ = std::make_unique<SubstituteHost>(options);
        host_->pets[kExamplePetId] = ExamplePet();
        for (std::uint64_t id : {11, 22, 33})
            host_->pets[id] = PatternedPet(id);
        plugin_ = new CLumarinPlugin;
        host_->AttachPlugin(plugin_);
        host_->StartPlugin();
    }
    void TearDown() override
    {
        if (host_ && host_->Plugin())
            host_->StopPlugin();
    }

    std::vector<std::uint64_t> Requested()
    {
        simhost::PetProtocol* protocol = host_->objectLoader.Current();
        std::vector<std::uint64_t> ids;
        for (const auto& request : protocol->requests)
            ids.insert(ids.end(), request.begin(), request.end());
        return ids;
    }

    std::vector<std::string> PageFunctions()
    {
        std::vector<std::string> functions;
        for (const auto& call : host_->browserEngine.calls)
            functions.push_back(call.function);
        return functions;
    }

    std::unique_ptr<SubstituteHost> host_;
    CLumarinPlugin* plugin_ = nullptr;
};

TEST_F(Bridges, WorkedExampleFromAMovieCall)
{
    Start();
    EXPECT_EQ(1, host_->flashEngine.MovieCall("Lumarin_GetPetInfo", "433791706897"));
    EXPECT_TRUE(host_->flashEngine.calls.empty());  // answered later
    host_->DeliverPending();
    ASSERT_EQ(1u, host_->flashEngine.calls.size());
    EXPECT_EQ(kExampleFlashRequest, host_->flashEngine.calls[0]);
    ASSERT_EQ(1u, host_->browserEngine.calls.size());  // every listener hears every result
    EXPECT_EQ(kExamplePageText, host_->browserEngine.calls[0].argument);
}

TEST_F(Bridges, WorkedExampleFromAPageCall)
{
    Start();
    EXPECT_EQ(1,
              host_->browserEngine.PageCall(
                  "Lumarin_GetPetInfo", {{PageValue::Int64, 433791706897LL, ""}}));
    host_->DeliverPending();
    ASSERT_EQ(1u, host_->browserEngine.calls.size());
    EXPECT_EQ(kSuccess, host_->browserEngine.calls[0].function);
    EXPECT_EQ(1u, host_->browserEngine.calls[0].argumentCount);
    EXPECT_EQ(kExamplePageText, host_->browserEngine.calls[0].argument);
    ASSERT_EQ(1u, host_->flashEngine.calls.size());
    EXPECT_EQ(kExampleFlashRequest, host_->flashEngine.calls[0]);
}

TEST_F(Bridges, IdListsFromMoviesAndPages)
{
    FakeLogPlatform platform(std::filesystem::temp_directory_path() / "no-such-host");
    Start();
    host_->flashEngine.MovieCall("Lumarin_GetPetInfoList", ",,12,,34,");
    host_->flashEngine.MovieCall("Lumarin_GetPetInfoList", "");
    host_->flashEngine.MovieCall("Lumarin_GetPetInfoList", " 7, 8");
    host_->browserEngine.PageCall("Lumarin_GetPetInfoList",
                                  {{PageValue::Text, 0, "11,22,33"}, {PageValue::Int32, 0, ""}});
    host_->browserEngine.PageCall("Lumarin_GetPetInfoList", {{PageValue::Text, 0, "5"}});
    EXPECT_EQ((std::vector<std::uint64_t>{12, 34, 7, 8, 11, 22, 33}), Requested());
    // Each token and a space, traced through the platform layer's standard error.
    EXPECT_EQ("12 34  7  8 11 22 33 ", platform.errorText);

    std::string many;
    for (int id = 1; id <= 101; ++id)
        many += std::to_string(id) + ",";
    host_->flashEngine.MovieCall("Lumarin_GetPetInfoList", many);
    ASSERT_EQ(100u, host_->objectLoader.Current()->requests.back().size());
    EXPECT_EQ(100u, host_->objectLoader.Current()->requests.back().back());
}

TEST_F(Bridges, OneCallbackPerRecordAndOnePerFailure)
{
    Start();
    host_->flashEngine.MovieCall("Lumarin_GetPetInfoList", "11,22,33");
    host_->DeliverPending();
    ASSERT_EQ(3u, host_->flashEngine.calls.size());
    EXPECT_NE(host_->flashEngine.calls[2].find("<string>33</string>"), std::string::npos);
    EXPECT_EQ((std::vector<std::string>{kSuccess, kSuccess, kSuccess}), PageFunctions());

    host_->flashEngine.calls.clear();
    host_->browserEngine.calls.clear();
    host_->objectLoader.Current()->QueueFailure();
    host_->DeliverPending();
    EXPECT_EQ(std::vector<std::string>{kFlashFailure}, host_->flashEngine.calls);
    EXPECT_EQ(std::vector<std::string>{kFailure}, PageFunctions());
    EXPECT_EQ(0u, host_->browserEngine.calls[0].argumentCount);
}

TEST_F(Bridges, HandledFlags)
{
    Start();
    host_->flashEngine.handlers["Lumarin_Other"] = host_->flashEngine.handlers.begin()->second;
    EXPECT_EQ(0, host_->flashEngine.MovieCall("Lumarin_Other", "1"));  // not in its table

    IBrowserAPICenterCall* page = host_->browserEngine.handlers.begin()->second;
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    int extra = 0;
    BOOL32 handled = 5;
    page->OnBrowserCall(1, "Lumarin_Other", &none, &extra, &handled);
    EXPECT_EQ(5, handled);  // already set: ignored
    handled = 0;
    page->OnBrowserCall(1, "OtherPlugin_GetPetInfo", &none, &extra, &handled);
    EXPECT_EQ(0, handled);
    page->OnBrowserCall(1, "Lumarin_Other", &none, &extra, &handled);
    EXPECT_EQ(0, handled);
    page->OnBrowserCall(1, "Lumarin_GetPetInfo", &none, &extra, &handled);
    EXPECT_EQ(1, handled);  // no argument: nothing asked, still handled
    handled = 0;
    page->OnBrowserCall(0, "Lumarin_GetPetInfo", &none, &extra, &handled);
    page->OnBrowserCall(1, "Lumarin_GetPetInfo", &none, nullptr, &handled);
    EXPECT_EQ(0, handled);
    // Element 1 that is no BSTR is not read as text.
    VARIANT arguments[2];
    VariantInit(&arguments[0]);
    VariantInit(&arguments[1]);
    arguments[1].vt = VT_I4;
    arguments[1].lVal = 12345;
    DISPPARAMS numbers = {arguments, nullptr, 2, 0};
    page->OnBrowserCall(1, "Lumarin_GetPetInfoList", &numbers, &extra, &handled);
    EXPECT_EQ(1, handled);
    EXPECT_TRUE(Requested().empty());
}

TEST_F(Bridges, RegisteredNameIsHandledWithoutTheService)
{
    Start();
    // The service gone from the host: calls are handled and ask nothing.
    plugin_->Uninitialize();
    host_->AttachPlugin(nullptr);
    CLumarinFlashAPI flash;
    ASSERT_EQ(1, flash.Init(&host_->root));
    EXPECT_EQ(1, host_->flashEngine.MovieCall("Lumarin_GetPetInfo", "11"));
    flash.Uninit();
    EXPECT_TRUE(host_->flashEngine.handlers.empty());
    host_->AttachPlugin(plugin_);
}

TEST_F(Bridges, RecordFieldsAndMissingComponents)
{
    HostOptions bare;
    bare.phasesLogic = false;
    bare.titleSystem = false;
    Start(bare);
    PetInfo pet = ExamplePet();
    pet.petid = (std::uint64_t{102} << 32) | 7;  // type code 102
    pet.vipFlag = -1;                             // the byte 0xFF
    pet.avatarnum = 300;                          // more than the record holds
    for (AvatarItem& item : pet.avatarItems)
        item = {1, 0, 2};
    host_->pets[pet.petid] = pet;
    host_->flashEngine.MovieCall("Lumarin_GetPetInfo", std::to_string(pet.petid));
    host_->DeliverPending();
    ASSERT_EQ(1u, host_->flashEngine.calls.size());
    const std::string& xml = host_->flashEngine.calls[0];
    EXPECT_NE(xml.find("<property id='petgender'><number>0</number>"), std::string::npos);
    EXPECT_NE(xml.find("<property id='vipFlag'><number>-1</number>"), std::string::npos);
    EXPECT_EQ(std::string::npos, xml.find("petclass"));  // no phase logic: left out
    std::string twenty;
    for (int i = 0; i < 20; ++i)
        twenty += "1.2#";
    EXPECT_NE(xml.find("<![CDATA[" + twenty + "]]>"), std::string::npos);
    const std::string& page = host_->browserEngine.calls[0].argument;
    EXPECT_NE(page.find("petgender:'0'"), std::string::npos);
    EXPECT_NE(page.find("vipFlag:'-1'"), std::string::npos);
    EXPECT_NE(page.find("petclass:'0'"), std::string::npos);
    EXPECT_NE(page.find("titlename:''\t\t\t   ,titlecolor:''}"), std::string::npos);
}

TEST_F(Bridges, TitlesAndAStartWithoutCentres)
{
    HostOptions noCentres;
    noCentres.flashEngine = false;
    noCentres.browserEngine = false;
    Start(noCentres);
    EXPECT_TRUE(host_->flashEngine.handlers.empty());
    plugin_->RequestPetInfo(kExamplePetId);
    host_->DeliverPending();  // the bridges still listen; nothing to call
    EXPECT_TRUE(host_->flashEngine.calls.empty());

    host_->titleSystem.titles[0] = {"Star", "#FFD700"};
    CLumarinJSAPI page;
    page.Init(&host_->root);
    PetInfo pet = ExamplePet();
    std::string text = Utf8(page.FormatPetInfoScript(&pet));
    EXPECT_NE(text.find(",titleid:'0'\t\t\t   ,titlename:'Star'\t\t\t   ,titlecolor:'#FFD700'}"),
              std::string::npos);
    EXPECT_TRUE(page.FormatPetInfoScript(nullptr).empty());
    host_->titleSystem.titles[0].name.assign(3000, 'n');  // a text beyond 2,046: never cut
    text = Utf8(page.FormatPetInfoScript(&pet));
    EXPECT_NE(text.find(std::string(3000, 'n') + "'\t\t\t   ,titlecolor:'#FFD700'}"),
              std::string::npos);
    page.Uninit();
}

TEST_F(Bridges, ATitleEndsAtItsNulForBothBridges)
{
    Start();
    host_->titleSystem.titles[0] = {std::string("ab\0cd", 5), std::string("#F\0F", 4)};
    plugin_->RequestPetInfo(kExamplePetId);
    host_->DeliverPending();
    ASSERT_EQ(1u, host_->flashEngine.calls.size());
    const std::string& movie = host_->flashEngine.calls[0];
    EXPECT_NE(movie.find("'titlecolor'><string><![CDATA[#F]]>"), std::string::npos);
    EXPECT_NE(movie.find("'titlename'><string><![CDATA[ab]]>"), std::string::npos);
    ASSERT_EQ(1u, host_->browserEngine.calls.size());
    EXPECT_NE(host_->browserEngine.calls[0].argument.find("titlename:'ab'\t\t\t   ,"
                                                          "titlecolor:'#F'}"),
              std::string::npos);
}

// A page's id by its VARIANT type: a value that is no id asks nothing and is not handled.
TEST_F(Bridges, PageIdsByType)
{
    struct Row {
        VARTYPE type;
        std::uint64_t bits;   // the whole 64-bit payload, garbage above the type included
        const char* text;     // for VT_BSTR
        std::optional<std::uint64_t> id;
    };
    auto real = [](double value) {
        std::uint64_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        return bits;
    };
    float single = 16777216.0f;
    std::uint64_t singleBits = 0xDEADBEEF00000000ULL;
    std::memcpy(&singleBits, &single, sizeof single);
    const Row rows[] = {
        {VT_I4, 0x7E0000000000000BULL, nullptr, 11},  // garbage above the 32 bits
        {VT_UI4, 0xFFFFFFFF00000000ULL | 4000000000u, nullptr, 4000000000u},
        {VT_I2, 0x1234000000000000ULL | 0x2A, nullptr, 42},
        {VT_UI1, 0xFF00, nullptr, 0},  // id 0: handled, asks nothing
        {VT_I8, 433791706897ULL, nullptr, 433791706897ULL},
        {VT_R8, real(433791706897.0), nullptr, 433791706897ULL},
        {VT_R4, singleBits, nullptr, 16777216u},
        {VT_R8, real(1.5), nullptr, std::nullopt},
        {VT_R8, real(18446744073709551616.0), nullptr, std::nullopt},
        {VT_BSTR, 0, "433791706897", 433791706897ULL},
        {VT_BSTR, 0, "18446744073709551615", 18446744073709551615ULL},
        {VT_BSTR, 0, "18446744073709551616", std::nullopt},
        {VT_BSTR, 0, "12a", std::nullopt},
        {VT_BSTR, 0, "", std::nullopt},
        {VT_EMPTY, 77, nullptr, std::nullopt},
        {11 /* VT_BOOL */, 1, nullptr, std::nullopt},
    };
    Start();
    IBrowserAPICenterCall* page = host_->browserEngine.handlers.begin()->second;
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.type) + " " + std::to_string(row.bits));
        simhost::PetProtocol* protocol = host_->objectLoader.Current();
        protocol->requests.clear();
        VARIANT argument;
        VariantInit(&argument);
        std::memcpy(&argument.llVal, &row.bits, sizeof row.bits);
        argument.vt = row.type;
        if (row.text)
            argument.bstrVal = lumarin::Utf8ToBstr(row.text);
        DISPPARAMS one = {&argument, nullptr, 1, 0};
        int extra = 0;
        BOOL32 handled = 0;
        page->OnBrowserCall(1, "Lumarin_GetPetInfo", &one, &extra, &handled);
        const bool asked = row.id && *row.id != 0;
        EXPECT_EQ(asked ? std::vector<std::uint64_t>{*row.id} : std::vector<std::uint64_t>{},
                  Requested());
        EXPECT_EQ(row.id ? 1 : 0, handled);
        if (row.text)
            SysFreeString(argument.bstrVal);
    }
}

TEST_F(Bridges, PageTextEscapesEveryValue)
{
    Start();
    PetInfo pet = ExamplePet();
    std::strcpy(pet.petname, "O'Ne\\il</b>\r\n");
    CLumarinJSAPI page;
    page.Init(&host_->root);
    std::string text = Utf8(page.FormatPetInfoScript(&pet));
    EXPECT_NE(text.find(",petname:'O\\'Ne\\\\il<\\/b>\\r\\n'\t"), std::string::npos) << text;
    page.Uninit();
}

// U+2028 and U+2029 end a script line: a page receives them escaped (they can only come
// from a UTF-8 narrow text).
TEST_F(Bridges, PageTextEscapesLineSeparators)
{
    if (testsupport::AnsiEncodingName() != "UTF-8")
        GTEST_SKIP() << "the narrow text is " << testsupport::AnsiEncodingName();
    Start();
    PetInfo pet = ExamplePet();
    std::strcpy(pet.petname, "a\xE2\x80\xA8" "b\xE2\x80\xA9");
    CLumarinJSAPI page;
    page.Init(&host_->root);
    ResultBlock block({pet});
    page.OnPetInfoResult(1, block.List());
    ASSERT_FALSE(host_->browserEngine.calls.empty());
    const std::string& text = host_->browserEngine.calls.back().argument;
    EXPECT_NE(text.find("petname:'a\\u2028b\\u2029'"), std::string::npos) << text;
    page.Uninit();
}

TEST_F(Bridges, APluginCreatedAfterAnotherWasDestroyedReachesItself)
{
    Start();
    host_->StopPlugin();  // the library stays loaded: its caches outlive the plug-in
    plugin_ = new CLumarinPlugin;
    host_->AttachPlugin(plugin_);
    ASSERT_EQ(1, host_->StartPlugin());
    host_->flashEngine.MovieCall("Lumarin_GetPetInfo", "11");
    host_->DeliverPending();
    EXPECT_EQ(1u, host_->flashEngine.calls.size());
}

// A host call made while a bridge fills a pet's text delivers another result (here the
// title name of pet 22, asked by each bridge in turn): every pet still reaches the movie
// and the page once, with the same text as when delivered alone.
TEST_F(Bridges, ResultDeliveredInsideAHostCallKeepsEachPetsOwnText)
{
    Start();
    host_->pets[22].titleid = 5;
    std::vector<std::uint64_t> nested = {11, 33};
    host_->titleSystem.onTitleName = [&](std::uint16_t titleId) {
        if (titleId != 5 || nested.empty())
            return;
        plugin_->RequestPetInfo(nested.front());
        nested.erase(nested.begin());
        host_->DeliverPending();
    };
    plugin_->RequestPetInfo(22);
    host_->DeliverPending();
    ASSERT_TRUE(nested.empty());  // both bridges were filling pet 22 when a result came
    auto flash = host_->flashEngine.calls;
    auto pages = PageFunctions();
    std::vector<std::string> pageTexts;
    for (const auto& call : host_->browserEngine.calls)
        pageTexts.push_back(call.argument);

    host_->flashEngine.calls.clear();
    host_->browserEngine.calls.clear();
    for (std::uint64_t id : {11, 22, 33}) {
        plugin_->RequestPetInfo(id);
        host_->DeliverPending();
    }
    std::vector<std::string> aloneTexts;
    for (const auto& call : host_->browserEngine.calls)
        aloneTexts.push_back(call.argument);
    auto alone = host_->flashEngine.calls;
    for (auto* texts : {&flash, &alone, &pageTexts, &aloneTexts})
        std::sort(texts->begin(), texts->end());
    EXPECT_EQ(alone, flash);
    EXPECT_EQ(aloneTexts, pageTexts);
    EXPECT_EQ(3u, pages.size());
}
