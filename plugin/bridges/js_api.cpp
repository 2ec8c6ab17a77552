#include "plugin/bridges/js_api.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <exception>
#include <memory>
#include <string_view>

#include "plugin/bridges/decimal_text.h"
#include "plugin/bridges/pet_fields.h"
#include "plugin/framework/host_lookup.h"
#include "plugin/platform/platform.h"
#include "plugin/platform/text_conversion.h"

using lumarin::DecimalText;
using lumarin::GetHostInterface;
using lumarin::HostInterfaceCache;
using lumarin::HostInterfaces;

namespace {

constexpr char kGetPetInfo[] = "Lumarin_GetPetInfo";
constexpr char kGetPetInfoList[] = "Lumarin_GetPetInfoList";
constexpr char kSeparator[] = "\t\t\t   ,";

// `text` for a single-quoted script string: backslash, quote, line feed and carriage
// return escaped, and "</" written "<\/" so the text cannot end a page's script element.
// Double-byte characters are copied whole.
bool NeedsEscape(char c)
{
    return c == '\\' || c == '\'' || c == '\n' || c == '\r' || c == '/' ||
           static_cast<unsigned char>(c) >= 0x80;
}

void AppendEscaped(std::string& out, std::string_view text)
{
    bool needed = false;  // every byte looked at, no early exit: the compiler vectorises it
    for (char c : text)
        needed |= NeedsEscape(c);
    if (!needed) {
        out.append(text.data(), text.size());
        return;
    }
    // A name field may end without its NUL: AnsiCharLength reads a copy that has one.
    const std::string terminated(text);
    for (std::size_t i = 0; i < text.size();) {
        char c = text[i];
        std::size_t length = static_cast<unsigned char>(c) >= 0x80
                                 ? lumarin::AnsiCharLength(terminated.c_str() + i)
                                 : 1;
        if (length > 1) {
            out.append(text.data() + i, std::min(length, text.size() - i));
        } else if (c == '\\' || c == '\'') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '/' && i > 0 && text[i - 1] == '<') {
            out += "\\/";
        } else {
            out += c;
        }
        i += length;
    }
}

// The separator, the name and ":'" go in with one append (the sizes are known here).
template <std::size_t N>
void AppendField(std::string& out, const char (&name)[N], std::string_view value)
{
    char head[sizeof kSeparator + N + 1];
    char* at = head;
    if (out.size() > 1) {
        std::memcpy(at, kSeparator, sizeof kSeparator - 1);
        at += sizeof kSeparator - 1;
    }
    std::memcpy(at, name, N - 1);
    at += N - 1;
    *at++ = ':';
    *at++ = '\'';
    out.append(head, static_cast<std::size_t>(at - head));
    AppendEscaped(out, value);
    out += '\'';
}

struct FreeBstr {
    void operator()(OLECHAR* text) const { SysFreeString(text); }
};
using OwnedBstr = std::unique_ptr<OLECHAR, FreeBstr>;

// Looks at every unit without stopping early, so the compiler makes it vector code.
bool HasLineSeparators(BSTR text)
{
    const UINT length = SysStringLen(text);
    bool found = false;
    for (UINT i = 0; i < length; ++i)
        found |= (text[i] & 0xFFFE) == 0x2028;
    return found;
}

// The text with U+2028 and U+2029, line ends to a script, written as "\u2028" and
// "\u2029"; null when memory runs out.
BSTR EscapeLineSeparators(BSTR text)
{
    std::basic_string<OLECHAR> escaped;
    const UINT length = SysStringLen(text);
    for (UINT i = 0; i < length; ++i) {
        OLECHAR unit = text[i];
        if (unit == 0x2028 || unit == 0x2029) {
            for (char c : {'\\', 'u', '2', '0', '2'})
                escaped += static_cast<OLECHAR>(c);
            escaped += static_cast<OLECHAR>(unit == 0x2028 ? '8' : '9');
        } else {
            escaped += unit;
        }
    }
    return SysAllocStringLen(escaped.data(), static_cast<UINT>(escaped.size()));
}

}  // namespace

BOOL32 CLumarinJSAPI::Init(IPlugin* owner)
{
    if (!owner)
        return 0;
    SetPlugin(owner);
    HostInterfaceCache& hosts = HostInterfaces();
    if (GetHostInterface(*this, "browserengine", "IBrowserAPICenter", hosts.browserCenter)) {
        hosts.browserCenter->RegisterPageMethod(kGetPetInfo, this);
        hosts.browserCenter->RegisterPageMethod(kGetPetInfoList, this);
    }
    if (GetHostInterface(*this, "lumarin", "ILumarin", hosts.lumarin))
        hosts.lumarin->AddListener(this);
    return 1;
}

void CLumarinJSAPI::Uninit()
{
    HostInterfaceCache& hosts = HostInterfaces();
    if (GetHostInterface(*this, "browserengine", "IBrowserAPICenter", hosts.browserCenter)) {
        hosts.browserCenter->UnregisterPageMethod(kGetPetInfo, this);
        hosts.browserCenter->UnregisterPageMethod(kGetPetInfoList, this);
    }
    if (GetHostInterface(*this, "lumarin", "ILumarin", hosts.lumarin))
        hosts.lumarin->RemoveListener(this);
}

void CLumarinJSAPI::OnBrowserCall(std::uint32_t context, const char* method,
                                  tagDISPPARAMS* arguments, void* extra, BOOL32* handled)
{
    if (context == 0 || !method || !arguments || !extra || !handled || *handled)
        return;
    if (!std::strstr(method, "Lumarin_"))
        return;
    try {
        if (std::strcmp(method, kGetPetInfo) == 0) {
            if (HandleGetPetInfo(arguments)) {
                *handled = 1;
                return;
            }
        }
        if (std::strcmp(method, kGetPetInfoList) == 0) {
            *handled = HandleGetPetInfoList(arguments) ? 1 : 0;
            return;
        }
        *handled = 0;
    } catch (const std::exception&) {
        // this call ends here; nothing may leave a host call
    }
}

