#include "plugin/bridges/as_object.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>

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
    if (!NeedsCare(text)) {
        out.append(text, std::strlen(text));
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

// Decimal text of an integer.
template <class T>
std::string Decimal(T value)
{
    char text[24];
    return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
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
    explicit TemporaryValue(const char* kind) : kind_(kind), kindLength_(std::strlen(kind))
    {
        xml_.append("<", 1);
        xml_.append(kind_, kindLength_);
        xml_.append(">", 1);
    }
    SmallText& Content() { return xml_; }
    void Close()
    {
        xml_.append("</", 2);
        xml_.append(kind_, kindLength_);
        xml_.append(">", 1);
    }

    const char* GetXML() override { return xml_.c_str(); }
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
    std::size_t kindLength_;
    SmallText xml_;
};

// The typed forms hand their temporary to the child form through the table, so a class
// that replaces the child form sees every property write.
void SetTemporary(IASObject& parent, const char* id, const char* kind, const std::string& content)
{
    TemporaryValue temporary(kind);
    temporary.Content().append(content.data(), content.size());
    temporary.Close();
    parent.SetProperty(id, static_cast<IASObject*>(&temporary));
}

}  // namespace

ASOBase::ASOBase(const char* kind) : kind_(kind && *kind ? kind : "object") {}

namespace {
char* Put(char* out, const char* text, std::size_t size)
{
    std::memcpy(out, text, size);
    return out + size;
}
}  // namespace

namespace {
constexpr char kPropertyOpen[] = "<property id='", kPropertyMiddle[] = "'>",
               kPropertyClose[] = "</property>";
constexpr std::size_t kPropertyFixed =
    sizeof kPropertyOpen + sizeof kPropertyMiddle + sizeof kPropertyClose - 3;
}  // namespace

std::size_t ASOBase::XMLSize() const
{
    std::size_t size = 2 * kind_.size() + 5 + value_.size();
    for (const Property& property : properties_)
        size += kPropertyFixed + property.id.length + property.encoded.length;
    return size;
}

void ASOBase::WriteXML(char* out) const
{
    out = Put(out, "<", 1);
    out = Put(out, kind_.data(), kind_.size());
    out = Put(out, ">", 1);
    out = Put(out, value_.data(), value_.size());
    for (const Property& property : properties_) {
        out = Put(out, kPropertyOpen, sizeof kPropertyOpen - 1);
        out = Put(out, text_.data() + property.id.offset, property.id.length);
        out = Put(out, kPropertyMiddle, sizeof kPropertyMiddle - 1);
        out = Put(out, text_.data() + property.encoded.offset, property.encoded.length);
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

void ASOBase::AppendXML(std::string& out) const
{
    const std::size_t start = out.size();
    out.resize(start + XMLSize());
    WriteXML(&out[start]);
}

void ASOBase::Clear()
{
    properties_.clear();
    text_.clear();
    unused_ = 0;
    value_.clear();
}

void ASOBase::SetProperty(const char* id, std::uint64_t value)
{
    SetTemporary(*this, id, "string", Decimal(value));
}

void ASOBase::SetProperty(const char* id, float value)
{
    SetTemporary(*this, id, "number", FixedPoint(value));
}

void ASOBase::SetProperty(const char* id, std::int32_t value)
{
    SetTemporary(*this, id, "number", Decimal(value));
}

void ASOBase::SetProperty(const char* id, std::uint32_t value)
{
    SetTemporary(*this, id, "number", Decimal(value));
}

void ASOBase::SetProperty(const char* id, ASLong value)
{
    SetTemporary(*this, id, "number", Decimal(static_cast<std::int32_t>(value)));
}

void ASOBase::SetProperty(const char* id, const char* text)
{
    TemporaryValue temporary("string");
    AppendCData(temporary.Content(), text);
    temporary.Close();
    SetProperty(id, static_cast<IASObject*>(&temporary));
}

void ASOBase::SetProperty(const char* id, IASObject* child)
{
    if (!id || !child)
        return;
    const char* xml = child->GetXML();
    const std::size_t idLength = std::strlen(id), length = std::strlen(xml);
    if (properties_.capacity() == 0) {
        properties_.reserve(16);  // a pet object's 14 entries without regrowth
        text_.reserve(1024);
    }
    // Byte order of the ids, bytes compared as unsigned values.
    auto before = [this, idLength, id](const Property& property, const char*) {
        const int order = std::memcmp(text_.data() + property.id.offset, id,
                                      std::min(property.id.length, idLength));
        return order < 0 || (order == 0 && property.id.length < idLength);
    };
    auto at = std::lower_bound(properties_.begin(), properties_.end(), id, before);
    const Span encoded{text_.size(), length};
    text_.append(xml, length);
    if (at != properties_.end() && at->id.length == idLength &&
        std::memcmp(text_.data() + at->id.offset, id, idLength) == 0) {
        // The replaced text lies unused in `text_`, until there is more unused than used.
        unused_ += at->encoded.length;
        at->encoded = encoded;
        if (unused_ > text_.size() - unused_)
            Compact();
        return;
    }
    const Span name{text_.size(), idLength};
    text_.append(id, idLength);
    properties_.insert(at, Property{name, encoded});
}

void ASOBase::Compact()
{
    std::string live;
    live.reserve(text_.size() - unused_);
    for (Property& property : properties_) {
        for (Span* span : {&property.id, &property.encoded}) {
            const std::size_t offset = live.size();
            live.append(text_, span->offset, span->length);
            span->offset = offset;
        }
    }
    text_.swap(live);
    unused_ = 0;
}

void ASOBase::SetValue(std::int64_t value)
{
    value_ = Decimal(value);
}

void ASOBase::SetValue(std::uint64_t value)
{
    value_ = Decimal(value);
}

void ASOBase::SetValue(float value)
{
    value_ = FixedPoint(value);
}

void ASOBase::SetValue(std::int32_t value)
{
    value_ = Decimal(value);
}

void ASOBase::SetValue(std::uint32_t value)
{
    value_ = Decimal(value);
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

namespace {
constexpr char kInvokeHead[] = "<invoke name='", kInvokeMiddle[] = "'  returntype='xml'><arguments>",
               kInvokeTail[] = "</arguments></invoke>";

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
    std::string text = InvokeHead(name, argument.XMLSize());
    argument.AppendXML(text);
    text.append(kInvokeTail);
    return text;
}
