#include "plugin/bridges/as_object.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <typeinfo>

#include "plugin/bridges/decimal_text.h"

namespace {

// Text that XML can carry: not the control characters other than tab, LF and CR.
bool IsCarried(char c)
{
    return static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\n' || c == '\r';
}

bool NeedsCare(const char* text)
{
    for (const char* at = text; *at; ++at) {
        if (*at == '\r' || !IsCarried(*at) || (at[0] == ']' && at[1] == ']' && at[2] == '>'))
            return true;
    }
    return false;
}

// Appends "<![CDATA[" text "]]>" to `out`: each "]]>" of the text split between two
// sections, each carriage return written as a character reference between sections (a
// parser would read a raw one inside CDATA as a line feed), and the control characters
// that XML cannot carry at all left out.
template <class Out>
void AppendCData(Out& out, const char* text)
{
    static const char kOpen[] = "<![CDATA[", kClose[] = "]]>";
    out.append(kOpen, sizeof kOpen - 1);
    if (!text)
        text = "";
    // One pass for the length and a quick look: only a control character or a '>' (which
    // may end "]]>") can need care, and only then is the text looked at closely.
    std::size_t length = 0;
    bool mayNeedCare = false;
    for (; text[length]; ++length) {
        const unsigned char c = static_cast<unsigned char>(text[length]);
        mayNeedCare |= c < 0x20 || c == '>';
    }
    if (!mayNeedCare || !NeedsCare(text)) {
        out.append(text, length);
        out.append(kClose, sizeof kClose - 1);
        return;
    }
    std::string kept;
    for (const char* at = text; *at; ++at) {
        if (IsCarried(*at))
            kept += *at;
    }
    static const char kSplit[] = "]]]]><![CDATA[>", kReturn[] = "]]>&#13;<![CDATA[";
    for (std::size_t i = 0; i < kept.size(); ++i) {
        if (kept.compare(i, 3, kClose) == 0) {
            out.append(kSplit, sizeof kSplit - 1);
            i += 2;
        } else if (kept[i] == '\r') {
            out.append(kReturn, sizeof kReturn - 1);
        } else {
            out.append(&kept[i], 1);
        }
    }
    out.append(kClose, sizeof kClose - 1);
}

// "%f" of a float widened to double; never cut, however long.
std::string FixedPoint(float value)
{
    char buffer[64];
    int length = std::snprintf(buffer, sizeof buffer, "%f", static_cast<double>(value));
    if (length < static_cast<int>(sizeof buffer))
        return std::string(buffer, length > 0 ? static_cast<std::size_t>(length) : 0);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::snprintf(&text[0], text.size(), "%f", static_cast<double>(value));
    text.pop_back();
    return text;
}

// Text built in place while it is short, on the heap beyond that.
class SmallText {
public:
    void append(const char* text, std::size_t size)
    {
        if (!spilled_ && size_ + size < sizeof buffer_) {
            std::memcpy(buffer_ + size_, text, size);
            size_ += size;
            return;
        }
        if (!spilled_)
            heap_.assign(buffer_, size_);
        spilled_ = true;
        heap_.append(text, size);
    }
    const char* c_str()
    {
        if (spilled_)
            return heap_.c_str();
        buffer_[size_] = '\0';
        return buffer_;
    }
    std::string_view view() const
    {
        return spilled_ ? std::string_view(heap_) : std::string_view(buffer_, size_);
    }

private:
    char buffer_[256];
    std::size_t size_ = 0;
    bool spilled_ = false;
    std::string heap_;
};

// The temporary value of a typed SetProperty: a "string" or "number" element holding only
// its content. Only its XML is ever read.
class TemporaryValue final : public IASObject {
public:
    // `kind` is "string" or "number": six letters, copied with a size known here.
    explicit TemporaryValue(const char (&kind)[7]) : kind_(kind)
    {
        xml_.append("<", 1);
        xml_.append(kind_, 6);
        xml_.append(">", 1);
    }
    SmallText& Content() { return xml_; }
    void Close()
    {
        xml_.append("</", 2);
        xml_.append(kind_, 6);
        xml_.append(">", 1);
    }

