// The substitute host's script side: "flashengine" and "browserengine" record every call
// the plug-in makes into movies and pages and route movie and page calls to the handlers
// registered for their names; "phaseslogic" and "kivpettitlesystem" answer from rules and
// a table.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "plugin/platform/platform.h"
#include "sim/host/host_component.h"

namespace simhost {

class FlashEngine : public HostComponent, public IFlashAPICenter {
public:
    explicit FlashEngine(IPlugin* parent) : HostComponent("flashengine", parent)
    {
        Offer("IFlashAPICenter", static_cast<IFlashAPICenter*>(this));
    }

    BOOL32 CallFlash(const char* request, char* response, std::int32_t* capacity) override;
    BOOL32 RegisterFlashMethod(const char* method,
                               IFlashAPICenterExternalInterface* handler) override;
    BOOL32 UnregisterFlashMethod(const char* method,
                                 IFlashAPICenterExternalInterface* handler) override;

    // A movie calls `method` with the argument text: argument 0 is the text read as a
    // 64-bit number, argument 1 the text itself. Gives the handled flag; -1 when no
    // handler is registered for the name.
    int MovieCall(const std::string& method, const std::string& argument);

    bool record = true;
    std::vector<std::string> calls;  // every request text, in order, when recording
    std::function<void(const std::string&)> onCall;
    std::map<std::string, IFlashAPICenterExternalInterface*> handlers;
};

// One argument of a page call, as a page script passes it.
struct PageValue {
    enum Kind { Int64, Int32, Text } kind;
    std::int64_t number;
    std::string text;
};

class BrowserEngine : public HostComponent, public IBrowserAPICenter {
public:
    explicit BrowserEngine(IPlugin* parent) : HostComponent("browserengine", parent)
    {
        Offer("IBrowserAPICenter", static_cast<IBrowserAPICenter*>(this));
    }

    BOOL32 CallPage(const char* function, tagDISPPARAMS* arguments, tagVARIANT* result,
                    std::uint32_t* argumentError) override;
    BOOL32 RegisterPageMethod(const char* method, IBrowserAPICenterCall* handler) override;
    BOOL32 UnregisterPageMethod(const char* method, IBrowserAPICenterCall* handler) override;

    // A page calls `method` with `values`; they reach the handler in IDispatch order (the
    // last argument in element 0). Gives the handled flag; -1 when no handler is registered.
    int PageCall(const std::string& method, const std::vector<PageValue>& values);

    struct Call {
        std::string function;
        unsigned argumentCount;
        std::string argument;  // element 0 as UTF-8 text, when it is a BSTR
    };
    bool record = true;
    std::vector<Call> calls;  // when recording
    std::function<void(const Call&)> onCall;
    std::map<std::string, IBrowserAPICenterCall*> handlers;
};

class PhasesLogic : public HostComponent, public IPhasesLogic {
public:
    explicit PhasesLogic(IPlugin* parent) : HostComponent("phaseslogic", parent)
    {
        Offer("IPhasesLogic", static_cast<IPhasesLogic*>(this));
    }
    std::int32_t GetPetClass(std::uint16_t, std::uint16_t level) override
    {
        return level / 10 + 1;
    }
};

struct Title {
    std::string name;
    std::string color;
};

class TitleSystem : public HostComponent, public IKivPetTitleSystem {
public:
    explicit TitleSystem(IPlugin* parent) : HostComponent("kivpettitlesystem", parent)
    {
        Offer("IKivPetTitleSystem", static_cast<IKivPetTitleSystem*>(this));
    }
    BOOL32 GetTitleName(std::uint16_t titleId, std::string* name) override;
    BOOL32 GetTitleColor(std::uint16_t titleId, std::string* color) override;

    std::map<std::uint16_t, Title> titles;  // an unknown id gives empty texts
    // Called first in GetTitleName: a host that pumps messages there may deliver a result.
    std::function<void(std::uint16_t titleId)> onTitleName;
};

}  // namespace simhost
