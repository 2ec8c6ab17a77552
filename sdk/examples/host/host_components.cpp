#include "host_components.h"

#include <cstdio>
#include <cstring>

namespace {

// A BSTR's UTF-16 text as UTF-8, for printing.
std::string Utf8(BSTR text)
{
    std::string out;
    const UINT length = SysStringLen(text);
    for (UINT i = 0; i < length; ++i) {
        std::uint32_t c = static_cast<std::uint16_t>(text[i]);
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < length) {
            const std::uint32_t low = static_cast<std::uint16_t>(text[i + 1]);
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

}  // namespace

BOOL32 HostPlugin::GetComponentContainer(IComponentContainer** out)
{
    *out = components_.empty() ? nullptr : this;
    return !components_.empty();
}

BOOL32 HostPlugin::GetInterface(const char* name, void** out)
{
    auto found = interfaces_.find(name ? name : "");
    if (found == interfaces_.end())
        return 0;
    *out = found->second;
    return 1;
}

BOOL32 HostPlugin::FindComponent(IPlugin** out, const char* id)
{
    auto found = components_.find(id ? id : "");
    if (found == components_.end())
        return 0;
    *out = found->second;
    return 1;
}

BOOL32 PetProtocol::Bind(IOnlineRootProtocol*, Protocol::IGetPetZoneShowInfo2ProtocolEvent* sink,
                         std::int32_t)
{
    sink_ = sink;
    return 1;
}

BOOL32 PetProtocol::Request(PetIdList* ids)
{
    pending_.emplace_back(ids->ids, ids->ids + ids->count);  // the block is the caller's
    return 1;
}

void PetProtocol::Deliver()
{
    const std::uint64_t kPip = 433791706897ULL;
    std::vector<std::vector<std::uint64_t>> requests;
    requests.swap(pending_);
    for (const std::vector<std::uint64_t>& ids : requests) {
        std::vector<unsigned char> block(PetInfoListSize(static_cast<std::uint16_t>(ids.size())));
        auto* list = reinterpret_cast<PetInfoList*>(block.data());
        PetInfo* record = list->records;
        for (std::uint64_t id : ids) {
            if (id != kPip)
                continue;
            record->petid = id;
            std::strcpy(record->petname, "Pip");
            std::strcpy(record->kivname, "Ann");
            record->petLevel = 12;
            record->titleid = 7;
            ++record;
            ++list->count;
        }
        if (!sink_)
            return;
        if (list->count)
            sink_->OnResult(this, list);
        else
            sink_->OnError(this, 1);
    }
}

BOOL32 Components::CallFlash(const char* request, char*, std::int32_t*)
{
    std::printf("flash %s\n", request);
    ++callbacks;
    return 1;
}

BOOL32 Components::RegisterFlashMethod(const char* method, IFlashAPICenterExternalInterface* h)
{
    movieMethods[method] = h;
    return 1;
}

BOOL32 Components::UnregisterFlashMethod(const char* method, IFlashAPICenterExternalInterface*)
{
    movieMethods.erase(method);
    return 1;
}

BOOL32 Components::CallPage(const char* function, tagDISPPARAMS* arguments, tagVARIANT*,
                            std::uint32_t*)
{
    const bool text = arguments->cArgs > 0 && arguments->rgvarg[0].vt == VT_BSTR;
    std::printf("page %s%s%s\n", function, text ? " " : "",
                text ? Utf8(arguments->rgvarg[0].bstrVal).c_str() : "");
    ++callbacks;
    return 1;
}

BOOL32 Components::RegisterPageMethod(const char* method, IBrowserAPICenterCall* handler)
{
    pageMethods[method] = handler;
    return 1;
}

BOOL32 Components::UnregisterPageMethod(const char* method, IBrowserAPICenterCall*)
{
    pageMethods.erase(method);
    return 1;
}

std::int32_t Components::GetPetClass(std::uint16_t, std::uint16_t level)
{
    return level / 10 + 1;
}

BOOL32 Components::GetTitleName(std::uint16_t titleId, std::string* name)
{
    *name = titleId == 7 ? "Star" : "";
    return 1;
}

BOOL32 Components::GetTitleColor(std::uint16_t titleId, std::string* color)
{
    *color = titleId == 7 ? "#FFD700" : "";
    return 1;
}

BOOL32 Components::RegisterPlugin(IPlugin*)
{
    std::printf("main logic: plug-in registered\n");
    return 1;
}

BOOL32 Components::UnregisterPlugin(IPlugin*)
{
    std::printf("main logic: plug-in unregistered\n");
    return 1;
}

IObject* Components::LoadObject(IObject*, const char* module, ClassId classId)
{
    const bool quorlink = std::strcmp(module, "Quorlink.dll") == 0 && classId == 0x100053A;
    return quorlink ? &protocol : nullptr;
}

BOOL32 Components::ReleaseObject(IObject* object, std::int32_t)
{
    if (object == &protocol)
        protocol.Release();
    return 1;
}
