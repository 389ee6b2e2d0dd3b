#include "simulation/StepText.h"

#include <gtest/gtest.h>

#include <climits>

using StepText::PortValue;
using Values = std::vector<std::optional<int>>;

namespace {

StepText::DeviceValues Resolve(
    std::string_view text, std::vector<int> motorPorts, std::vector<int> lightPorts) {
    auto values = StepText::ResolveOutputText(text, motorPorts, lightPorts);
    EXPECT_TRUE(values.has_value()) << text;
    return values.value_or(StepText::DeviceValues {});
}

} // namespace

TEST(StepText, InputHoldsTheStepAndEverySensorInOrder) {
    // Step 5, a ray sensor on port 1 and a grey sensor on port 3.
    const std::vector<StepText::SensorReading> sensors = { { 1, 0, "1*" }, { 3, 4, "200*" } };
    EXPECT_EQ(StepText::BuildInputText(5, sensors), "5 1*0*1* 3*4*200* ");

    // No sensors: the step counter and a space.
    EXPECT_EQ(StepText::BuildInputText(0, {}), "0 ");

    // Several fields, an empty reading (a sensor with nothing to measure) and
    // an unwired sensor on port 0.
    const std::vector<StepText::SensorReading> more
        = { { 2, 8, "0*0*120*255*120*0*0*" }, { 4, 5, "" }, { 0, 1, "1*" } };
    EXPECT_EQ(StepText::BuildInputText(17, more), "17 2*8*0*0*120*255*120*0*0* 4*5* 0*1*1* ");
}

TEST(StepText, InputTakesAnyNumberAndAtMost99ReadingCharacters) {
    // Ports come unchecked from robot files; long numbers are written whole.
    const std::vector<StepText::SensorReading> wide = { { -12345678, 10, "0*" }, { 2147483647, 3, "500*" } };
    EXPECT_EQ(StepText::BuildInputText(123456789, wide), "123456789 -12345678*10*0* 2147483647*3*500* ");

    const std::string longReading(150, '7');
    const std::vector<StepText::SensorReading> cut = { { 1, 0, longReading } };
    EXPECT_EQ(StepText::BuildInputText(1, cut), "1 1*0*" + std::string(99, '7') + " ");

    const std::string withZero("12*\0junk", 8);
    const std::vector<StepText::SensorReading> zero = { { 1, 4, withZero } };
    EXPECT_EQ(StepText::BuildInputText(1, zero), "1 1*4*12* ");
}

TEST(StepText, OutputSectionsAndTokens) {
    auto tokens = StepText::ParseOutputText("1*50* 2*-50* l3*1*");
    EXPECT_EQ(tokens.motors, (std::vector<PortValue> { { 1, 50 }, { 2, -50 } }));
    EXPECT_EQ(tokens.lights, (std::vector<PortValue> { { 3, 1 } }));

    // "p" ends the motor section; what follows counts only after an "l".
    tokens = StepText::ParseOutputText("1*10* p 2*20*");
    EXPECT_EQ(tokens.motors, (std::vector<PortValue> { { 1, 10 } }));
    EXPECT_TRUE(tokens.lights.empty());
    tokens = StepText::ParseOutputText("1*10* p 2*20* l3*4*");
    EXPECT_EQ(tokens.motors, (std::vector<PortValue> { { 1, 10 } }));
    EXPECT_EQ(tokens.lights, (std::vector<PortValue> { { 3, 4 } }));

    // The light section starts after the first "l" anywhere, even inside a
    // motor token.
    tokens = StepText::ParseOutputText("1*5l7*");
    EXPECT_EQ(tokens.motors, (std::vector<PortValue> { { 1, 5 } }));
    EXPECT_EQ(tokens.lights, (std::vector<PortValue> { { 7, 0 } }));

    // Only single spaces separate tokens: a newline is part of a token.
    tokens = StepText::ParseOutputText("1*50*\n2*50*");
    EXPECT_EQ(tokens.motors, (std::vector<PortValue> { { 1, 50 } }));
}

TEST(StepText, NumbersReadLikeTheCLibraryButSaturate) {
    const auto tokens = StepText::ParseOutputText(
        "1*-40 2*\t7* 3*+8* 4*5x* *6* 5** 6*99999999999* 7*-99999999999* 99999999999*1*");
    EXPECT_EQ(tokens.motors,
        (std::vector<PortValue> {
            { 1, -40 }, // the final "*" may be missing
            { 2, 7 }, // leading blanks
            { 3, 8 },
            { 4, 5 }, // anything else ends the number
            { 0, 6 }, // no digits give 0
            { 5, 0 },
            { 6, INT_MAX },
            { 7, INT_MIN },
            { INT_MAX, 1 },
        }));
}

