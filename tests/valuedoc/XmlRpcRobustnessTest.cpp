#include "valuedoc/XmlRpcItem.h"

#include "ValueDocSamples.h"

#include <gtest/gtest.h>

#include <random>

using XmlRpc::XmlRpcItem;

namespace {

const std::string Fragments[] = { "<value>", "</value>", "<array>", "<data>", "</data>", "</array>",
    "<struct>", "</struct>", "<member>", "</member>", "<name>", "</name>", "<i4>", "</i4>", "<double>",
    "</double>", "<boolean>", "<base64>", "<string>", "&", "&amp;", "&lt", "<", ">", " ", "\n",
    std::string(1, '\0'), "-", "+", "1e400", "nan", "99999999999", "=", "T" };

std::vector<std::string> Seeds() {
    std::vector<std::string> seeds;
    seeds.push_back(valuedoc_test::SampleDocument().ToXml());

    XmlRpcItem numbers;
    for (int i = 0; i < 20; ++i) {
        static_cast<double&>(numbers[i]) = (i - 10) * 1234.5678;
        static_cast<int&>(numbers[20 + i]) = (i - 10) * 99991;
    }
    seeds.push_back(numbers.ToXml());

    seeds.push_back(" <value>\n <struct>\n  <member> <name>a</name>\n  <value><array><data>\n"
                    "   <value><string> s </string></value> <value><int>+7</int></value>\n"
                    "   <value><base64>\nAAEC\nAwQF\n</base64></value>\n"
                    "   <value><dateTime.iso8601>19990101T23:59:59</dateTime.iso8601></value>\n"
                    "  </data></array></value>\n  </member>\n </struct>\n</value>\n");
    return seeds;
}

class Mutator {
public:
    explicit Mutator(unsigned seed)
        : m_random(seed) { }

    std::size_t Below(std::size_t n) {
        return n == 0 ? 0 : std::uniform_int_distribution<std::size_t>(0, n - 1)(m_random);
    }

    void Mutate(std::string& text) {
        const std::size_t at = Below(text.size() + 1);
        switch (Below(5)) {
        case 0: // flip a byte
            if (at < text.size()) {
                text[at] = static_cast<char>(Below(256));
            }
            break;
        case 1: // cut the tail or a piece
            if (Below(2) == 0) {
                text.resize(at);
            } else {
                text.erase(at, Below(64));
            }
            break;
        case 2: // insert random bytes
            for (std::size_t n = Below(8) + 1; n > 0; --n) {
                text.insert(text.begin() + static_cast<std::ptrdiff_t>(at), static_cast<char>(Below(256)));
            }
            break;
        case 3: // insert a piece of the grammar
            text.insert(at, Fragments[Below(std::size(Fragments))]);
            break;
        default: { // duplicate a fragment of the document elsewhere
            const std::size_t from = Below(text.size());
            const std::string piece = text.substr(from, Below(200));
            text.insert(Below(text.size() + 1), piece);
            break;
        }
        }
    }

private:
    std::mt19937 m_random;
};

} // namespace

TEST(XmlRpcRobustness, MutatedDocumentsAreReadSafely) {
    const std::vector<std::string> seeds = Seeds();
    Mutator mutator(20240229);
    int accepted = 0;
    int refused = 0;
    for (int round = 0; round < 200000; ++round) {
        std::string text = seeds[mutator.Below(seeds.size())];
        for (std::size_t n = mutator.Below(3) + 1; n > 0; --n) {
            mutator.Mutate(text);
        }

        XmlRpcItem item;
        int offset = 0;
        bool read = false;
        ASSERT_NO_THROW(read = item.FromXml(text, offset)) << text;
        if (!read) {
            ++refused;
            ASSERT_EQ(offset, 0);
            ASSERT_EQ(item.GetType(), XmlRpcItem::TypeInvalid);
            continue;
        }
        ++accepted;
        ASSERT_GT(offset, 0);
        ASSERT_LE(offset, static_cast<int>(text.size()));

        // Whatever is accepted writes a text that reads back to the same value.
        std::string written;
        ASSERT_NO_THROW(written = item.ToXml()) << text;
        XmlRpcItem again;
        int againOffset = 0;
        ASSERT_TRUE(again.FromXml(written, againOffset)) << text << "\n" << written;
        ASSERT_EQ(againOffset, static_cast<int>(written.size()));
        ASSERT_EQ(again.ToXml(), written) << text;
    }
    // Both outcomes must have been exercised for the test to mean anything.
    EXPECT_GT(accepted, 1000);
    EXPECT_GT(refused, 1000);
}
