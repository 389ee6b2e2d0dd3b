#include "valuedoc/Base64.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace XmlRpc {

namespace {

constexpr std::string_view Alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr int GroupsPerLine = 18;

constexpr std::array<std::int8_t, 256> DecodeTable() {
    std::array<std::int8_t, 256> table {};
    table.fill(-1);
    for (std::size_t i = 0; i < Alphabet.size(); ++i) {
        table[static_cast<unsigned char>(Alphabet[i])] = static_cast<std::int8_t>(i);
    }
    return table;
}

constexpr std::array<std::int8_t, 256> Sextets = DecodeTable();

} // namespace

std::string Base64Encode(std::string_view bytes) {
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4 + bytes.size() / 54 + 1);
    int groups = 0;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
        std::uint32_t bits = 0;
        for (std::size_t k = 0; k < 3; ++k) {
            bits <<= 8;
            if (k < n) {
                bits |= static_cast<unsigned char>(bytes[i + k]);
            }
        }
        out += Alphabet[(bits >> 18) & 63];
        out += Alphabet[(bits >> 12) & 63];
        out += n > 1 ? Alphabet[(bits >> 6) & 63] : '=';
        out += n > 2 ? Alphabet[bits & 63] : '=';
        if (++groups == GroupsPerLine) {
            out += '\n';
            groups = 0;
        }
    }
    return out;
}

std::vector<char> Base64Decode(std::string_view text) {
    std::vector<char> out;
    out.reserve(text.size() / 4 * 3 + 3);
    std::uint32_t bits = 0;
    int bitCount = 0;
    for (const char c : text) {
        if (c == '=') {
            break;
        }
        const int sextet = Sextets[static_cast<unsigned char>(c)];
        if (sextet < 0) {
            continue;
        }
        bits = (bits << 6) | static_cast<std::uint32_t>(sextet);
        bitCount += 6;
        if (bitCount >= 8) {
            bitCount -= 8;
            out.push_back(static_cast<char>((bits >> bitCount) & 0xFF));
        }
    }
    return out;
}

} // namespace XmlRpc
