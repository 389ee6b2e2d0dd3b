#include "foundation/XmlNesting.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

// TinyXML steps over a whole UTF-8 sequence at once; a text cut inside one
// (a damaged file) is read to its end and no further, whatever lies behind.
TEST(XmlText, ATextCutInsideACharacterIsReadToItsEndOnly) {
    const std::string declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
    for (const std::string& whole : { declaration + "<data><a b=\"中\"/></data>",
             declaration + "<data><中/></data>", declaration + "<data>中</data>" }) {
        SCOPED_TRACE(whole);
        TiXmlDocument sound;
        ParseXmlText(sound, whole, TIXML_ENCODING_UNKNOWN);
        EXPECT_FALSE(sound.Error()) << sound.ErrorDesc();

        // Cut after the character's first byte, with the rest of the
        // document still behind it in memory.
        const std::string_view cut(whole.data(), whole.find("中") + 1);
        TiXmlDocument damaged;
        ParseXmlText(damaged, cut, TIXML_ENCODING_UNKNOWN);
        EXPECT_TRUE(damaged.Error());
    }
}
