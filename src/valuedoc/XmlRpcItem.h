#pragma once

#include <cstddef>
#include <ctime>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace XmlRpc {

// One node of a structured-value document: a tagged value that owns its
// payload. Playground files and the older robot-file layout are trees of these,
// stored as XML in the <value> grammar of XML-RPC.
//
// Accessors throw XmlRpcException on a type mismatch; reading a document never
// throws.
class XmlRpcItem {
public:
    // The type codes; the numbers are part of the interface.
    enum Type {
        TypeInvalid = 0,
        TypeBoolean = 1,
        TypeInt = 2,
        TypeDouble = 3,
        TypeString = 4,
        TypeDateTime = 5,
        TypeBase64 = 6,
        TypeArray = 7,
        TypeStruct = 8,
    };

    using BinaryData = std::vector<char>;
    using ValueArray = std::vector<XmlRpcItem>;
    // std::string compares bytes as unsigned, so members stay in byte order.
    using ValueStruct = std::map<std::string, XmlRpcItem>;

    // Growing an array through an index stops here (about a million elements,
    // 16 MiB), so a wild index throws instead of exhausting memory. Arrays read
    // from a document are bounded by the document's size instead.
    static constexpr int MaxArraySize = 1 << 20;
    // Arrays and structs nested deeper than this make a document unreadable.
    static constexpr int MaxDepth = 256;

    XmlRpcItem();
    XmlRpcItem(const XmlRpcItem& other);
    XmlRpcItem(XmlRpcItem&& other) noexcept;
    ~XmlRpcItem();

    XmlRpcItem& operator=(const XmlRpcItem& other);
    XmlRpcItem& operator=(XmlRpcItem&& other) noexcept;
    // Deep copy; assigning a value to itself, or one of its own members to it,
    // is safe.
    XmlRpcItem& Assign(const XmlRpcItem& other);

    void Invalidate();
    int GetType() const;

    // An invalid value takes the type with a zero or empty payload; another
    // type than the asked one throws "type error".
    void AssertType(int type);
    // An invalid value becomes an array of size invalid elements, a shorter
    // array grows to size; anything but an array throws.
    void AssertArray(int size);
    void AssertStruct();

    operator int&();
    operator double&();
    operator std::string&();

    // Element i, growing the array to i + 1 elements when needed. A negative
    // index, or growth beyond MaxArraySize, throws "index out of range".
    XmlRpcItem& operator[](int i);
    // The member of that name, created invalid when missing.
    XmlRpcItem& operator[](const std::string& name);
    // Without it a literal name would be ambiguous with the built-in
    // subscript through operator int&.
    XmlRpcItem& operator[](const char* name);

    // The member of that name; null when the value is no struct or has no
    // such member. Unlike operator[] it never changes the value, so readers
    // of untrusted documents look members up without adding any.
    const XmlRpcItem* FindMember(const std::string& name) const;

    // Bytes of a string or base64 value, elements of an array or members of a
    // struct; any other type throws "type error".
    int Size() const;

    // Reads one value starting at offset. On success the offset points past
    // its "</value>"; on failure the offset is unchanged and the value invalid.
    bool FromXml(const std::string& xml, int& offset);
    // The value's XML text, empty for an invalid value. Throws for a double
    // that is not finite: such a number has no text the reader would accept.
    std::string ToXml() const;

private:
    using Payload = std::variant<std::monostate, bool, int, double, std::unique_ptr<std::string>,
        std::unique_ptr<std::tm>, std::unique_ptr<BinaryData>, std::unique_ptr<ValueArray>,
        std::unique_ptr<ValueStruct>>;

    template <typename T> T& Get() { return *std::get<std::unique_ptr<T>>(m_value); }
    template <typename T> const T& Get() const { return *std::get<std::unique_ptr<T>>(m_value); }
    ValueArray& ArrayOfAtLeast(std::size_t size);

    // The reader's steps move pos freely; only FromXml promises to keep the
    // caller's offset on failure.
    bool ReadValue(std::string_view xml, std::size_t& pos, int depth);
    bool ReadScalar(int type, std::string_view xml, std::size_t& pos);
    bool ReadArray(std::string_view xml, std::size_t& pos, int depth);
    bool ReadStruct(std::string_view xml, std::size_t& pos, int depth);
    void WriteValue(std::string& out) const;

    Payload m_value;
};

} // namespace XmlRpc
