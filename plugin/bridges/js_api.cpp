#include "plugin/bridges/js_api.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>
#include <type_traits>
#include <utility>

#include "plugin/bridges/decimal_text.h"
#include "plugin/bridges/page_pet_id.h"
#include "plugin/bridges/pet_fields.h"
#include "plugin/platform/platform.h"
#include "plugin/platform/text_conversion.h"

using lumarin::DecimalText;

namespace {

constexpr char kGetPetInfo[] = "Lumarin_GetPetInfo";
constexpr char kGetPetInfoList[] = "Lumarin_GetPetInfoList";
constexpr char kSeparator[] = "\t\t\t   ,";

using lumarin::WideText;

// What a single-quoted script string cannot hold as it is: backslash, quote, the line ends
// (CR, LF, U+2028, U+2029), and '/' (escaped after '<', so the text cannot end the page's
// script element).
bool NeedsEscape(char16_t c)
{
    return c == '\\' || c == '\'' || c == '\n' || c == '\r' || c == '/' ||
           (c & 0xFFFE) == 0x2028;
}

// Writes the page text into room made once for all of it, so no field makes it grow.
class ScriptWriter {
public:
    // Room for the fixed text and the numbers.
    static constexpr std::size_t kFixedUnits = 512;

    // That room, plus `valueUnits` for the text values.
    explicit ScriptWriter(std::size_t valueUnits) : text_(kFixedUnits + valueUnits, u'\0')
    {
        at_ = &text_[0];
    }

    void Ascii(std::string_view text)
    {
        for (char c : text)
            *at_++ = static_cast<unsigned char>(c);
    }
    // The separator (before every field but the first), the name, ":'", the value, "'".
    // False when the value cannot be converted.
    template <std::size_t N>
    bool Field(const char (&name)[N], std::string_view value)
    {
        if (at_ != &text_[1])
            Ascii(kSeparator);
        Ascii(std::string_view(name, N - 1));
        Ascii(":'");
        const bool done = Value(value);
        *at_++ = '\'';
        return done;
    }
    // Numbers in decimal; the pet class as unsigned, 0 when the phase logic was not asked.
    template <std::size_t N, class Number>
    bool Field(const char (&name)[N], Number value)
    {
        return Field(name, DecimalText<Number>(value).View());
    }
    template <std::size_t N>
    bool Field(const char (&name)[N], std::optional<std::int32_t> petClass)
    {
        return Field(name, static_cast<std::uint32_t>(petClass.value_or(0)));
    }
    WideText Finish()
    {
        text_.resize(static_cast<std::size_t>(at_ - text_.data()));
        return std::move(text_);
    }

private:
    // The value escaped as the page will receive it: converted from the thread's code page
    // first, so that no byte sequence of any code page can end the string early. ASCII, the
    // usual case, reads the same in every code page and needs no conversion.
    bool Value(std::string_view text)
    {
        unsigned char bits = 0;  // every byte looked at, no early exit: vector code
        for (char c : text)
            bits |= static_cast<unsigned char>(c);
        if (bits < 0x80) {
            Escaped(text.data(), text.size());
            return true;
        }
        scratch_.clear();
        if (!lumarin::AppendAnsiAsUtf16(text, lumarin::CodePage::Thread, scratch_))
            return false;
        Escaped(scratch_.data(), scratch_.size());
        return true;
    }
    // At most six units for each unit of `text` (U+2028 as "\u2028").
    template <class Unit>
    void Escaped(const Unit* text, std::size_t length)
    {
        for (std::size_t i = 0; i < length; ++i) {
            const char16_t c = static_cast<std::make_unsigned_t<Unit>>(text[i]);
            if (!NeedsEscape(c) || (c == '/' && (i == 0 || text[i - 1] != '<'))) {
                *at_++ = c;
            } else if (c == '\n' || c == '\r') {
                Ascii(c == '\n' ? "\\n" : "\\r");
            } else if (c == 0x2028 || c == 0x2029) {
                Ascii(c == 0x2028 ? "\\u2028" : "\\u2029");
            } else {
                *at_++ = '\\';
                *at_++ = c;
            }
        }
    }

    WideText text_;
    char16_t* at_;
    WideText scratch_;
};

struct FreeBstr {
    void operator()(OLECHAR* text) const { SysFreeString(text); }
};
using OwnedBstr = std::unique_ptr<OLECHAR, FreeBstr>;

}  // namespace

CLumarinJSAPI::CLumarinJSAPI()
    : ownSession_(std::make_unique<lumarin::HostSession>()), session_(*ownSession_)
{
}

CLumarinJSAPI::CLumarinJSAPI(lumarin::HostSession& session) : session_(session) {}

BOOL32 CLumarinJSAPI::Init(IPlugin* owner)
{
    if (!owner)
        return 0;
    SetPlugin(owner);
    if (IBrowserAPICenter* center = Find<IBrowserAPICenter>()) {
        center_ = center;
        center->RegisterPageMethod(kGetPetInfo, this);
        if (session_.IsOpen())
            center->RegisterPageMethod(kGetPetInfoList, this);
    }
    if (ILumarin* service = Find<ILumarin>()) {
        service_ = service;
        service->AddListener(this);
    }
    return 1;
}

