#include "sim/host/script_engines.h"
#include "plugin/platform/text_conversion.h"

#include <cstddef>
#include <cstdlib>
#include <utility>

namespace simhost {

namespace {

// A movie's call: its name and its arguments as text.
class FlashCallRecord : public IFlashCallRecord {
public:
    FlashCallRecord(const std::string& name, std::vector<std::string> arguments)
        : name_(name), arguments_(std::move(arguments))
    {
    }
    virtual ~FlashCallRecord() = default;

    const char* GetName() override { return name_.c_str(); }
    const void* GetArg(int index) override { return GetStringArg(index); }
    std::int64_t GetInt64Arg(int index) override
    {
        const char* text = GetStringArg(index);
        return text ? std::strtoll(text, nullptr, 10) : 0;
    }
    const char* GetStringArg(int index) override
    {
        return index >= 0 && static_cast<std::size_t>(index) < arguments_.size()
                   ? arguments_[static_cast<std::size_t>(index)].c_str()
                   : nullptr;
    }

private:
    std::string name_;
    std::vector<std::string> arguments_;
};

template <class Handler>
BOOL32 Register(std::map<std::string, Handler*>& handlers, const char* method, Handler* handler)
{
    if (!method || !handler)
        return 0;
    handlers[method] = handler;
    return 1;
}

template <class Handler>
BOOL32 Unregister(std::map<std::string, Handler*>& handlers, const char* method,
                  Handler* handler)
{
    auto found = method ? handlers.find(method) : handlers.end();
    if (found == handlers.end() || found->second != handler)
        return 0;
    handlers.erase(found);
    return 1;
}

}  // namespace

BOOL32 FlashEngine::CallFlash(const char* request, char*, std::int32_t*)
{
    if (!record && !onCall)
        return 1;  // nobody looks: nothing to copy
    std::string text = request ? request : "";
    if (onCall)
        onCall(text);
    if (record)
        calls.push_back(std::move(text));
    return 1;
}

BOOL32 FlashEngine::RegisterFlashMethod(const char* method,
                                        IFlashAPICenterExternalInterface* handler)
{
    return Register(handlers, method, handler);
}

BOOL32 FlashEngine::UnregisterFlashMethod(const char* method,
                                          IFlashAPICenterExternalInterface* handler)
{
    return Unregister(handlers, method, handler);
}

int FlashEngine::MovieCall(const std::string& method, const std::string& argument)
{
    auto found = handlers.find(method);
    if (found == handlers.end())
        return -1;
    FlashCallRecord call(method, {argument, argument});
    BOOL32 handled = 0;
    found->second->OnCall(1, &call, &handled);
    return handled;
}

BOOL32 BrowserEngine::CallPage(const char* function, tagDISPPARAMS* arguments, tagVARIANT*,
                               std::uint32_t*)
{
    if (!record && !onCall)
        return 1;  // nobody looks: nothing to convert
    Call call{function ? function : "", arguments ? arguments->cArgs : 0, ""};
    if (arguments && arguments->cArgs > 0 && arguments->rgvarg &&
        arguments->rgvarg[0].vt == VT_BSTR)
        lumarin::BstrToUtf8(arguments->rgvarg[0].bstrVal, call.argument);
    if (onCall)
        onCall(call);
    if (record)
        calls.push_back(std::move(call));
    return 1;
}

BOOL32 BrowserEngine::RegisterPageMethod(const char* method, IBrowserAPICenterCall* handler)
{
    return Register(handlers, method, handler);
}

BOOL32 BrowserEngine::UnregisterPageMethod(const char* method, IBrowserAPICenterCall* handler)
{
    return Unregister(handlers, method, handler);
}

int BrowserEngine::PageCall(const std::string& method, const std::vector<PageValue>& values)
{
    auto found = handlers.find(method);
    if (found == handlers.end())
        return -1;
    std::vector<VARIANT> arguments(values.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        const PageValue& value = values[values.size() - 1 - i];  // IDispatch order
        VARIANT& argument = arguments[i];
        VariantInit(&argument);
        if (value.kind == PageValue::Text) {
            argument.vt = VT_BSTR;
            argument.bstrVal = lumarin::Utf8ToBstr(value.text);
        } else if (value.kind == PageValue::Int32) {
            argument.vt = VT_I4;
            argument.lVal = static_cast<std::int32_t>(value.number);
        } else {
            argument.vt = VT_I8;
            argument.llVal = value.number;
        }
    }
    DISPPARAMS params = {arguments.empty() ? nullptr : arguments.data(), nullptr,
                         static_cast<UINT>(arguments.size()), 0};
    VARIANT result;
    VariantInit(&result);
    BOOL32 handled = 0;
    found->second->OnBrowserCall(1, method.c_str(), &params, &result, &handled);
    for (VARIANT& argument : arguments)
        VariantClear(&argument);
    VariantClear(&result);
    return handled;
}

BOOL32 TitleSystem::GetTitleName(std::uint16_t titleId, std::string* name)
{
    if (onTitleName)
        onTitleName(titleId);
    auto found = titles.find(titleId);
    if (found == titles.end() || !name)
        return 0;
    *name = found->second.name;
    return 1;
}

BOOL32 TitleSystem::GetTitleColor(std::uint16_t titleId, std::string* color)
{
    auto found = titles.find(titleId);
    if (found == titles.end() || !color)
        return 0;
    *color = found->second.color;
    return 1;
}

}  // namespace simhost
