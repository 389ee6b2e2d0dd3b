#include "valuedoc/Base64.h"
#include "valuedoc/XmlEntities.h"

#include "ValueDocSamples.h"

#include <gtest/gtest.h>

using namespace XmlRpc;

namespace {

std::string Decoded(std::string_view text) {
    const std::vector<char> bytes = Base64Decode(text);
    return std::string(bytes.begin(), bytes.end());
}

} // namespace

TEST(Base64, StandardVectors) {
    const std::pair<std::string, std::string> vectors[] = {
        { "", "" },
        { "f", "Zg==" },
        { "fo", "Zm8=" },
        { "foo", "Zm9v" },
        { "foob", "Zm9vYg==" },
        { "fooba", "Zm9vYmE=" },
        { "foobar", "Zm9vYmFy" },
        { std::string("\0\xff\xfe", 3), "AP/+" },
    };
    for (const auto& [bytes, text] : vectors) {
        EXPECT_EQ(Base64Encode(bytes), text);
        EXPECT_EQ(Decoded(text), bytes);
    }
}

TEST(Base64, BreaksLinesAfterEvery72Characters) {
    const std::string full = Base64Encode(std::string(54, 'a'));
    ASSERT_EQ(full.size(), 73u);
    EXPECT_EQ(full.find('\n'), 72u);

    const std::string longer = Base64Encode(std::string(55, 'a'));
    EXPECT_EQ(longer, full + "YQ==");

    const std::string two = Base64Encode(std::string(108, 'a'));
    EXPECT_EQ(two.size(), 146u);
    EXPECT_EQ(two[72], '\n');
    EXPECT_EQ(two[145], '\n');
}

TEST(Base64, DecoderSkipsForeignCharactersAndStopsAtPadding) {
    EXPECT_EQ(Decoded("Zm9v\r\nYmFy"), "foobar");
    EXPECT_EQ(Decoded(" Z m\t9 v !"), "foo");
    EXPECT_EQ(Decoded("Zg==Zm9v"), "f");
    // Bits short of a whole byte are dropped.
    EXPECT_EQ(Decoded("Zm9vY"), "foo");
    EXPECT_EQ(Decoded("@@@"), "");

    const std::string bytes = valuedoc_test::AllBytes();
    EXPECT_EQ(Decoded(Base64Encode(bytes)), bytes);
}

TEST(Entities, EachCharacterIsEncodedOnce) {
    EXPECT_EQ(EntityEncode("x<y"), "x&lt;y");
    EXPECT_EQ(EntityEncode("<>&'\""), "&lt;&gt;&amp;&apos;&quot;");
    EXPECT_EQ(EntityEncode("&lt;"), "&amp;lt;");
    EXPECT_EQ(EntityEncode(std::string("a\0b\xff", 4)), std::string("a\0b\xff", 4));
}

TEST(Entities, DecodingIsOnePassAndLeavesUnknownAmpersands) {
    EXPECT_EQ(EntityDecode("x&lt;y"), "x<y");
    EXPECT_EQ(EntityDecode("&lt;&gt;&amp;&apos;&quot;"), "<>&'\"");
    // The decoded "&" does not start a second entity.
    EXPECT_EQ(EntityDecode("&amp;lt;"), "&lt;");
    EXPECT_EQ(EntityDecode("&foo; & &lt &"), "&foo; & &lt &");
    EXPECT_EQ(EntityDecode("&&amp;"), "&&");

    const std::string bytes = valuedoc_test::AllBytes();
    EXPECT_EQ(EntityDecode(EntityEncode(bytes)), bytes);
}
