#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <string_view>

// The key that both programs scramble the classroom link with.
inline constexpr std::string_view kLinkKey = "Kp7Wd2Qx9Vn4Lt6R";

// Scrambles (and, being an XOR, unscrambles) bytes of the link in place:
// data[j] is XORed with key[(position + j) mod key length]. The position is
// the index of data[0] within its message, so a message may be handled in
// pieces of any size. An empty key leaves the bytes alone.
void XorWithLinkKey(char* data, qsizetype size, qint64 position, std::string_view key = kLinkKey);

// The whole array, counted from the message's first byte.
inline void XorWithLinkKey(QByteArray& bytes, qint64 position = 0, std::string_view key = kLinkKey) {
    XorWithLinkKey(bytes.data(), bytes.size(), position, key);
}
