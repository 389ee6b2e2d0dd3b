#include "valuedoc/XmlRpcItem.h"

#include "valuedoc/Base64.h"
#include "valuedoc/XmlEntities.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <exception>

// The reader is strict about structure: every element must be closed where
// it ends, so a damaged document fails instead of being read up to the damage
// and re-synchronised at some later tag. Numbers are read without the process
// locale, which Qt sets from the environment.

namespace XmlRpc {

namespace {

struct ScalarTag {
    std::string_view open;
    std::string_view close;
    int type;
};

constexpr ScalarTag ScalarTags[] = {
    { "<boolean>", "</boolean>", XmlRpcItem::TypeBoolean },
    { "<i4>", "</i4>", XmlRpcItem::TypeInt },
    { "<int>", "</int>", XmlRpcItem::TypeInt },
    { "<double>", "</double>", XmlRpcItem::TypeDouble },
    { "<string>", "</string>", XmlRpcItem::TypeString },
    { "<dateTime.iso8601>", "</dateTime.iso8601>", XmlRpcItem::TypeDateTime },
    { "<base64>", "</base64>", XmlRpcItem::TypeBase64 },
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

std::size_t SkipBlanks(std::string_view xml, std::size_t pos) {
    while (pos < xml.size() && IsBlank(xml[pos])) {
        ++pos;
    }
    return pos;
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// Blanks, then tag: pos moves past the tag. Otherwise pos stays.
bool NextTagIs(std::string_view xml, std::size_t& pos, std::string_view tag) {
    const std::size_t start = SkipBlanks(xml, pos);
    if (!xml.substr(start).starts_with(tag)) {
        return false;
    }
    pos = start + tag.size();
    return true;
}

// Blanks, then a whole tag: pos moves past it. Without a tag pos stays where
// it was, so the blanks that open an untagged string remain part of it.
std::string_view GetNextTag(std::string_view xml, std::size_t& pos) {
    const std::size_t start = SkipBlanks(xml, pos);
    if (start >= xml.size() || xml[start] != '<') {
        return {};
    }
    const std::size_t end = xml.find('>', start);
    if (end == std::string_view::npos) {
        return {};
    }
    pos = end + 1;
    return xml.substr(start, end + 1 - start);
}

// The text up to the next "<"; false when the document ends first.
bool TakeText(std::string_view xml, std::size_t& pos, std::string_view& text) {
    const std::size_t end = xml.find('<', pos);
    if (end == std::string_view::npos) {
        return false;
    }
    text = xml.substr(pos, end - pos);
    pos = end;
    return true;
}

// from_chars takes no plus sign; a decimal text may carry one.
std::string_view NumberText(std::string_view text) {
    text = Trimmed(text);
    if (text.size() > 1 && text[0] == '+' && text[1] != '-') {
        text.remove_prefix(1);
    }
    return text;
}

bool ParseInt(std::string_view text, int& value) {
    text = NumberText(text);
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end;
}

// Decimal or exponent form; "nan", "inf" and numbers beyond the double range
// are refused.
bool ParseDouble(std::string_view text, double& value) {
    text = NumberText(text);
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value, std::chars_format::general);
    return result.ec == std::errc() && result.ptr == end && std::isfinite(value);
}

bool ParseDigits(std::string_view text, std::size_t at, std::size_t count, int& value) {
    value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return false;
        }
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

// "YYYYMMDDTHH:MM:SS" with every field in full, the form the writer gives.
bool ParseDateTime(std::string_view text, std::tm& time) {
    text = Trimmed(text);
    time = std::tm {};
    time.tm_isdst = -1;
    return text.size() == 17 && text[8] == 'T' && text[11] == ':' && text[14] == ':'
        && ParseDigits(text, 0, 4, time.tm_year) && ParseDigits(text, 4, 2, time.tm_mon)
        && ParseDigits(text, 6, 2, time.tm_mday) && ParseDigits(text, 9, 2, time.tm_hour)
        && ParseDigits(text, 12, 2, time.tm_min) && ParseDigits(text, 15, 2, time.tm_sec);
}

} // namespace

bool XmlRpcItem::FromXml(const std::string& xml, int& offset) {
    Invalidate();
    if (offset < 0 || static_cast<std::size_t>(offset) > xml.size()) {
        return false;
    }
    std::size_t pos = static_cast<std::size_t>(offset);
    bool read = false;
    try {
        read = ReadValue(xml, pos, 1) && pos <= static_cast<std::size_t>(INT_MAX);
    } catch (const std::exception&) {
        // Only running out of memory gets here; such a document is unreadable
        // like any other.
        read = false;
    }
    if (!read) {
        Invalidate();
        return false;
    }
    offset = static_cast<int>(pos);
    return true;
}

bool XmlRpcItem::ReadValue(std::string_view xml, std::size_t& pos, int depth) {
    if (depth > MaxDepth || !NextTagIs(xml, pos, "<value>")) {
        return false;
    }
    const std::size_t contentStart = pos;
    const std::string_view tag = GetNextTag(xml, pos);
    bool read = false;
    if (tag.empty() || tag == "</value>") {
        // Untagged text is a string. Blanks alone count as text too, so a
        // string of blanks reads back as written.
        pos = contentStart;
        read = ReadScalar(TypeString, xml, pos);
    } else if (tag == "<array>") {
        read = ReadArray(xml, pos, depth);
    } else if (tag == "<struct>") {
        read = ReadStruct(xml, pos, depth);
    } else {
        for (const ScalarTag& scalar : ScalarTags) {
            if (tag == scalar.open) {
                read = ReadScalar(scalar.type, xml, pos) && NextTagIs(xml, pos, scalar.close);
                break;
            }
        }
    }
    return read && NextTagIs(xml, pos, "</value>");
}

bool XmlRpcItem::ReadScalar(int type, std::string_view xml, std::size_t& pos) {
    std::string_view text;
    if (!TakeText(xml, pos, text)) {
        return false;
    }
    switch (type) {
    case TypeBoolean: {
        int flag = 0;
        if (!ParseInt(text, flag) || (flag != 0 && flag != 1)) {
            return false;
        }
        m_value = flag == 1;
        return true;
    }
    case TypeInt: {
        int number = 0;
        if (!ParseInt(text, number)) {
            return false;
        }
        m_value = number;
        return true;
    }
    case TypeDouble: {
        double number = 0.0;
        if (!ParseDouble(text, number)) {
            return false;
        }
        m_value = number;
        return true;
    }
    case TypeString:
        m_value = std::make_unique<std::string>(EntityDecode(text));
        return true;
    case TypeDateTime: {
        auto time = std::make_unique<std::tm>();
        if (!ParseDateTime(text, *time)) {
            return false;
        }
        m_value = std::move(time);
        return true;
    }
    case TypeBase64:
        m_value = std::make_unique<BinaryData>(Base64Decode(text));
        return true;
    default:
        return false;
    }
}

bool XmlRpcItem::ReadArray(std::string_view xml, std::size_t& pos, int depth) {
    if (!NextTagIs(xml, pos, "<data>")) {
        return false;
    }
    auto elements = std::make_unique<ValueArray>();
    while (!NextTagIs(xml, pos, "</data>")) {
        XmlRpcItem element;
        if (!element.ReadValue(xml, pos, depth + 1)) {
            return false;
        }
        elements->push_back(std::move(element));
    }
    if (!NextTagIs(xml, pos, "</array>")) {
        return false;
    }
    m_value = std::move(elements);
    return true;
}

bool XmlRpcItem::ReadStruct(std::string_view xml, std::size_t& pos, int depth) {
    auto members = std::make_unique<ValueStruct>();
    while (NextTagIs(xml, pos, "<member>")) {
        std::string_view name;
        XmlRpcItem member;
        if (!NextTagIs(xml, pos, "<name>") || !TakeText(xml, pos, name) || !NextTagIs(xml, pos, "</name>")
            || !member.ReadValue(xml, pos, depth + 1) || !NextTagIs(xml, pos, "</member>")) {
            return false;
        }
        // Names are decoded like string text, so every name the writer encoded
        // reads back unchanged. A later member of the same name replaces the
        // earlier one.
        members->insert_or_assign(EntityDecode(name), std::move(member));
    }
    if (!NextTagIs(xml, pos, "</struct>")) {
        return false;
    }
    m_value = std::move(members);
    return true;
}

} // namespace XmlRpc