BOOL32 CLumarinJSAPI::HandleGetPetInfo(tagDISPPARAMS* arguments)
{
    HostInterfaceCache& hosts = HostInterfaces();
    if (GetHostInterface(*this, "lumarin", "ILumarin", hosts.lumarin) && arguments->rgvarg &&
        arguments->cArgs >= 1)
        // The 64 bits are read whatever `vt` says: a page passes the id as a 64-bit number.
        hosts.lumarin->RequestPetInfo(static_cast<std::uint64_t>(arguments->rgvarg[0].llVal));
    return 1;
}

BOOL32 CLumarinJSAPI::HandleGetPetInfoList(tagDISPPARAMS* arguments)
{
    HostInterfaceCache& hosts = HostInterfaces();
    if (!GetHostInterface(*this, "lumarin", "ILumarin", hosts.lumarin))
        return 1;
    PetIdList ids{};
    // Element 1 is read as text only when it holds a BSTR: any other payload is no pointer.
    if (arguments->rgvarg && arguments->cArgs >= 2 && arguments->rgvarg[1].vt == VT_BSTR &&
        arguments->rgvarg[1].bstrVal) {
        std::string text;
        if (!lumarin::BstrToAnsi(arguments->rgvarg[1].bstrVal, text, lumarin::CodePage::System))
            return 1;  // a failed conversion ends the call
        lumarin::ParsePetIdList(text.c_str(), ids);
    }
    hosts.lumarin->RequestPetInfoList(&ids);
    return 1;
}

std::string CLumarinJSAPI::FormatPetInfoScript(const PetInfo* record)
{
    if (!record)
        return std::string();
    HostInterfaceCache& hosts = HostInterfaces();
    const std::uint64_t petId = record->petid;
    std::string titleName, titleColor;
    if (GetHostInterface(*this, "kivpettitlesystem", "IKivPetTitleSystem", hosts.titleSystem)) {
        hosts.titleSystem->GetTitleName(record->titleid, &titleName);
        hosts.titleSystem->GetTitleColor(record->titleid, &titleColor);
    }
    std::uint32_t petClass = 0;
    if (GetHostInterface(*this, "phaseslogic", "IPhasesLogic", hosts.phasesLogic))
        petClass = static_cast<std::uint32_t>(
            hosts.phasesLogic->GetPetClass(lumarin::TypeCode(petId), record->petLevel));

    std::string text = "{";
    text.reserve(512);
    AppendField(text, "petid", DecimalText(petId));
    AppendField(text, "kivnumber", DecimalText(static_cast<std::uint32_t>(petId)));
    AppendField(text, "petclass", DecimalText(petClass));
    AppendField(text, "petgender", DecimalText(lumarin::Gender(petId)));
    AppendField(text, "petname", lumarin::NameView(record->petname));
    AppendField(text, "kivname", lumarin::NameView(record->kivname));
    AppendField(text, "petLevel", DecimalText(static_cast<unsigned>(record->petLevel)));
    AppendField(text, "vipFlag", DecimalText(static_cast<int>(record->vipFlag)));
    AppendField(text, "avatarVersion",
                DecimalText(static_cast<unsigned>(record->avatarVersion)));
    AppendField(text, "avatarnum", DecimalText(static_cast<unsigned>(record->avatarnum)));
    char avatarData[lumarin::kAvatarDataCapacity];
    AppendField(text, "avatardata",
                std::string_view(avatarData, lumarin::WriteAvatarData(*record, avatarData)));
    AppendField(text, "titleid", DecimalText(static_cast<unsigned>(record->titleid)));
    AppendField(text, "titlename", titleName);
    AppendField(text, "titlecolor", titleColor);
    text += '}';
    return text;
}

void CLumarinJSAPI::CallPage(IBrowserAPICenter& center, const char* function,
                             tagDISPPARAMS* arguments)
{
    VARIANT result;
    VariantInit(&result);
    std::uint32_t argumentError = 0xFFFFFFFFu;
    center.CallPage(function, arguments, &result, &argumentError);
    VariantClear(&result);
}

void CLumarinJSAPI::OnPetInfoResult(std::int32_t success, PetInfoList* list)
{
    try {
        HostInterfaceCache& hosts = HostInterfaces();
        if (!GetHostInterface(*this, "browserengine", "IBrowserAPICenter", hosts.browserCenter))
            return;
        if (!success) {
            DISPPARAMS none = {nullptr, nullptr, 0, 0};
            CallPage(*hosts.browserCenter, "Lumarin_GetPetInfoCallBackFail", &none);
            return;
        }
        if (!list)
            return;
        const PetInfo* record = list->records;
        for (std::uint16_t i = 0; i < list->count; ++i, ++record) {
            // Both texts are freed however the call ends, running out of memory included.
            OwnedBstr text(
                lumarin::AnsiToBstr(FormatPetInfoScript(record), lumarin::CodePage::Thread));
            if (text && HasLineSeparators(text.get()))
                text.reset(EscapeLineSeparators(text.get()));
            if (!text)
                return;  // a failed conversion ends this delivery
            VARIANT argument;
            VariantInit(&argument);
            argument.vt = VT_BSTR;
            argument.bstrVal = text.get();
            DISPPARAMS one = {&argument, nullptr, 1, 0};
            CallPage(*hosts.browserCenter, "Lumarin_GetPetInfoCallBackSuc", &one);
        }
    } catch (const std::exception&) {
        // this delivery ends here; nothing may leave a host call
    }
}