TEST(StepText, TokensWithoutAPortArePassedOver) {
    // Two spaces in a row, a leading space or a stray word do not end the
    // motor section.
    auto tokens = StepText::ParseOutputText(" 1*5*  2*6* go 3*7*");
    EXPECT_EQ(tokens.motors, (std::vector<PortValue> { { 1, 5 }, { 2, 6 }, { 3, 7 } }));
    // In the light section, empty and "p" tokens address port 0, which no
    // light shows; other tokens without "*" address nothing.
    tokens = StepText::ParseOutputText("l 4*2* p 9 5*3*");
    EXPECT_EQ(tokens.lights, (std::vector<PortValue> { { 0, 0 }, { 4, 2 }, { 0, 0 }, { 5, 3 } }));
}

TEST(StepText, ResolvedOutputSetsTheFirstDeviceOnEachPort) {
    // Motors on ports 1 and 2, lights on 3 and 4.
    auto values = Resolve("1*50* 2*-50* l3*1*", { 1, 2 }, { 3, 4 });
    EXPECT_EQ(values.motors, (Values { 50, -50 }));
    EXPECT_EQ(values.lights, (Values { 1, std::nullopt }));

    // Out-of-range motor values pass through; the motor cuts them to 100.
    values = Resolve("1*120*", { 1, 2 }, {});
    EXPECT_EQ(values.motors, (Values { 120, std::nullopt }));

    // Two motors on port 1: only the first gets the value (both still apply
    // theirs, as the text is not empty).
    values = Resolve("1*70*", { 1, 1, 2 }, {});
    EXPECT_EQ(values.motors, (Values { 70, std::nullopt, std::nullopt }));

    // No "l": every light keeps its colour, but the step still applies them.
    values = Resolve("1*30* 2*30*", { 1, 2 }, { 3, 4 });
    EXPECT_EQ(values.motors, (Values { 30, 30 }));
    EXPECT_EQ(values.lights, (Values { std::nullopt, std::nullopt }));

    // Only a light: the motors keep their values and apply them again.
    values = Resolve("l4*2*", { 1, 2 }, { 3, 4 });
    EXPECT_EQ(values.motors, (Values { std::nullopt, std::nullopt }));
    EXPECT_EQ(values.lights, (Values { std::nullopt, 2 }));

    // The light section starts after the first "l" only: a second "l" is part
    // of its token, whose port then reads as 0, so light 4 keeps its colour.
    values = Resolve("l3*1* l4*2*", { 1, 2 }, { 3, 4 });
    EXPECT_EQ(values.motors, (Values { std::nullopt, std::nullopt }));
    EXPECT_EQ(values.lights, (Values { 1, std::nullopt }));

    // A later token for the same port wins; ports no device holds are ignored;
    // light values are not limited.
    values = Resolve("1*10* 9*50* 1*20* l3*99* 8*1*", { 1, 2 }, { 3 });
    EXPECT_EQ(values.motors, (Values { 20, std::nullopt }));
    EXPECT_EQ(values.lights, (Values { 99 }));

    // "p" alone keeps every value and applies it.
    values = Resolve("p", { 1, 2 }, { 3 });
    EXPECT_EQ(values.motors, (Values { std::nullopt, std::nullopt }));

    // An empty text: nothing applies in this step.
    EXPECT_FALSE(StepText::ResolveOutputText("", std::vector<int> { 1 }, std::vector<int> { 3 }).has_value());
    // A single space is not empty.
    EXPECT_TRUE(StepText::ResolveOutputText(" ", std::vector<int> { 1 }, std::vector<int> { 3 }).has_value());
}

TEST(StepText, ManualDriveTable) {
    const std::array<int, 4> speeds = { 40, 25, 65, 15 };
    const std::vector<std::pair<int, std::string>> table = {
        { 1, "1*40* 2*40 l p " },
        { 2, "1*-40* 2*-40 l p " },
        { 3, "1*-25* 2*25 l p " },
        { 4, "1*25* 2*-25 l p " },
        { 5, "1*15* 2*65 l p " },
        { 6, "1*65* 2*15 l p " },
        { 7, "1*-15* 2*-65 l p " },
        { 8, "1*-65* 2*-15 l p " },
    };
    for (const auto& [direction, text] : table)
        EXPECT_EQ(StepText::ManualDriveOutputText(direction, speeds), text) << direction;
    for (int direction : { 0, 9, -1 })
        EXPECT_EQ(StepText::ManualDriveOutputText(direction, speeds), "") << direction;

    // Other speeds go where S1 to S4 stand.
    EXPECT_EQ(StepText::ManualDriveOutputText(6, { 1, 2, 3, 4 }), "1*3* 2*4 l p ");

    // Applied, the text drives the motors on ports 1 and 2; its " l p " only
    // reaches a light on port 0, which never changes its look.
    const auto values = Resolve(StepText::ManualDriveOutputText(5, speeds), { 1, 2 }, { 0, 3 });
    EXPECT_EQ(values.motors, (Values { 15, 65 }));
    EXPECT_EQ(values.lights, (Values { 0, std::nullopt }));
}
