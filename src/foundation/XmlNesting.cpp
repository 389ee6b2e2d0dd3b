#include "foundation/XmlNesting.h"

#include <cstring>

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
