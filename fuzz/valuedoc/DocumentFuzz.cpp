// A structured-value document from anywhere: reading never fails badly, and
// whatever reads is written in a form that reads back to the same value, so
// writing it again gives the same text; no zero is written with a sign.

#include "FuzzCheck.h"
#include "valuedoc/XmlRpcItem.h"

#include <cstdint>
#include <string>

using fuzzsupport::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    XmlRpc::XmlRpcItem item;
    int offset = 0;
    if (!item.FromXml(text, offset)) {
        Check(offset == 0 && item.GetType() == XmlRpc::XmlRpcItem::TypeInvalid,
            "a failed read moved the offset or left a value");
        return 0;
    }
    Check(offset > 0 && static_cast<std::size_t>(offset) <= size, "offset outside the text after a read");
    const std::string first = item.ToXml();
    XmlRpc::XmlRpcItem again;
    int againOffset = 0;
    Check(again.FromXml(first, againOffset), "the written text does not read:\n" + first);
    const std::string second = again.ToXml();
    Check(second == first, "written twice, two texts:\n" + first + "\n----\n" + second);
    Check(first.find("<double>-0.000000</double>") == std::string::npos,
        "a zero written with a sign:\n" + first);
    return 0;
}
