#include "classlink/XorWithLinkKey.h"

#include <cstdint>
#include <cstring>

void XorWithLinkKey(char* data, qsizetype size, qint64 position, std::string_view key) {
    const auto keyLength = static_cast<qint64>(key.size());
    if (keyLength == 0 || size <= 0)
        return;
    qint64 k = position % keyLength;
    if (k < 0)
        k += keyLength;
    qsizetype i = 0;

    // Every bundle byte passes through here, so the common 16-byte key goes
    // word by word: the key, rotated to the current position, repeats every
    // 16 bytes of data.
    if (keyLength == 16 && size >= 32) {
        unsigned char rotated[16];
        for (int j = 0; j < 16; ++j)
            rotated[j] = static_cast<unsigned char>(key[static_cast<size_t>((k + j) % 16)]);
        std::uint64_t lo = 0;
        std::uint64_t hi = 0;
        std::memcpy(&lo, rotated, 8);
        std::memcpy(&hi, rotated + 8, 8);
        for (; i + 16 <= size; i += 16) {
            std::uint64_t a = 0;
            std::uint64_t b = 0;
            std::memcpy(&a, data + i, 8);
            std::memcpy(&b, data + i + 8, 8);
            a ^= lo;
            b ^= hi;
            std::memcpy(data + i, &a, 8);
            std::memcpy(data + i + 8, &b, 8);
        }
    }
    for (; i < size; ++i) {
        const qint64 at = (k + i) % keyLength;
        data[i] = static_cast<char>(data[i] ^ key[static_cast<size_t>(at)]);
    }
}
