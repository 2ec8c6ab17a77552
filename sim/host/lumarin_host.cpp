// lumarin-host: stands in for the client that loads the Lumarin plug-in. It loads the
// library by path, starts it under the substitute host, and plays movie and page calls
// read from standard input, one per line; every callback into a movie or a page is
// printed on standard output.
//
//   lumarin-host [--plugin PATH] [--pets FILE]
//   lumarin-host --help
#include <cinttypes>
#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>

#include "sim/host/pet_printer.h"
#include "sim/host/pets_file.h"
#include "sim/host/substitute_host.h"

namespace {

int Usage(const std::string& problem)
{
    std::cerr << "lumarin-host: " << problem
              << " (usage: lumarin-host [--plugin PATH] [--pets FILE], or --help)" << std::endl;
    return 2;
}

int Help()
{
    std::cout
        << "usage: lumarin-host [--plugin PATH] [--pets FILE]; commands on standard input\n"
        << "  --plugin PATH   the plug-in library (default " << simhost::DefaultPluginPath()
        << ")\n"
        << "  --pets FILE     JSON file of the pets and titles served (default: samples)\n"
        << "  --help          these lines\n"
        << "commands, one per line; a callback prints \"flash TEXT\" or \"page FUNCTION [TEXT]\"\n"
        << "  flash Lumarin_GetPetInfo ID           a movie asks for one pet\n"
        << "  flash Lumarin_GetPetInfoList ID,ID... a movie asks for a list of pets\n"
        << "  page Lumarin_GetPetInfo ID            a page asks for one pet\n"
        << "  page Lumarin_GetPetInfoList ID,ID...  a page asks for a list of pets\n"
        << "  fail                                  the protocol layer reports a failure\n"
        << "  cached ID                             prints the cached record, or \"not cached\"\n";
    return 0;
}

ILumarin* Service(IPlugin* plugin)
{
    void* out = nullptr;
    return plugin->GetInterface("ILumarin", &out) ? static_cast<ILumarin*>(out) : nullptr;
}

void PrintCached(ILumarin* service, const std::string& text)
{
    PetInfo pet{};
    std::uint64_t petId = std::strtoull(text.c_str(), nullptr, 10);
    if (!service || !service->GetCachedPetInfo(petId, &pet)) {
        std::cout << "not cached" << std::endl;
        return;
    }
    std::cout << "cached " << simhost::DescribePet(pet) << std::endl;
}

// Plays one command line; false for a line that is no command.
bool Play(const std::string& line, simhost::SubstituteHost& host, std::string& error)
{
    std::istringstream words(line);
    std::string command, method;
    words >> command;
    if (command == "fail") {
        if (simhost::PetProtocol* protocol = host.objectLoader.Current())
            protocol->QueueFailure();
        return true;
    }
    if (command == "cached") {
        std::string id;
        words >> id;
        PrintCached(Service(host.Plugin()), id);
        return true;
    }
    if (command != "flash" && command != "page") {
        error = "unknown command '" + command + "'";
        return false;
    }
    words >> method;
    std::string argument;
    std::getline(words >> std::ws, argument);
    if (method.empty()) {
        error = command + " needs a method name";
        return false;
    }
    int handled;
    if (command == "flash") {
        handled = host.flashEngine.MovieCall(method, argument);
    } else if (method == "Lumarin_GetPetInfo") {
        auto petId = static_cast<std::int64_t>(std::strtoull(argument.c_str(), nullptr, 10));
        handled = host.browserEngine.PageCall(method, {{simhost::PageValue::Int64, petId, ""}});
    } else {  // a page passes the id text and a second argument, 0
        handled = host.browserEngine.PageCall(
            method, {{simhost::PageValue::Text, 0, argument}, {simhost::PageValue::Int32, 0, ""}});
    }
    if (handled < 0) {
        error = "no handler registered for " + command + " method '" + method + "'";
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string pluginPath = simhost::DefaultPluginPath();
    std::string petsPath;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help")
            return Help();
        if ((arg != "--plugin" && arg != "--pets"))
            return Usage("unknown argument '" + arg + "'");
        if (i + 1 >= argc)
            return Usage(arg + " needs a value");
        (arg == "--plugin" ? pluginPath : petsPath) = argv[++i];
    }

    simhost::HostOptions options;
    options.record = false;  // callbacks are printed, not kept: constant memory
    simhost::SubstituteHost host(options);
    std::string error;
    if (petsPath.empty()) {
        simhost::LoadSamplePets(host);
    } else if (!simhost::LoadPetsFile(petsPath, host, error)) {
        std::cerr << "lumarin-host: " << error << std::endl;
        return 2;
    }
    if (!host.LoadPlugin(pluginPath, error)) {
        std::cerr << "lumarin-host: " << error << std::endl;
        return 1;
    }
    host.flashEngine.onCall = [](const std::string& request) {
        std::cout << "flash " << request << std::endl;
    };
    host.browserEngine.onCall = [](const simhost::BrowserEngine::Call& call) {
        std::cout << "page " << call.function;
        if (call.argumentCount > 0)
            std::cout << ' ' << call.argument;
        std::cout << std::endl;
    };
    if (!host.StartPlugin())
        std::cerr << "lumarin-host: the plug-in's Initialize answered 0" << std::endl;

    std::string line;
    while (std::getline(std::cin, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.find_first_not_of(" \t") == std::string::npos)
            continue;
        if (!Play(line, host, error))
            std::cerr << "lumarin-host: " << error << std::endl;
        host.DeliverPending();  // the protocol layer answers after the call
    }
    host.StopPlugin();
    return 0;
}
