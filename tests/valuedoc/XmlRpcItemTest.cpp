#include "valuedoc/XmlRpcItem.h"
#include "valuedoc/XmlRpcErrorHandler.h"
#include "valuedoc/XmlRpcException.h"
#include "valuedoc/XmlRpcLogHandler.h"

#include "ValueDocSamples.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <iostream>
#include <sstream>

using XmlRpc::XmlRpcException;
using XmlRpc::XmlRpcItem;

namespace {

// Runs f and returns the message of the XmlRpcException it throws.
std::string ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const XmlRpcException& e) {
        EXPECT_EQ(e.GetCode(), -1);
        EXPECT_STREQ(e.what(), e.GetMessage().c_str());
        return e.GetMessage();
    }
    ADD_FAILURE() << "no exception";
    return {};
}

XmlRpcItem IntItem(int number) {
    XmlRpcItem item;
    static_cast<int&>(item) = number;
    return item;
}

XmlRpcItem StringItem(const std::string& text) {
    XmlRpcItem item;
    static_cast<std::string&>(item) = text;
    return item;
}

} // namespace

TEST(XmlRpcItem, AssertTypeGivesAnInvalidValueAZeroPayload) {
    const std::pair<int, std::string> zeros[] = {
        { XmlRpcItem::TypeBoolean, "<value><boolean>0</boolean></value>" },
        { XmlRpcItem::TypeInt, "<value><i4>0</i4></value>" },
        { XmlRpcItem::TypeDouble, "<value><double>0.000000</double></value>" },
        { XmlRpcItem::TypeString, "<value></value>" },
        { XmlRpcItem::TypeDateTime, "<value><dateTime.iso8601>00000000T00:00:00</dateTime.iso8601></value>" },
        { XmlRpcItem::TypeBase64, "<value><base64></base64></value>" },
        { XmlRpcItem::TypeArray, "<value><array><data></data></array></value>" },
        { XmlRpcItem::TypeStruct, "<value><struct></struct></value>" },
    };
    for (const auto& [type, text] : zeros) {
        XmlRpcItem item;
        EXPECT_EQ(item.GetType(), XmlRpcItem::TypeInvalid);
        EXPECT_EQ(item.ToXml(), "");
        item.AssertType(type);
        EXPECT_EQ(item.GetType(), type);
        EXPECT_EQ(valuedoc_test::RoundTrip(item), text);
        item.AssertType(type);
        EXPECT_EQ(item.GetType(), type);
        const int other = type == XmlRpcItem::TypeInt ? XmlRpcItem::TypeDouble : XmlRpcItem::TypeInt;
        EXPECT_EQ(ErrorOf([&] { item.AssertType(other); }), "type error");
    }
    XmlRpcItem item;
    EXPECT_EQ(ErrorOf([&] { item.AssertType(9); }), "type error");
    EXPECT_EQ(item.GetType(), XmlRpcItem::TypeInvalid);
}

TEST(XmlRpcItem, TypedAccessReadsAndWritesThePayload) {
    XmlRpcItem number;
    static_cast<double&>(number) = 2.5;
    static_cast<double&>(number) *= 2;
    const double d = number;
    EXPECT_EQ(d, 5.0);
    EXPECT_EQ(ErrorOf([&] { static_cast<void>(static_cast<int&>(number)); }), "type error");
    EXPECT_EQ(ErrorOf([&] { static_cast<void>(static_cast<std::string&>(number)); }), "type error");

    XmlRpcItem counter = IntItem(INT_MIN);
    const int i = counter;
    EXPECT_EQ(i, INT_MIN);

    XmlRpcItem text = StringItem(std::string("a\0b", 3));
    EXPECT_EQ(static_cast<std::string&>(text), std::string("a\0b", 3));
    EXPECT_EQ(text.Size(), 3);
}

TEST(XmlRpcItem, IndexingGrowsAnArray) {
    XmlRpcItem item;
    XmlRpcItem& third = item[3];
    EXPECT_EQ(third.GetType(), XmlRpcItem::TypeInvalid);
    EXPECT_EQ(item.GetType(), XmlRpcItem::TypeArray);
    EXPECT_EQ(item.Size(), 4);
    EXPECT_EQ(&item[3], &third);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(item[i].GetType(), XmlRpcItem::TypeInvalid);
    }

    item.AssertArray(6);
    EXPECT_EQ(item.Size(), 6);
    item.AssertArray(2);
    EXPECT_EQ(item.Size(), 6);
    item[1] = IntItem(7);
    EXPECT_EQ(static_cast<int&>(item[1]), 7);
    EXPECT_EQ(item.Size(), 6);
}

TEST(XmlRpcItem, BadIndexesThrowWithoutTouchingTheValue) {
    XmlRpcItem item;
    EXPECT_EQ(ErrorOf([&] { item[-1]; }), "index out of range");
    EXPECT_EQ(ErrorOf([&] { item.AssertArray(-1); }), "index out of range");
    EXPECT_EQ(ErrorOf([&] { item[XmlRpcItem::MaxArraySize]; }), "index out of range");
    EXPECT_EQ(ErrorOf([&] { item[INT_MAX]; }), "index out of range");
    EXPECT_EQ(ErrorOf([&] { item.AssertArray(INT_MAX); }), "index out of range");
    EXPECT_EQ(item.GetType(), XmlRpcItem::TypeInvalid);

    item[2] = IntItem(1);
    EXPECT_EQ(ErrorOf([&] { item[XmlRpcItem::MaxArraySize + 5]; }), "index out of range");
    EXPECT_EQ(item.Size(), 3);
}

