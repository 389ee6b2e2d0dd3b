#include "ValueDocSamples.h"

#include <gtest/gtest.h>

#include <climits>

namespace valuedoc_test {

using XmlRpc::XmlRpcItem;

std::optional<XmlRpcItem> Parse(const std::string& text) {
    XmlRpcItem value;
    int offset = 0;
    if (!value.FromXml(text, offset)) {
        return std::nullopt;
    }
    return value;
}

std::string RoundTrip(const XmlRpcItem& value) {
    const std::string text = value.ToXml();
    XmlRpcItem copy;
    int offset = 0;
    EXPECT_TRUE(copy.FromXml(text, offset)) << text;
    EXPECT_EQ(offset, static_cast<int>(text.size()));
    EXPECT_EQ(copy.ToXml(), text);
    return text;
}

std::string AllBytes() {
    std::string bytes;
    for (int i = 0; i < 256; ++i) {
        bytes += static_cast<char>(i);
    }
    return bytes + "<>&'\"&lt;&amp;";
}

XmlRpcItem SampleDocument() {
    XmlRpcItem doc;
    static_cast<std::string&>(doc["Image"]) = AllBytes();
    for (int i = 0; i < 3; ++i) {
        static_cast<int&>(doc["Rule" + std::to_string(i)]) = i * 7 - 5;
    }
    for (int i = 0; i < 2; ++i) {
        XmlRpcItem& item = doc["Trigger"][i];
        static_cast<std::string&>(item["Name"]) = "models/trigger <" + std::to_string(i) + ">.ive";
        static_cast<int&>(item["ID"]) = i;
        static_cast<double&>(item["Position_x"]) = -12.5 + i;
        static_cast<double&>(item["Quat_w"]) = 0.70710678;
        static_cast<int&>(item["Assign0"]) = 4;
        static_cast<std::string&>(item["N"]) = "  blanks around  ";
    }
    int offset = 0;
    doc["Flag"].FromXml("<value><boolean>1</boolean></value>", offset);
    offset = 0;
    doc["When"].FromXml("<value><dateTime.iso8601>20240229T13:05:09</dateTime.iso8601></value>", offset);
    offset = 0;
    doc["Blob"].FromXml("<value><base64>AP8AQUJD</base64></value>", offset);
    static_cast<int&>(doc["Nested"][0][0]["deep"][0]) = INT_MIN;
    static_cast<std::string&>(doc["Nested"][0][0]["deep"][1]) = "leaf";
    return doc;
}

} // namespace valuedoc_test
