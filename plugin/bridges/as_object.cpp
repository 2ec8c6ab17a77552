#include "as_object.h"

#include <cinttypes>
#include <cstdio>

namespace {

// "<![CDATA[" text "]]>", each "]]>" of the text split between two sections, and each
// carriage return written as a character reference between sections (a parser would read
// a raw one inside CDATA as a line feed). Control characters that XML cannot carry at all
// are left out.
std::string CData(const char* text)
{
    std::string kept;
    for (const char* at = text ? text : ""; *at; ++at) {
        if (static_cast<unsigned char>(*at) >= 0x20 || *at == '\t' || *at == '\n' || *at == '\r')
            kept += *at;
    }
    std::string result = "<![CDATA[";
    for (std::size_t i = 0; i < kept.size(); ++i) {
        if (kept.compare(i, 3, "]]>") == 0) {
            result += "]]]]><![CDATA[>";
            i += 2;
        } else if (kept[i] == '\r') {
            result += "]]>&#13;<![CDATA[";
        } else {
            result += kept[i];
        }
    }
    return result + "]]>";
}

template <class T>
void SetTemporary(IASObject& parent, const char* id, const char* kind, T value)
{
    ASOBase temporary(kind);
    temporary.SetValue(value);
    parent.SetProperty(id, static_cast<IASObject*>(&temporary));
}

// Whole printf output; numbers are never cut, however long.
template <class... Args>
std::string Format(const char* format, Args... args)
{
    char buffer[64];
    int length = std::snprintf(buffer, sizeof buffer, format, args...);
    if (length < static_cast<int>(sizeof buffer))
        return std::string(buffer, length > 0 ? static_cast<std::size_t>(length) : 0);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::snprintf(&text[0], text.size(), format, args...);
    text.pop_back();
    return text;
}

}  // namespace

ASOBase::ASOBase(const char* kind) : kind_(kind && *kind ? kind : "object") {}

const char* ASOBase::GetXML()
{
    std::string xml = "<" + kind_ + ">" + value_;
    for (const auto& [id, encoded] : properties_)
        xml += "<property id='" + id + "'>" + encoded + "</property>";
    xml += "</" + kind_ + ">";
    xml_ = std::move(xml);
    return xml_.c_str();
}

void ASOBase::SetProperty(const char* id, std::uint64_t value)
{
    SetTemporary(*this, id, "string", value);
}

void ASOBase::SetProperty(const char* id, float value)
{
    SetTemporary(*this, id, "number", value);
}

void ASOBase::SetProperty(const char* id, std::int32_t value)
{
    SetTemporary(*this, id, "number", value);
}

void ASOBase::SetProperty(const char* id, std::uint32_t value)
{
    SetTemporary(*this, id, "number", value);
}

void ASOBase::SetProperty(const char* id, ASLong value)
{
    SetTemporary(*this, id, "number", value);
}

void ASOBase::SetProperty(const char* id, const char* text)
{
    SetTemporary(*this, id, "string", text);
}

void ASOBase::SetProperty(const char* id, IASObject* child)
{
    if (id && child)
        properties_[id] = child->GetXML();
}

void ASOBase::SetValue(std::int64_t value)
{
    value_ = Format("%" PRId64, value);
}

void ASOBase::SetValue(std::uint64_t value)
{
    value_ = Format("%" PRIu64, value);
}

void ASOBase::SetValue(float value)
{
    value_ = Format("%f", static_cast<double>(value));
}

void ASOBase::SetValue(std::int32_t value)
{
    value_ = Format("%" PRId32, value);
}

void ASOBase::SetValue(std::uint32_t value)
{
    value_ = Format("%" PRIu32, value);
}

void ASOBase::SetValue(ASLong value)
{
    SetValue(static_cast<std::int32_t>(value));
}

void ASOBase::SetValue(const char* text)
{
    value_ = CData(text);
}

void ASOBase::SetValue(IASObject* child)
{
    value_ = child ? child->GetXML() : "<null/>";
}

std::string MakeInvokeXML(const char* name, const std::string& arguments)
{
    return std::string("<invoke name='") + (name ? name : "") +
           "'  returntype='xml'><arguments>" + arguments + "</arguments></invoke>";
}