TEST(XmlRpcItem, ContainerAccessOnOtherTypesThrows) {
    XmlRpcItem number = IntItem(1);
    EXPECT_EQ(ErrorOf([&] { number[0]; }), "type error: expected an array");
    EXPECT_EQ(ErrorOf([&] { number.AssertArray(1); }), "type error: expected an array");
    EXPECT_EQ(ErrorOf([&] { number["a"]; }), "type error: expected a struct");
    EXPECT_EQ(ErrorOf([&] { number.AssertStruct(); }), "type error: expected a struct");
    EXPECT_EQ(ErrorOf([&] { number.Size(); }), "type error");
    EXPECT_EQ(ErrorOf([] { XmlRpcItem().Size(); }), "type error");

    XmlRpcItem list;
    list[0] = IntItem(1);
    EXPECT_EQ(ErrorOf([&] { list["a"]; }), "type error: expected a struct");
    XmlRpcItem record;
    record["a"] = IntItem(1);
    EXPECT_EQ(ErrorOf([&] { record[0]; }), "type error: expected an array");
    EXPECT_EQ(static_cast<int&>(number), 1);
}

TEST(XmlRpcItem, StructMembersAreCreatedOnLookupAndKeptInByteOrder) {
    XmlRpcItem record;
    record.AssertStruct();
    EXPECT_EQ(record.Size(), 0);
    XmlRpcItem& missing = record["missing"];
    EXPECT_EQ(missing.GetType(), XmlRpcItem::TypeInvalid);
    EXPECT_EQ(record.Size(), 1);

    for (const char* name : { "b", "\xff", "a", "B", "a0" }) {
        record[name] = StringItem(name);
    }
    // The looked-up but never set member is left out of the text.
    EXPECT_EQ(record.ToXml(),
        "<value><struct>"
        "<member><name>B</name><value>B</value></member>"
        "<member><name>a</name><value>a</value></member>"
        "<member><name>a0</name><value>a0</value></member>"
        "<member><name>b</name><value>b</value></member>"
        "<member><name>\xff</name><value>\xff</value></member>"
        "</struct></value>");
    EXPECT_EQ(record.Size(), 6);

    // FindMember looks without adding.
    EXPECT_EQ(record.FindMember("a0"), &record["a0"]);
    EXPECT_EQ(record.FindMember("zz"), nullptr);
    EXPECT_EQ(record.Size(), 6);
    EXPECT_EQ(IntItem(1).FindMember("a"), nullptr);
}

TEST(XmlRpcItem, CopiesAreDeep) {
    const XmlRpcItem original = valuedoc_test::SampleDocument();
    const std::string text = original.ToXml();

    XmlRpcItem copy(original);
    static_cast<std::string&>(copy["Trigger"][1]["Name"]) = "changed";
    copy["Trigger"][5] = IntItem(3);
    EXPECT_EQ(original.ToXml(), text);

    XmlRpcItem assigned = IntItem(4);
    assigned = original;
    EXPECT_EQ(assigned.ToXml(), text);
    assigned = assigned;
    EXPECT_EQ(assigned.ToXml(), text);

    // A member assigned over its own container.
    XmlRpcItem expected(assigned["Trigger"][1]);
    assigned = assigned["Trigger"][1];
    EXPECT_EQ(assigned.ToXml(), expected.ToXml());

    XmlRpcItem moved(std::move(copy));
    EXPECT_EQ(copy.GetType(), XmlRpcItem::TypeInvalid);
    moved = std::move(moved["Trigger"]);
    EXPECT_EQ(moved.Size(), 6);

    assigned.Invalidate();
    EXPECT_EQ(assigned.GetType(), XmlRpcItem::TypeInvalid);
    EXPECT_EQ(original.ToXml(), text);
}

TEST(XmlRpcHandlers, DefaultHandlersWriteLinesToTheStandardStreams) {
    std::ostringstream out;
    std::ostringstream err;
    std::streambuf* const oldOut = std::cout.rdbuf(out.rdbuf());
    std::streambuf* const oldErr = std::cerr.rdbuf(err.rdbuf());

    XmlRpc::XmlRpcLogHandler& log = XmlRpc::DefaultLogHandler::Instance();
    log.log(0, "shown");
    log.log(1, "above the verbosity");
    XmlRpc::XmlRpcErrorHandler& error = XmlRpc::DefaultErrorHandler::Instance();
    error.error("broken");

    std::cout.rdbuf(oldOut);
    std::cerr.rdbuf(oldErr);
    EXPECT_EQ(out.str(), "shown\n");
    EXPECT_EQ(err.str(), "broken\n");
    EXPECT_EQ(&XmlRpc::DefaultLogHandler::Instance(), &log);
}