    const char* GetXML() override { return xml_.c_str(); }
    std::string_view View() const { return xml_.view(); }
    void SetProperty(const char*, std::uint64_t) override {}
    void SetProperty(const char*, float) override {}
    void SetProperty(const char*, std::int32_t) override {}
    void SetProperty(const char*, std::uint32_t) override {}
    void SetProperty(const char*, ASLong) override {}
    void SetProperty(const char*, const char*) override {}
    void SetProperty(const char*, IASObject*) override {}
    void SetValue(std::int64_t) override {}
    void SetValue(std::uint64_t) override {}
    void SetValue(float) override {}
    void SetValue(std::int32_t) override {}
    void SetValue(std::uint32_t) override {}
    void SetValue(ASLong) override {}
    void SetValue(const char*) override {}
    void SetValue(IASObject*) override {}

private:
    const char* kind_;
    SmallText xml_;
};

char* Put(char* out, const char* text, std::size_t size)
{
    std::memcpy(out, text, size);
    return out + size;
}

constexpr char kPropertyOpen[] = "<property id='", kPropertyMiddle[] = "'>",
               kPropertyClose[] = "</property>";
constexpr std::size_t kPropertyFixed =
    sizeof kPropertyOpen + sizeof kPropertyMiddle + sizeof kPropertyClose - 3;

template <class T>
auto DecimalFill(T value)
{
    return [digits = lumarin::DecimalText<T>(value)](SmallText& out) {
        out.append(digits.text, digits.size);
    };
}

constexpr char kInvokeHead[] = "<invoke name='";
constexpr char kInvokeMiddle[] = "'  returntype='xml'><arguments>";
constexpr char kInvokeTail[] = "</arguments></invoke>";

// The request up to its arguments, with room reserved for `argumentsSize` more bytes.
std::string InvokeHead(const char* name, std::size_t argumentsSize)
{
    if (!name)
        name = "";
    const std::size_t nameSize = std::strlen(name);
    std::string text;
    text.reserve(sizeof kInvokeHead + nameSize + sizeof kInvokeMiddle + argumentsSize +
                 sizeof kInvokeTail);
    text.append(kInvokeHead).append(name, nameSize).append(kInvokeMiddle);
    return text;
}

}  // namespace

ASOBase::ASOBase(const char* kind) : kind_(kind && *kind ? kind : "object") {}

std::size_t ASOBase::XMLSize() const
{
    std::size_t size = 2 * kind_.size() + 5 + value_.size();
    for (const Property& property : properties_) {
        if (property.set)
            size += kPropertyFixed + property.id.size() + property.encoded.size();
    }
    return size;
}

void ASOBase::WriteXML(char* out) const
{
    out = Put(out, "<", 1);
    out = Put(out, kind_.data(), kind_.size());
    out = Put(out, ">", 1);
    out = Put(out, value_.data(), value_.size());
    for (const Property& property : properties_) {
        if (!property.set)
            continue;
        out = Put(out, kPropertyOpen, sizeof kPropertyOpen - 1);
        out = Put(out, property.id.data(), property.id.size());
        out = Put(out, kPropertyMiddle, sizeof kPropertyMiddle - 1);
        out = Put(out, property.encoded.data(), property.encoded.size());
        out = Put(out, kPropertyClose, sizeof kPropertyClose - 1);
    }
    out = Put(out, "</", 2);
    out = Put(out, kind_.data(), kind_.size());
    Put(out, ">", 1);
}

const char* ASOBase::GetXML()
{
    // Written in one pass into a string of the exact size.
    std::string xml(XMLSize(), '\0');
    WriteXML(&xml[0]);
    xml_.swap(xml);
    return xml_.c_str();
}

void ASOBase::Clear()
{
    for (Property& property : properties_)
        property.set = false;
    value_.clear();
    sets_ = 0;
}

// The typed forms make their element in a temporary. In a class derived from ASOBase they
// hand it to the child form through the table, so that a class replacing the child form
// sees every property write; a plain ASOBase takes the element straight in.
template <std::size_t N, class Fill>
void ASOBase::SetTyped(const char* id, const char (&kind)[N], const Fill& fill)
{
    TemporaryValue temporary(kind);
    fill(temporary.Content());
    temporary.Close();
    if (typeid(*this) != typeid(ASOBase))
        SetProperty(id, static_cast<IASObject*>(&temporary));
    else
        Set(id, temporary.View());
}

void ASOBase::SetProperty(const char* id, std::uint64_t value)
{
    SetTyped(id, "string", DecimalFill(value));
}

void ASOBase::SetProperty(const char* id, float value)
{
    const std::string text = FixedPoint(value);
    SetTyped(id, "number", [&text](SmallText& out) { out.append(text.data(), text.size()); });
}

