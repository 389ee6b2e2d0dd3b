#include "foundation/XmlNesting.h"

#include <cstring>
#include <string>

bool XmlNestingWithin(std::string_view text, int limit) {
    int depth = 0;
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end) {
        p = static_cast<const char*>(std::memchr(p, '<', static_cast<size_t>(end - p)));
        if (!p)
            break;
        ++p;
        if (p >= end)
            break;
        const bool closing = *p == '/';
        const bool special = *p == '!' || *p == '?';
        // Find the end of the tag, skipping quoted attribute values.
        char quote = 0;
        const char* q = p;
        for (; q < end; ++q) {
            if (quote) {
                if (*q == quote)
                    quote = 0;
            } else if (*q == '"' || *q == '\'') {
                quote = *q;
            } else if (*q == '>') {
                break;
            }
        }
        if (q >= end)
            break;
        if (!special) {
            if (closing)
                --depth;
            else if (q[-1] != '/' && ++depth > limit)
                return false;
        }
        p = q + 1;
    }
    return true;
}

void ParseXmlText(TiXmlDocument& doc, std::string_view text, TiXmlEncoding encoding) {
    // The longest step TinyXML takes is a four-byte sequence.
    constexpr std::size_t kPadding = 4;
    std::string padded;
    padded.reserve(text.size() + kPadding);
    padded.append(text);
    padded.append(kPadding, '\0');
    doc.Parse(padded.c_str(), nullptr, encoding);
}
