#pragma once

#include "elements/CModelRecord.h"
#include "simulation/GroundPicture.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A playground file (".pla"): the ground picture, the scoring rules and one
// array of objects per object kind, as one structured-value document. The
// playground builder writes and reads it, the simulation reads it; this class
// is the file alone, with no scene, physics or window, so tests and tools
// read and write playgrounds headless.
//
// Reading refuses a damaged file whole, with a message saying where and why:
// a member of another value type than the layout gives, a position or scale
// that is out of range (kMaxCoordinate, kMaxScale), a model address that would leave the program folder, an
// assignment count that the entries do not bear out, a zone of unknown kind,
// too many objects or too large a file. Nothing is made of a refused file.
class PlaygroundFile {
public:
    // The object arrays, in the file's own order (the builder reads them so).
    enum Array {
        ArrayCandle,
        ArrayWounded,
        ArrayTakenObj,
        ArraySlope,
        ArrayGeometry,
        ArrayTrigger,
        ArrayAlarm,
        ArrayCount
    };
    // The order in which the simulation reads the arrays.
    static constexpr std::array<int, ArrayCount> kSimulationOrder { ArraySlope, ArrayGeometry, ArrayCandle,
        ArrayTrigger, ArrayWounded, ArrayTakenObj, ArrayAlarm };

    // Where the playground page hands its playground to the simulation, and
    // where a result bundle's playground is unpacked.
    static constexpr const char* kHandOverFile = "Temp/temp.pla";

    // Playgrounds are a few hundred kilobytes, most of it the picture.
    static constexpr std::uintmax_t kMaxFileSize = 64u << 20;
    static constexpr int kMaxObjects = 10000;
    // The ground is 512 across and the builder keeps objects on it; the
    // scene keeps positions in single precision, whose steps at a million
    // are already 1/16: larger numbers are a damaged file, not a playground.
    static constexpr double kMaxCoordinate = 1e6;
    static constexpr double kMaxScale = 1e4;

    // One object: its description's address, type and sub-type (the trigger
    // kind) and its state as the file gives them, and its id.
    struct Item {
        CModelInfo info;
        int id = 0;
        bool hasId = false;
    };

    // Why a file was refused, for a message in the user's language: the
    // fault and the place in the file's own words (`Trigger 3 "Score"`,
    // `"Rule2"`; empty where the fault is the whole file's). The error text
    // says the same for the log, with the details.
    enum class Fault {
        None,
        Unreadable, // the file cannot be read
        TooLarge, // it is larger than kMaxFileSize
        NotAPlayground, // no structured-value document, or a damaged one
        WrongType, // a member of another value type than the layout gives
        OutOfRange, // a position or scale beyond its limit
        UnsafeAddress, // a model address that would leave the program folder
        Assignments, // an "AssignL" that its entries do not bear out
        TooManyObjects, // more than kMaxObjects
        UnknownKind, // a zone of a kind this program does not know
        NoPicture, // its ground picture is none a ground can show (GroundPicture)
        PictureSize, // its ground picture has the wrong size (the place: "300 x 200")
        PictureNotStored, // the ground picture's working copy cannot be written (the place: the system's
                          // reason)
    };
    struct Refusal {
        Fault fault = Fault::None;
        std::string place;
    };

    // The bytes of the ground picture file; none: the default ground.
    std::optional<std::string> image;
    std::vector<int> rules;
    std::array<std::vector<Item>, ArrayCount> arrays;

    // "Candle", "Wounded", ... for an array; its objects' model type.
    static const char* ArrayName(int array);
    static int ArrayType(int array);
    // The array that holds objects of a model type; -1 for types no array holds.
    static int ArrayOfType(int type);

    // The refusal of a playground whose ground picture GroundPicture
    // refused, and the reason in the log's words.
    static Refusal PictureRefusal(const GroundPicture::Check& check, std::string& error);

    // Takes the bytes of the picture file as the ground picture; false, with
    // the reason and the picture as it was, when the file cannot be read
    // whole (a saved playground never loses its picture unnoticed).
    // systemError, when given, gets the errno value of the failure.
    bool TakeImage(const std::string& pictureFile, std::string& error, int* systemError = nullptr);

    // Appends an object to its type's array; false (nothing added) for a type
    // that no array holds.
    bool Add(const CModelInfo& info, int id);
    int ObjectCount() const;

    // Keeps in every delivery zone's assignment list only the ids of loaded
    // models of this playground, as a save does.
    void CleanAssignments();

    // Reads a document's text. False, with the reason in error (and in
    // refusal, when given) and this file left as it was, for text that is no
    // playground or a damaged one.
    bool FromXml(const std::string& text, std::string& error, Refusal* refusal = nullptr);
    // The document's text: members in name order, doubles with six decimals.
    std::string ToXml() const;

    // Reads the file at path (local 8-bit path; relative paths from the
    // program folder). False, with the reason, when it cannot be read or is
    // refused.
    bool Load(const std::string& path, std::string& error, Refusal* refusal = nullptr);
    // Writes the file whole or not at all (platform::WriteWholeFile): false,
    // with the reason (and the errno value in systemError, when given), when
    // it could not be written whole, and then the file at path is as it was.
    bool Save(const std::string& path, std::string& error, int* systemError = nullptr) const;

private:
    bool Read(const std::string& text, std::string& error, Refusal& refusal);
};