void ASOBase::SetProperty(const char* id, std::int32_t value)
{
    SetTyped(id, "number", DecimalFill(value));
}

void ASOBase::SetProperty(const char* id, std::uint32_t value)
{
    SetTyped(id, "number", DecimalFill(value));
}

void ASOBase::SetProperty(const char* id, ASLong value)
{
    SetTyped(id, "number", DecimalFill(static_cast<std::int32_t>(value)));
}

void ASOBase::SetProperty(const char* id, const char* text)
{
    SetTyped(id, "string", [text](SmallText& out) { AppendCData(out, text); });
}

void ASOBase::SetProperty(const char* id, IASObject* child)
{
    // Without an id the child is not touched either: its GetXML would rebuild its text and
    // free the one a caller may still hold.
    if (id && child)
        Set(id, child->GetXML());
}

void ASOBase::Set(const char* id, std::string_view xml)
{
    if (!id)
        return;
    Property& entry = EntryOf(id);
    entry.encoded.clear();  // then one plain append into the memory it keeps
    entry.encoded.append(xml.data(), xml.size());
    entry.set = true;
}

ASOBase::Property& ASOBase::EntryOf(const char* id)
{
    // Callers set the same ids in the same order again and again (a pet object per record):
    // the entry the same turn found last time is tried first.
    const std::size_t turn = sets_++;
    if (turn < replay_.size()) {
        Property& expected = properties_[replay_[turn]];
        // Compared only up to either's end: `id` may be shorter.
        if (std::strncmp(expected.id.c_str(), id, expected.id.size() + 1) == 0)
            return expected;
    }
    const std::size_t idLength = std::strlen(id);
    if (properties_.empty())
        properties_.reserve(16);  // a pet object's 14 entries without regrowth
    // Byte order of the ids (std::string compares bytes as unsigned values).
    const std::string_view wanted(id, idLength);
    auto at = std::lower_bound(
        properties_.begin(), properties_.end(), wanted,
        [](const Property& property, std::string_view key) { return property.id < key; });
    if (at == properties_.end() || at->id != wanted) {
        at = properties_.insert(at, Property{std::string(wanted), std::string(), false});
        replay_.clear();  // the entries moved: learnt again from here or the next round
    }
    if (turn < replay_.size())
        replay_[turn] = static_cast<std::size_t>(at - properties_.begin());
    else if (turn == replay_.size() && turn < properties_.size())  // one round at most
        replay_.push_back(static_cast<std::size_t>(at - properties_.begin()));
    return *at;
}

void ASOBase::SetValue(std::int64_t value)
{
    value_ = lumarin::DecimalText(value).View();
}

void ASOBase::SetValue(std::uint64_t value)
{
    value_ = lumarin::DecimalText(value).View();
}

void ASOBase::SetValue(float value)
{
    value_ = FixedPoint(value);
}

void ASOBase::SetValue(std::int32_t value)
{
    value_ = lumarin::DecimalText(value).View();
}

void ASOBase::SetValue(std::uint32_t value)
{
    value_ = lumarin::DecimalText(value).View();
}

void ASOBase::SetValue(ASLong value)
{
    SetValue(static_cast<std::int32_t>(value));
}

void ASOBase::SetValue(const char* text)
{
    value_.clear();
    AppendCData(value_, text);
}

void ASOBase::SetValue(IASObject* child)
{
    value_ = child ? child->GetXML() : "<null/>";
}

std::string lumarin::MakeInvokeXML(const char* name, const char* arguments)
{
    if (!arguments)
        arguments = "";
    const std::size_t argumentsSize = std::strlen(arguments);
    std::string text = InvokeHead(name, argumentsSize);
    text.append(arguments, argumentsSize).append(kInvokeTail);
    return text;
}

std::string lumarin::MakeInvokeXML(const char* name, const ASOBase& argument)
{
    if (!name)
        name = "";
    const std::size_t nameSize = std::strlen(name), xmlSize = argument.XMLSize();
    // Made at its final size and written in one pass.
    std::string text(sizeof kInvokeHead + nameSize + sizeof kInvokeMiddle + xmlSize +
                         sizeof kInvokeTail - 3,
                     '\0');
    char* out = Put(&text[0], kInvokeHead, sizeof kInvokeHead - 1);
    out = Put(out, name, nameSize);
    out = Put(out, kInvokeMiddle, sizeof kInvokeMiddle - 1);
    argument.WriteXML(out);
    Put(out + xmlSize, kInvokeTail, sizeof kInvokeTail - 1);
    return text;
}
