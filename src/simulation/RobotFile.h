#pragma once

#include <osg/Quat>
#include <osg/Vec3d>
#include <osg/Vec4d>

#include <string>
#include <string_view>
#include <vector>

// A robot file (".rob") as data: what the robot builder writes and what the
// simulation and the builder read back, without any scene or physics.
//
// The file is XML with a root "data" holding the sections "rcu" (its "l"
// the robot's number of parts, its one "obj" the control unit), "brick",
// "wheel", "motor", "sensor" and "coloredlight" (one "obj" per part), then
// "join", "join_line", "join_motor" and "count". Numbers are written with
// as many digits as it takes to read them back exactly, in any locale.
//
// An older layout, one line holding a structured-value document with the
// members "Rcu", "Brick", "Wheel", "Motor" and "Sensor", is still read.

// One part: what its "obj" element holds. Numbers missing from the file
// read as 0; a position or rotation that is no finite number reads as 0 too,
// and a rotation of length 0 as none.
struct SRobotFilePart {
    // The element's name; the builder makes "models/<tag>.ive" of it when the
    // element has no "address".
    std::string m_strTag;
    std::string m_strAddress;
    bool m_bHasAddress = false;
    int m_nId = 0;
    osg::Vec3d m_vPos;
    osg::Quat m_qRot;
    // "c_x" .. "c_w": bricks only.
    osg::Vec4d m_vColor;
    // "sensor" (the sensor-kind code of a sensor), "port", "opposite" and
    // "raydis": motors, sensors and lights. A part without a ray distance
    // (the control unit, bricks, wheels) has the longest one.
    int m_nSensor = 0;
    int m_nPort = 0;
    int m_nOpposite = 0;
    int m_nRayDis = 255;
    bool m_bHasRayDis = false;
};

// A join that the builder found between two parts: "id" the part written,
// "id2" the part it joins, the join point less the first part's position,
// and the join's direction. Written as doubles, as the file has always had
// them.
struct SRobotFileJoin {
    int m_nId = 0;
    int m_nId2 = 0;
    osg::Vec3d m_vPoint;
    osg::Vec3d m_vAxes;
};

struct SRobotFileCount {
    std::string m_strAddress;
    int m_nCount = 0;
};

struct RobotFileData {
    // "l" of "rcu": the number of parts, the control unit among them; 0 when
    // missing.
    int m_nPartCount = 0;
    bool m_bHasRcu = false;
    SRobotFilePart m_rcu;
    std::vector<SRobotFilePart> m_vecBricks;
    std::vector<SRobotFilePart> m_vecWheels;
    std::vector<SRobotFilePart> m_vecMotors;
    std::vector<SRobotFilePart> m_vecSensors;
    std::vector<SRobotFilePart> m_vecLights;
    // The ids of the motors, sensors and lights ("join"), in part order.
    std::vector<int> m_vecJoinIds;
    std::vector<SRobotFileJoin> m_vecJoinLines;
    std::vector<SRobotFileJoin> m_vecJoinMotors;
    std::vector<SRobotFileCount> m_vecCounts;
};

namespace simulation {

// How far a robot file's XML could be read.
enum class RobotFileStatus {
    Read, // everything below holds
    NotXml, // not a readable XML text
    NoData, // no "data" root (maybe the older layout)
    NoRcu, // no "rcu" section
    NoPartCount, // "rcu" without "l", or "l" 0
    NoRcuPart, // "rcu" without an element inside
    UnsafeAddress, // a part's model address leaves the program folder
};

// Robot files are a few kilobytes, a large robot some hundreds; anything
// beyond this is no robot file.
inline constexpr std::size_t kMaxRobotFileSize = 16u << 20;

// Reads the XML layout. The data holds what could be read before the
// status's reason stopped the reading: the part count is known from
// NoRcuPart on. A part whose model address breaks the rule of
// ModelAddress.h (its own, or the "models/<tag>.ive" made of its element's
// name) refuses the file (UnsafeAddress), `reason` says why and
// `unsafeAddress` gets the address.
RobotFileStatus ParseRobotXml(std::string_view text, RobotFileData& out, std::string* reason = nullptr,
    std::string* unsafeAddress = nullptr);

// Reads the older one-line layout from the file's first line: the control
// unit and the bricks, wheels, motors and sensors (no ids, no lights, no
// joins). False when the line is no structured-value document with a
// "Rcu", holds a value of the wrong type, or names a model outside the
// program folder (then `reason` says why and `unsafeAddress` gets the
// address).
bool ParseOlderRobotLayout(std::string_view text, RobotFileData& out, std::string* reason = nullptr,
    std::string* unsafeAddress = nullptr);

// The XML text of a robot file, as the robot builder saves it.
std::string WriteRobotXml(const RobotFileData& data);

// The whole file; false when it cannot be read or is larger than
// kMaxRobotFileSize, and then `error` holds the errno value of the failure
// (EFBIG for a file too large).
bool ReadRobotFileText(const std::string& path, std::string& text, int* error = nullptr);
// Writes the file whole or not at all (platform::WriteWholeFile): a failure
// (a full disk) leaves the earlier file as it was, and gives false with the
// errno value in `error`.
bool SaveRobotFileText(const std::string& path, const std::string& text, int* error = nullptr);

// Numbers as the file holds them: the shortest text that reads back as the
// same double, or as the same float for a number that is one (positions are
// held in single precision), and the reading of such a text (a leading number as the C
// library reads one, whatever the locale; false without one, or for one that
// is not finite).
std::string FormatRobotFileNumber(double value);
bool ParseRobotFileNumber(std::string_view text, double& value);
// A leading whole number, read the way the C library does ("1.5" reads 1)
// but saturating at the int range; false without digits.
bool ParseRobotFileInt(std::string_view text, int& value);

} // namespace simulation
