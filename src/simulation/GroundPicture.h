#pragma once

#include <string>

// The one rule for a ground picture, the same for a picture chosen in the
// playground builder and for one inside a playground file: a picture in
// any format Qt reads (PNG, JPEG, BMP, GIF, ...), of exactly kSide x kSide
// pixels, one pixel per unit of the ground that the grey and line sensors
// read. It is kept as PNG: the ground shows it from a working copy named
// ".png", whose reader goes by the name, and a playground saved with it
// opens again.
class GroundPicture {
public:
    static constexpr int kSide = 512;

    enum class Fault {
        None,
        NoPicture, // no picture in a format Qt reads, or a damaged one
        WrongSize, // a picture of another size than kSide x kSide
        NotStored, // its working copy cannot be written (systemError says why)
        Unreadable, // a chosen picture's file cannot be read (systemError says why)
    };
    struct Check {
        Fault fault = Fault::None;
        // The picture's size, where it could be read (WrongSize has it).
        int width = 0;
        int height = 0;
        // The errno value of a file that could not be read or written.
        int systemError = 0;
    };

    // Makes `bytes` the PNG file of the picture they hold: a PNG stays byte
    // for byte as it is, any other format is converted. A refused picture
    // leaves the bytes as they were.
    static Check ToPng(std::string& bytes);

    // ToPng, then the PNG written to the working copy `copy` (relative to
    // the program folder) and read back as the ground reads it: None only
    // when the ground can show the copy.
    static Check Store(std::string& bytes, const std::string& copy);
};
