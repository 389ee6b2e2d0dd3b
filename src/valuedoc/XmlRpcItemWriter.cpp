#include "valuedoc/XmlRpcItem.h"

#include "valuedoc/Base64.h"
#include "valuedoc/XmlEntities.h"
#include "valuedoc/XmlRpcException.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

// The text has no blanks or line breaks except inside base64, so existing
// files and newly written ones compare byte for byte.

namespace XmlRpc {

namespace {

// Files have always held doubles in "%f" form with at most this many
// characters; longer numbers (beyond about 1e248) go in exponent form.
constexpr std::ptrdiff_t MaxDoubleLength = 255;

void AppendInt(std::string& out, int value) {
    char buffer[16];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

// to_chars gives exactly the digits of "%f" in the "C" locale, whatever
// locale the process runs in.
void AppendDouble(std::string& out, double value) {
    if (!std::isfinite(value)) {
        throw XmlRpcException("cannot write a double that is not finite");
    }
    char buffer[400];
    char* const end = buffer + sizeof buffer;
    auto result = std::to_chars(buffer, end, value, std::chars_format::fixed, 6);
    if (result.ptr - buffer > MaxDoubleLength) {
        result = std::to_chars(buffer, end, value, std::chars_format::scientific);
    }
    // A zero has no sign: a value a hair below zero (-1e-9, -0.0) is written
    // "0.000000", as the same hair above it is. "-0.000000" would read back
    // as a zero that the scene's sums often turn positive, and a document
    // opened and saved again would differ from its file.
    char* first = buffer;
    if (*first == '-' && std::all_of(first + 1, result.ptr, [](char c) { return c == '0' || c == '.'; })) {
        ++first;
    }
    out.append(first, result.ptr);
}

// Four-digit years are padded with zeros rather than blanks, so every year
// the reader accepts is written back in the same form.
void AppendDateTime(std::string& out, const std::tm& time) {
    char buffer[80];
    const int length = std::snprintf(buffer, sizeof buffer, "%04d%02d%02dT%02d:%02d:%02d", time.tm_year,
        time.tm_mon, time.tm_mday, time.tm_hour, time.tm_min, time.tm_sec);
    out.append(buffer, static_cast<std::size_t>(length));
}

} // namespace

std::string XmlRpcItem::ToXml() const {
    std::string out;
    WriteValue(out);
    return out;
}

void XmlRpcItem::WriteValue(std::string& out) const {
    switch (GetType()) {
    case TypeBoolean:
        out += std::get<bool>(m_value) ? "<value><boolean>1</boolean></value>"
                                       : "<value><boolean>0</boolean></value>";
        break;
    case TypeInt:
        out += "<value><i4>";
        AppendInt(out, std::get<int>(m_value));
        out += "</i4></value>";
        break;
    case TypeDouble:
        out += "<value><double>";
        AppendDouble(out, std::get<double>(m_value));
        out += "</double></value>";
        break;
    case TypeString:
        out += "<value>";
        out += EntityEncode(Get<std::string>());
        out += "</value>";
        break;
    case TypeDateTime:
        out += "<value><dateTime.iso8601>";
        AppendDateTime(out, Get<std::tm>());
        out += "</dateTime.iso8601></value>";
        break;
    case TypeBase64: {
        const BinaryData& bytes = Get<BinaryData>();
        out += "<value><base64>";
        out += Base64Encode(std::string_view(bytes.data(), bytes.size()));
        out += "</base64></value>";
        break;
    }
    case TypeArray:
        out += "<value><array><data>";
        for (const XmlRpcItem& element : Get<ValueArray>()) {
            element.WriteValue(out);
        }
        out += "</data></array></value>";
        break;
    case TypeStruct:
        out += "<value><struct>";
        for (const auto& [name, member] : Get<ValueStruct>()) {
            // A member that was only looked up holds nothing; written as an
            // empty text it would make the whole document unreadable.
            if (member.GetType() == TypeInvalid) {
                continue;
            }
            out += "<member><name>";
            out += EntityEncode(name);
            out += "</name>";
            member.WriteValue(out);
            out += "</member>";
        }
        out += "</struct></value>";
        break;
    default:
        break;
    }
}

} // namespace XmlRpc
