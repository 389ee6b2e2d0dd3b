// A playground file from anywhere (a received bundle, a hand-edited file):
// reading never fails badly, a refused file says why (for the log and for
// the user), and a file that is taken writes a text that reads back as the
// same playground and writes the same text again.

#include "FuzzCheck.h"
#include "simulation/PlaygroundFile.h"

#include <cstdint>
#include <string>

using fuzzsupport::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    PlaygroundFile file;
    std::string error;
    PlaygroundFile::Refusal refusal { PlaygroundFile::Fault::TooLarge, "before" };
    if (!file.FromXml(text, error, &refusal)) {
        Check(!error.empty(), "a refused file without a reason");
        // The window tells the user why in the user's language.
        Check(
            refusal.fault != PlaygroundFile::Fault::None && refusal.fault != PlaygroundFile::Fault::TooLarge,
            "a refused file without a reason for the user: " + error);
        Check(file.ObjectCount() == 0 && file.rules.empty() && !file.image, "a refused file left something");
        return 0;
    }
    Check(refusal.fault == PlaygroundFile::Fault::None && refusal.place.empty(), "a file taken and refused");
    Check(file.ObjectCount() <= PlaygroundFile::kMaxObjects, "more objects than a playground may have");
    const std::string first = file.ToXml();
    PlaygroundFile again;
    Check(again.FromXml(first, error), "the written text does not read: " + error + "\n" + first);
    const std::string second = again.ToXml();
    Check(second == first, "written twice, two texts:\n" + first + "\n----\n" + second);
    return 0;
}