void CLumarinJSAPI::Uninit()
{
    // Forgotten first: a nested Uninit (the host uninitialising from inside one of these
    // calls) finds nothing left to undo.
    if (IBrowserAPICenter* center = std::exchange(center_, nullptr)) {
        center->UnregisterPageMethod(kGetPetInfo, this);
        center->UnregisterPageMethod(kGetPetInfoList, this);
    }
    if (ILumarin* service = std::exchange(service_, nullptr))
        service->RemoveListener(this);
}

void CLumarinJSAPI::ForgetService(const ILumarin* service)
{
    if (service_ == service)
        service_ = nullptr;
}

void CLumarinJSAPI::OnBrowserCall(std::uint32_t context, const char* method,
                                  tagDISPPARAMS* arguments, void* extra, BOOL32* handled)
{
    if (context == 0 || !method || !arguments || !extra || !handled || *handled)
        return;
    if (!std::strstr(method, "Lumarin_"))
        return;
    session_.Call([&] { Route(method, arguments, handled); });
}

void CLumarinJSAPI::Route(const char* method, tagDISPPARAMS* arguments, BOOL32* handled)
{
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
}

BOOL32 CLumarinJSAPI::HandleGetPetInfo(tagDISPPARAMS* arguments)
{
    ILumarin* service = Find<ILumarin>();
    if (!service || !arguments->rgvarg || arguments->cArgs < 1)
        return 1;
    // A value that is no id asks nothing, and the call counts as not acted on.
    const std::optional<std::uint64_t> petId = lumarin::PagePetId(arguments->rgvarg[0]);
    if (!petId)
        return 0;
    service->RequestPetInfo(*petId);
    return 1;
}

BOOL32 CLumarinJSAPI::HandleGetPetInfoList(tagDISPPARAMS* arguments)
{
    ILumarin* service = Find<ILumarin>();
    if (!service)
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
    service->RequestPetInfoList(&ids);
    return 1;
}

WideText CLumarinJSAPI::FormatPetInfoScript(const PetInfo* record)
{
    if (!record)
        return WideText();
    lumarin::PetFields fields(*record);
    lumarin::AskHostFields(fields, session_, *this, lumarin::HostFieldOrder::TitleFirst);

    // A code page gives at most one unit per byte, and escaping at most six units per unit;
    // the avatar text ("-1.7#") is never escaped. Titles come from the host at any length:
    // room that cannot even be counted ends the delivery, as a failed allocation does.
    const std::size_t textBytes = std::strlen(fields.petName) + std::strlen(fields.kivName) +
                                  fields.titleName.size() + fields.titleColor.size();
    const std::size_t roomForText =
        WideText().max_size() - ScriptWriter::kFixedUnits - lumarin::kAvatarDataCapacity;
    if (textBytes > roomForText / 6)
        return WideText();
    ScriptWriter text(fields.avatarDataSize + 6 * textBytes);
    text.Ascii("{");
    const bool done = lumarin::VisitPetFields(
        fields, [&text](const auto& name, const auto& value) { return text.Field(name, value); });
    if (!done)
        return WideText();
    text.Ascii("}");
    return text.Finish();
}

bool CLumarinJSAPI::CallPage(const char* function, tagDISPPARAMS* arguments)
{
    IBrowserAPICenter* center = Find<IBrowserAPICenter>();
    if (!center)
        return false;
    VARIANT result;
    VariantInit(&result);
    std::uint32_t argumentError = 0xFFFFFFFFu;
    center->CallPage(function, arguments, &result, &argumentError);
    VariantClear(&result);
    return true;
}

void CLumarinJSAPI::OnPetInfoResult(std::int32_t success, PetInfoList* list)
{
    session_.Call([&] { Deliver(success, list); });
}

void CLumarinJSAPI::Deliver(std::int32_t success, PetInfoList* list)
{
    if (!Find<IBrowserAPICenter>())
        return;
    if (!success) {
        DISPPARAMS none = {nullptr, nullptr, 0, 0};
        CallPage("Lumarin_GetPetInfoCallBackFail", &none);
        return;
    }
    if (!list)
        return;
    const PetInfo* record = list->records;
    for (std::uint16_t i = 0; i < list->count; ++i, ++record) {
        const WideText script = FormatPetInfoScript(record);
        if (script.empty())
            return;  // a failed conversion ends this delivery
        // Freed however the call ends, running out of memory included.
        OwnedBstr text(SysAllocStringLen(reinterpret_cast<const OLECHAR*>(script.data()),
                                         static_cast<UINT>(script.size())));
        if (!text)
            return;
        VARIANT argument;
        VariantInit(&argument);
        argument.vt = VT_BSTR;
        argument.bstrVal = text.get();
        DISPPARAMS one = {&argument, nullptr, 1, 0};
        if (!CallPage("Lumarin_GetPetInfoCallBackSuc", &one))
            return;  // uninitialised meanwhile
    }
}
