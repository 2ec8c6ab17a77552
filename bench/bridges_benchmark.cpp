// The script bridges: the Flash request text and the page text for one record, and a
// 100-record result delivered to both bridges through the substitute centres. Beside
// them, the same Flash document built with tinyxml2's XMLPrinter (CDATA on).
#include <benchmark/benchmark.h>
#include <tinyxml2.h>

#include <cstring>
#include <string>
#include <vector>

#include "plugin/bridges/pet_fields.h"
#include "plugin/framework/host_components.h"
#include "plugin/service/lumarin_plugin.h"
#include "sim/host/substitute_host.h"
#include "tests/plugin/example_pet.h"

namespace {

// The worked example record under another id, with a title.
PetInfo Pet(std::uint64_t petId)
{
    PetInfo pet = ExamplePet();
    pet.petid = petId;
    pet.titleid = 7;
    return pet;
}

// A started plug-in in a substitute host that knows pets 1 to 100.
struct Fixture {
    Fixture()
    {
        host.titleSystem.titles[7] = {"Star", "#FFD700"};
        for (std::uint64_t id = 1; id <= 100; ++id)
            host.pets[id] = Pet(id);
        plugin = new CLumarinPlugin;
        host.AttachPlugin(plugin);
        host.StartPlugin();
        flash.Init(&host.root);
        page.Init(&host.root);
    }
    simhost::SubstituteHost host;
    CLumarinPlugin* plugin;
    CLumarinFlashAPI flash;
    CLumarinJSAPI page;
};

Fixture& Started()
{
    static Fixture fixture;
    return fixture;
}

void FlashRequestText(benchmark::State& state)
{
    Fixture& fixture = Started();
    PetInfo pet = Pet(433791706897ULL);
    for (auto _ : state)
        benchmark::DoNotOptimize(fixture.flash.SuccessRequest(pet));
}

void NumberProperty(tinyxml2::XMLPrinter& printer, const char* id, long long value)
{
    printer.OpenElement("property");
    printer.PushAttribute("id", id);
    printer.OpenElement("number");
    printer.PushText(static_cast<int64_t>(value));
    printer.CloseElement();
    printer.CloseElement();
}

void TextProperty(tinyxml2::XMLPrinter& printer, const char* id, const char* text, bool cdata)
{
    printer.OpenElement("property");
    printer.PushAttribute("id", id);
    printer.OpenElement("string");
    printer.PushText(text, cdata);
    printer.CloseElement();
    printer.CloseElement();
}

// The same document, the same host lookups, with XMLPrinter; properties in byte order. The
// names follow the list in VisitPetFields (plugin/bridges/pet_fields.h).
void FlashRequestWithXMLPrinter(benchmark::State& state)
{
    Fixture& fixture = Started();
    PetInfo pet = Pet(433791706897ULL);
    IKivPetTitleSystem* titles = &fixture.host.titleSystem;
    IPhasesLogic* phases = &fixture.host.phasesLogic;
    for (auto _ : state) {
        std::string titleName, titleColor;
        titles->GetTitleName(pet.titleid, &titleName);
        titles->GetTitleColor(pet.titleid, &titleColor);
        int petClass = phases->GetPetClass(lumarin::TypeCode(pet.petid), pet.petLevel);
        std::string avatar = lumarin::FormatAvatarData(pet);
        std::string petName = lumarin::NameText(pet.petname);
        std::string kivName = lumarin::NameText(pet.kivname);
        std::string petId = std::to_string(pet.petid);

        tinyxml2::XMLPrinter printer(nullptr, true);
        printer.OpenElement("invoke");
        printer.PushAttribute("name", "Lumarin_GetPetInfoCallBackSuc");
        printer.PushAttribute("returntype", "xml");
        printer.OpenElement("arguments");
        printer.OpenElement("object");
        NumberProperty(printer, "avatarVersion", pet.avatarVersion);
        TextProperty(printer, "avatardata", avatar.c_str(), true);
        NumberProperty(printer, "avatarnum", pet.avatarnum);
        TextProperty(printer, "kivname", kivName.c_str(), true);
        NumberProperty(printer, "kivnumber", static_cast<std::uint32_t>(pet.petid));
        NumberProperty(printer, "petLevel", pet.petLevel);
        NumberProperty(printer, "petclass", petClass);
        NumberProperty(printer, "petgender", lumarin::Gender(pet.petid));
        TextProperty(printer, "petid", petId.c_str(), false);
        TextProperty(printer, "petname", petName.c_str(), true);
        TextProperty(printer, "titlecolor", titleColor.c_str(), true);
        NumberProperty(printer, "titleid", pet.titleid);
        TextProperty(printer, "titlename", titleName.c_str(), true);
        NumberProperty(printer, "vipFlag", pet.vipFlag);
        printer.CloseElement();
        printer.CloseElement();
        printer.CloseElement();
        std::string text(printer.CStr());
        benchmark::DoNotOptimize(text);
    }
}

void PageText(benchmark::State& state)
{
    Fixture& fixture = Started();
    PetInfo pet = Pet(433791706897ULL);
    for (auto _ : state)
        benchmark::DoNotOptimize(fixture.page.FormatPetInfoScript(&pet));
}

// With the substitute centres recording every call (as the tests run them), and, in the
// second, recording nothing (as lumarin-host runs them): the plug-in's own share.
void HundredRecordsToBothBridges(benchmark::State& state)
{
    Fixture& fixture = Started();
    fixture.host.flashEngine.record = fixture.host.browserEngine.record = state.range(0) != 0;
    std::vector<std::uint64_t> block(1 + 100 * sizeof(PetInfo) / 8);
    auto* list = reinterpret_cast<PetInfoList*>(block.data());
    list->count = 100;
    for (std::uint64_t i = 0; i < 100; ++i)
        (&list->records[0])[i] = Pet(i + 1);
    auto* protocol = static_cast<IPetZoneShowInfoProtocol*>(fixture.host.objectLoader.Current());
    for (auto _ : state) {
        fixture.plugin->OnResult(protocol, list);
        state.PauseTiming();
        fixture.host.flashEngine.calls.clear();
        fixture.host.browserEngine.calls.clear();
        state.ResumeTiming();
    }
}

}  // namespace

BENCHMARK(FlashRequestText);
BENCHMARK(FlashRequestWithXMLPrinter);
BENCHMARK(PageText);
BENCHMARK(HundredRecordsToBothBridges)->ArgName("recorded")->Arg(1)->Arg(0);
BENCHMARK_MAIN();
