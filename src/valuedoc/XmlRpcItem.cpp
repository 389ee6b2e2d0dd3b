#include "valuedoc/XmlRpcItem.h"

#include "valuedoc/XmlRpcException.h"

#include <type_traits>
#include <utility>

namespace XmlRpc {

namespace {

template <typename T> struct IsOwned : std::false_type { };
template <typename T> struct IsOwned<std::unique_ptr<T>> : std::true_type { };

const char* const TypeError = "type error";
const char* const IndexError = "index out of range";

} // namespace

XmlRpcItem::XmlRpcItem() = default;

XmlRpcItem::XmlRpcItem(const XmlRpcItem& other) {
    Assign(other);
}

// A moved-from value is invalid, never a type with no payload behind it.
XmlRpcItem::XmlRpcItem(XmlRpcItem&& other) noexcept
    : m_value(std::exchange(other.m_value, std::monostate {})) { }

XmlRpcItem::~XmlRpcItem() = default;

XmlRpcItem& XmlRpcItem::operator=(const XmlRpcItem& other) {
    return Assign(other);
}

XmlRpcItem& XmlRpcItem::operator=(XmlRpcItem&& other) noexcept {
    // Taken out first: other may live inside the payload being replaced.
    Payload taken = std::exchange(other.m_value, std::monostate {});
    m_value = std::move(taken);
    return *this;
}

XmlRpcItem& XmlRpcItem::Assign(const XmlRpcItem& other) {
    if (this == &other) {
        return *this;
    }
    // The copy is made before the old payload goes, because other may live
    // inside it.
    Payload copy = std::visit(
        [](const auto& payload) -> Payload {
            using P = std::decay_t<decltype(payload)>;
            if constexpr (IsOwned<P>::value) {
                return std::make_unique<typename P::element_type>(*payload);
            } else {
                return payload;
            }
        },
        other.m_value);
    m_value = std::move(copy);
    return *this;
}

void XmlRpcItem::Invalidate() {
    m_value = std::monostate {};
}

int XmlRpcItem::GetType() const {
    return static_cast<int>(m_value.index());
}

void XmlRpcItem::AssertType(int type) {
    if (GetType() == type) {
        return;
    }
    if (GetType() != TypeInvalid) {
        throw XmlRpcException(TypeError);
    }
    switch (type) {
    case TypeBoolean:
        m_value = false;
        break;
    case TypeInt:
        m_value = 0;
        break;
    case TypeDouble:
        m_value = 0.0;
        break;
    case TypeString:
        m_value = std::make_unique<std::string>();
        break;
    case TypeDateTime: {
        auto time = std::make_unique<std::tm>();
        time->tm_isdst = -1;
        m_value = std::move(time);
        break;
    }
    case TypeBase64:
        m_value = std::make_unique<BinaryData>();
        break;
    case TypeArray:
        m_value = std::make_unique<ValueArray>();
        break;
    case TypeStruct:
        m_value = std::make_unique<ValueStruct>();
        break;
    default:
        throw XmlRpcException(TypeError);
    }
}

XmlRpcItem::ValueArray& XmlRpcItem::ArrayOfAtLeast(std::size_t size) {
    if (GetType() != TypeInvalid && GetType() != TypeArray) {
        throw XmlRpcException("type error: expected an array");
    }
    const std::size_t current = GetType() == TypeArray ? Get<ValueArray>().size() : 0;
    if (size > current && size > static_cast<std::size_t>(MaxArraySize)) {
        throw XmlRpcException(IndexError);
    }
    AssertType(TypeArray);
    ValueArray& array = Get<ValueArray>();
    if (size > array.size()) {
        array.resize(size);
    }
    return array;
}

void XmlRpcItem::AssertArray(int size) {
    if (size < 0) {
        throw XmlRpcException(IndexError);
    }
    ArrayOfAtLeast(static_cast<std::size_t>(size));
}

void XmlRpcItem::AssertStruct() {
    if (GetType() != TypeInvalid && GetType() != TypeStruct) {
        throw XmlRpcException("type error: expected a struct");
    }
    AssertType(TypeStruct);
}

XmlRpcItem::operator int&() {
    AssertType(TypeInt);
    return std::get<int>(m_value);
}

XmlRpcItem::operator double&() {
    AssertType(TypeDouble);
    return std::get<double>(m_value);
}

XmlRpcItem::operator std::string&() {
    AssertType(TypeString);
    return Get<std::string>();
}

XmlRpcItem& XmlRpcItem::operator[](int i) {
    if (i < 0) {
        throw XmlRpcException(IndexError);
    }
    const auto index = static_cast<std::size_t>(i);
    return ArrayOfAtLeast(index + 1)[index];
}

XmlRpcItem& XmlRpcItem::operator[](const std::string& name) {
    AssertStruct();
    return Get<ValueStruct>()[name];
}

XmlRpcItem& XmlRpcItem::operator[](const char* name) {
    return (*this)[std::string(name)];
}

const XmlRpcItem* XmlRpcItem::FindMember(const std::string& name) const {
    if (GetType() != TypeStruct) {
        return nullptr;
    }
    const ValueStruct& members = Get<ValueStruct>();
    const auto found = members.find(name);
    return found == members.end() ? nullptr : &found->second;
}

int XmlRpcItem::Size() const {
    std::size_t size = 0;
    switch (GetType()) {
    case TypeString:
        size = Get<std::string>().size();
        break;
    case TypeBase64:
        size = Get<BinaryData>().size();
        break;
    case TypeArray:
        size = Get<ValueArray>().size();
        break;
    case TypeStruct:
        size = Get<ValueStruct>().size();
        break;
    default:
        throw XmlRpcException(TypeError);
    }
    return static_cast<int>(size);
}

} // namespace XmlRpc
