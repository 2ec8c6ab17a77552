// ActionScript values for Flash ExternalInterface calls, written as XML. A value is one
// element ("object", "string" or "number"): its own content, then its properties in
// byte order of their ids. A property keeps a copy of its value's XML, taken when set.
// Text goes into CDATA unchanged; a "]]>" inside it is split across two sections and a
// carriage return written as "&#13;" between sections, so the XML stays well-formed and
// the movie still reads the same text. Control characters other than tab, line feed and
// carriage return cannot be carried by XML and are left out.
#pragma once

#include <cstdint>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The second signed 32-bit overload of SetProperty and SetValue.
enum ASLong : std::int32_t {};

class IASObject {
public:
    // The element's XML, valid until the next GetXML on the object or its destruction.
    virtual const char* GetXML() = 0;
    virtual ~IASObject() = default;
    virtual void SetProperty(const char* id, std::uint64_t value) = 0;
    virtual void SetProperty(const char* id, float value) = 0;
    virtual void SetProperty(const char* id, std::int32_t value) = 0;
    virtual void SetProperty(const char* id, std::uint32_t value) = 0;
    virtual void SetProperty(const char* id, ASLong value) = 0;
    virtual void SetProperty(const char* id, const char* text) = 0;
    virtual void SetProperty(const char* id, IASObject* child) = 0;
    virtual void SetValue(std::int64_t value) = 0;
    virtual void SetValue(std::uint64_t value) = 0;
    virtual void SetValue(float value) = 0;
    virtual void SetValue(std::int32_t value) = 0;
    virtual void SetValue(std::uint32_t value) = 0;
    virtual void SetValue(ASLong value) = 0;
    virtual void SetValue(const char* text) = 0;
    virtual void SetValue(IASObject* child) = 0;
};

class ASOBase : public IASObject {
public:
    // A null or empty kind makes an "object".
    explicit ASOBase(const char* kind = nullptr);

    const char* GetXML() override;
    void SetProperty(const char* id, std::uint64_t value) override;
    void SetProperty(const char* id, float value) override;
    void SetProperty(const char* id, std::int32_t value) override;
    void SetProperty(const char* id, std::uint32_t value) override;
    void SetProperty(const char* id, ASLong value) override;
    void SetProperty(const char* id, const char* text) override;
    void SetProperty(const char* id, IASObject* child) override;
    void SetValue(std::int64_t value) override;
    void SetValue(std::uint64_t value) override;
    void SetValue(float value) override;
    void SetValue(std::int32_t value) override;
    void SetValue(std::uint32_t value) override;
    void SetValue(ASLong value) override;
    void SetValue(const char* text) override;
    void SetValue(IASObject* child) override;

    // Forgets the value and every property. Their memory is kept for the next use: setting
    // the same ids again (a pet object for each record) allocates nothing.
    void Clear();
    // Bytes of the element's XML (what GetXML gives).
    std::size_t XMLSize() const;
    // Writes that XML at `out`, which has XMLSize() bytes of room.
    void WriteXML(char* out) const;

private:
    // id -> encoded value: an ordered map, one entry per id, in byte order of the ids, kept
    // as a sorted vector. A replaced value reuses its text's memory; a cleared entry keeps
    // its slot, unset, until its id is set again.
    struct Property {
        std::string id;
        std::string encoded;
        bool set = false;
    };
    // The entry of `id`, made (unset) when there is none.
    Property& EntryOf(const char* id);
    // Sets `id` to the element `xml`.
    void Set(const char* id, std::string_view xml);
    // Sets `id` to a `kind` element ("string" or "number") whose content `fill` appends.
    template <std::size_t N, class Fill>
    void SetTyped(const char* id, const char (&kind)[N], const Fill& fill);

    std::vector<Property> properties_;
    // The entries found by the sets since Clear, in turn: the next round tries them first.
    std::vector<std::size_t> replay_;
    std::size_t sets_ = 0;
    std::string value_;
    std::string kind_;
    std::string xml_;
};

namespace lumarin {

// The request text that calls `name` in a movie with the encoded arguments.
std::string MakeInvokeXML(const char* name, const char* arguments);
// The same with one argument, `argument`'s XML, written straight into the request.
std::string MakeInvokeXML(const char* name, const ASOBase& argument);

}  // namespace lumarin
