#include "simulation/RobotFile.h"

#include "foundation/XmlNesting.h"
#include "platform/WholeFile.h"
#include "simulation/ModelAddress.h"
#include "simulation/UniqueFd.h"
#include "valuedoc/XmlRpcException.h"
#include "valuedoc/XmlRpcItem.h"

#include <tinyxml.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <initializer_list>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace simulation {

namespace {

// A robot file nests four deep; TinyXML parses recursively, so a hostile
// file must not take the stack down with it.
constexpr int kMaxRobotFileNesting = 64;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string_view SkipBlanksAndPlus(std::string_view text, bool& negative) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    return text.substr(i);
}

int IntAttribute(const TiXmlElement& element, const char* name, int fallback = 0) {
    const char* text = element.Attribute(name);
    int value = fallback;
    if (!text || !ParseRobotFileInt(text, value))
        return fallback;
    return value;
}

double DoubleAttribute(const TiXmlElement& element, const char* name) {
    const char* text = element.Attribute(name);
    double value = 0.0;
    if (!text || !ParseRobotFileNumber(text, value))
        return 0.0;
    return value;
}

// A rotation as a file gives it: without length it is none; one that has
// drifted from unit length (files written with few digits) is made a unit
// rotation again, and an exact one stays exactly as written.
osg::Quat SoundRotation(double x, double y, double z, double w) {
    const double length = std::sqrt(x * x + y * y + z * z + w * w);
    if (!(length > 0.0) || !std::isfinite(length))
        return osg::Quat();
    if (std::abs(length - 1.0) < 1e-12)
        return osg::Quat(x, y, z, w);
    return osg::Quat(x / length, y / length, z / length, w / length);
}

SRobotFilePart ReadPart(const TiXmlElement& element) {
    SRobotFilePart part;
    part.m_strTag = element.ValueStr();
    if (const char* address = element.Attribute("address")) {
        part.m_strAddress = address;
        part.m_bHasAddress = true;
    }
    part.m_nId = IntAttribute(element, "id");
    part.m_vPos.set(
        DoubleAttribute(element, "x"), DoubleAttribute(element, "y"), DoubleAttribute(element, "z"));
    part.m_qRot = SoundRotation(DoubleAttribute(element, "q_x"), DoubleAttribute(element, "q_y"),
        DoubleAttribute(element, "q_z"), DoubleAttribute(element, "q_w"));
    part.m_vColor.set(DoubleAttribute(element, "c_x"), DoubleAttribute(element, "c_y"),
        DoubleAttribute(element, "c_z"), DoubleAttribute(element, "c_w"));
    part.m_nSensor = IntAttribute(element, "sensor");
    part.m_nPort = IntAttribute(element, "port");
    part.m_nOpposite = IntAttribute(element, "opposite");
    int rayDis = 0;
    part.m_bHasRayDis = element.Attribute("raydis") && ParseRobotFileInt(element.Attribute("raydis"), rayDis);
    if (part.m_bHasRayDis)
        part.m_nRayDis = rayDis;
    return part;
}

void ReadSection(const TiXmlElement& data, const char* name, std::vector<SRobotFilePart>& out) {
    const TiXmlElement* section = data.FirstChildElement(name);
    if (!section)
        return;
    for (const TiXmlElement* e = section->FirstChildElement(); e; e = e->NextSiblingElement())
        out.push_back(ReadPart(*e));
}

void ReadJoins(const TiXmlElement& data, const char* name, std::vector<SRobotFileJoin>& out) {
    const TiXmlElement* section = data.FirstChildElement(name);
    if (!section)
        return;
    for (const TiXmlElement* e = section->FirstChildElement("join"); e; e = e->NextSiblingElement("join")) {
        SRobotFileJoin join;
        join.m_nId = IntAttribute(*e, "id");
        join.m_nId2 = IntAttribute(*e, "id2");
        join.m_vPoint.set(DoubleAttribute(*e, "x"), DoubleAttribute(*e, "y"), DoubleAttribute(*e, "z"));
        join.m_vAxes.set(
            DoubleAttribute(*e, "axes_x"), DoubleAttribute(*e, "axes_y"), DoubleAttribute(*e, "axes_z"));
        out.push_back(join);
    }
}

void SetNumber(TiXmlElement& element, const char* name, double value) {
    element.SetAttribute(name, FormatRobotFileNumber(value));
}

void WritePart(TiXmlElement& section, const SRobotFilePart& part, bool colour, bool wired) {
    TiXmlElement* obj = new TiXmlElement("obj");
    section.LinkEndChild(obj);
    obj->SetAttribute("address", part.m_strAddress);
    obj->SetAttribute("id", part.m_nId);
    SetNumber(*obj, "x", part.m_vPos.x());
    SetNumber(*obj, "y", part.m_vPos.y());
    SetNumber(*obj, "z", part.m_vPos.z());
    SetNumber(*obj, "q_x", part.m_qRot.x());
    SetNumber(*obj, "q_y", part.m_qRot.y());
    SetNumber(*obj, "q_z", part.m_qRot.z());
    SetNumber(*obj, "q_w", part.m_qRot.w());
    if (colour) {
        SetNumber(*obj, "c_x", part.m_vColor.x());
        SetNumber(*obj, "c_y", part.m_vColor.y());
        SetNumber(*obj, "c_z", part.m_vColor.z());
        SetNumber(*obj, "c_w", part.m_vColor.w());
    }
    if (wired) {
        obj->SetAttribute("sensor", part.m_nSensor);
        obj->SetAttribute("port", part.m_nPort);
        obj->SetAttribute("opposite", part.m_nOpposite);
        obj->SetAttribute("raydis", part.m_nRayDis);
    }
}

TiXmlElement* AddSection(TiXmlElement& data, const char* name) {
    TiXmlElement* section = new TiXmlElement(name);
    data.LinkEndChild(section);
    return section;
}

void WriteJoins(TiXmlElement& data, const char* name, const std::vector<SRobotFileJoin>& joins) {
    TiXmlElement* section = AddSection(data, name);
    for (const SRobotFileJoin& join : joins) {
        TiXmlElement* e = new TiXmlElement("join");
        section->LinkEndChild(e);
        SetNumber(*e, "id", join.m_nId);
        SetNumber(*e, "id2", join.m_nId2);
        SetNumber(*e, "x", join.m_vPoint.x());
        SetNumber(*e, "y", join.m_vPoint.y());
        SetNumber(*e, "z", join.m_vPoint.z());
        SetNumber(*e, "axes_x", join.m_vAxes.x());
        SetNumber(*e, "axes_y", join.m_vAxes.y());
        SetNumber(*e, "axes_z", join.m_vAxes.z());
    }
}

// ---- the older layout ---------------------------------------------------------------------

bool HasMember(XmlRpc::XmlRpcItem& item, const char* name) {
    return item[name].GetType() != XmlRpc::XmlRpcItem::TypeInvalid;
}

// Pose and name, as every item of the older layout has them; a member of
// another type than the layout's throws.
SRobotFilePart ReadOlderPart(XmlRpc::XmlRpcItem& item) {
    item.AssertStruct();
    SRobotFilePart part;
    std::string& name = item["Name"];
    part.m_strAddress = name;
    part.m_bHasAddress = true;
    const double x = item["Position_x"];
    const double y = item["Position_y"];
    const double z = item["Position_z"];
    part.m_vPos.set(std::isfinite(x) ? x : 0.0, std::isfinite(y) ? y : 0.0, std::isfinite(z) ? z : 0.0);
    part.m_qRot = SoundRotation(item["Quat_x"], item["Quat_y"], item["Quat_z"], item["Quat_w"]);
    part.m_nRayDis = 255;
    part.m_bHasRayDis = true;
    return part;
}

void ReadOlderArray(XmlRpc::XmlRpcItem& root, const char* name, std::vector<SRobotFilePart>& out,
    const std::initializer_list<const char*>& extras) {
    if (!HasMember(root, name))
        return;
    XmlRpc::XmlRpcItem& array = root[name];
    array.AssertArray(0);
    const int n = array.Size();
    for (int i = 0; i < n; ++i) {
        XmlRpc::XmlRpcItem& item = array[i];
        SRobotFilePart part = ReadOlderPart(item);
        for (const char* extra : extras) {
            const std::string member(extra);
            if (member == "Color") {
                part.m_vColor.set(item["Color_r"], item["Color_g"], item["Color_b"], item["Color_a"]);
            } else if (member == "Ports") {
                part.m_nPort = item["Ports"];
            } else if (member == "SensorType") {
                part.m_nSensor = item["SensorType"];
            }
        }
        out.push_back(std::move(part));
    }
}

// The first model address of the parts, the control unit first, that leaves
// the program folder; empty when there is none. A part without an address
// of its own is read from "models/<tag>.ive".
std::string FirstUnsafeAddress(const RobotFileData& data) {
    std::vector<const SRobotFilePart*> parts;
    if (data.m_bHasRcu)
        parts.push_back(&data.m_rcu);
    for (const auto* list :
        { &data.m_vecBricks, &data.m_vecWheels, &data.m_vecMotors, &data.m_vecSensors, &data.m_vecLights }) {
        for (const SRobotFilePart& part : *list)
            parts.push_back(&part);
    }
    for (const SRobotFilePart* part : parts) {
        const std::string address
            = part->m_bHasAddress ? part->m_strAddress : "models/" + part->m_strTag + ".ive";
        if (!IsSafeModelAddress(address))
            return address;
    }
    return {};
}

// Whether every part's model address may be read; otherwise the reason.
bool AddressesAreSafe(const RobotFileData& data, std::string* reason, std::string* address) {
    const std::string unsafe = FirstUnsafeAddress(data);
    if (unsafe.empty())
        return true;
    if (reason)
        *reason = UnsafeModelAddressReason(unsafe);
    if (address)
        *address = unsafe;
    return false;
}

} // namespace

RobotFileStatus ParseRobotXml(
    std::string_view text, RobotFileData& out, std::string* reason, std::string* unsafeAddress) {
    out = RobotFileData();
    if (text.size() > kMaxRobotFileSize || !XmlNestingWithin(text, kMaxRobotFileNesting))
        return RobotFileStatus::NotXml;
    // TinyXML reads up to a zero byte; a file with one inside is no XML.
    if (text.find('\0') != std::string_view::npos)
        return RobotFileStatus::NotXml;
    TiXmlDocument doc;
    ParseXmlText(doc, text, TIXML_DEFAULT_ENCODING);
    if (doc.Error())
        return RobotFileStatus::NotXml;
    const TiXmlElement* data = doc.FirstChildElement("data");
    if (!data)
        return RobotFileStatus::NoData;
    const TiXmlElement* rcu = data->FirstChildElement("rcu");
    if (!rcu)
        return RobotFileStatus::NoRcu;
    out.m_nPartCount = IntAttribute(*rcu, "l");
    if (out.m_nPartCount == 0)
        return RobotFileStatus::NoPartCount;
    const TiXmlElement* unit = rcu->FirstChildElement();
    if (!unit)
        return RobotFileStatus::NoRcuPart;
    out.m_bHasRcu = true;
    out.m_rcu = ReadPart(*unit);
    ReadSection(*data, "brick", out.m_vecBricks);
    ReadSection(*data, "wheel", out.m_vecWheels);
    ReadSection(*data, "motor", out.m_vecMotors);
    ReadSection(*data, "sensor", out.m_vecSensors);
    ReadSection(*data, "coloredlight", out.m_vecLights);
    if (const TiXmlElement* join = data->FirstChildElement("join")) {
        if (const TiXmlElement* list = join->FirstChildElement("join")) {
            for (const TiXmlElement* e = list->FirstChildElement("join"); e;
                 e = e->NextSiblingElement("join"))
                out.m_vecJoinIds.push_back(IntAttribute(*e, "id"));
        }
    }
    ReadJoins(*data, "join_line", out.m_vecJoinLines);
    ReadJoins(*data, "join_motor", out.m_vecJoinMotors);
    if (const TiXmlElement* count = data->FirstChildElement("count")) {
        for (const TiXmlElement* e = count->FirstChildElement("obj"); e; e = e->NextSiblingElement("obj")) {
            const char* address = e->Attribute("address");
            out.m_vecCounts.push_back({ address ? address : "", IntAttribute(*e, "l") });
        }
    }
    if (!AddressesAreSafe(out, reason, unsafeAddress))
        return RobotFileStatus::UnsafeAddress;
    return RobotFileStatus::Read;
}

bool ParseOlderRobotLayout(
    std::string_view text, RobotFileData& out, std::string* reason, std::string* unsafeAddress) {
    out = RobotFileData();
    const std::string line(text.substr(0, text.find('\n')));
    XmlRpc::XmlRpcItem root;
    int offset = 0;
    if (!root.FromXml(line, offset))
        return false;
    // The accessors throw on a member of another type than the layout's: such
    // a file is as unreadable as one that is no document at all.
    try {
        if (root.GetType() != XmlRpc::XmlRpcItem::TypeStruct || !HasMember(root, "Rcu"))
            return false;
        out.m_rcu = ReadOlderPart(root["Rcu"]);
        out.m_bHasRcu = true;
        ReadOlderArray(root, "Brick", out.m_vecBricks, { "Color" });
        ReadOlderArray(root, "Wheel", out.m_vecWheels, {});
        ReadOlderArray(root, "Motor", out.m_vecMotors, { "Ports" });
        ReadOlderArray(root, "Sensor", out.m_vecSensors, { "Ports", "SensorType" });
    } catch (const XmlRpc::XmlRpcException&) {
        out = RobotFileData();
        return false;
    }
    out.m_nPartCount = int(1 + out.m_vecBricks.size() + out.m_vecWheels.size() + out.m_vecMotors.size()
        + out.m_vecSensors.size());
    if (!AddressesAreSafe(out, reason, unsafeAddress)) {
        out = RobotFileData();
        return false;
    }
    return true;
}

std::string WriteRobotXml(const RobotFileData& data) {
    TiXmlDocument doc;
    TiXmlElement* root = new TiXmlElement("data");
    doc.LinkEndChild(root);
    TiXmlElement* rcu = AddSection(*root, "rcu");
    rcu->SetAttribute("l", data.m_nPartCount);
    if (data.m_bHasRcu)
        WritePart(*rcu, data.m_rcu, false, false);
    TiXmlElement* bricks = AddSection(*root, "brick");
    for (const SRobotFilePart& part : data.m_vecBricks)
        WritePart(*bricks, part, true, false);
    TiXmlElement* wheels = AddSection(*root, "wheel");
    for (const SRobotFilePart& part : data.m_vecWheels)
        WritePart(*wheels, part, false, false);
    TiXmlElement* motors = AddSection(*root, "motor");
    for (const SRobotFilePart& part : data.m_vecMotors)
        WritePart(*motors, part, false, true);
    TiXmlElement* sensors = AddSection(*root, "sensor");
    for (const SRobotFilePart& part : data.m_vecSensors)
        WritePart(*sensors, part, false, true);
    TiXmlElement* lights = AddSection(*root, "coloredlight");
    for (const SRobotFilePart& part : data.m_vecLights)
        WritePart(*lights, part, false, true);

    TiXmlElement* join = AddSection(*root, "join");
    join->SetAttribute("l", int(data.m_vecJoinIds.size()));
    TiXmlElement* list = AddSection(*join, "join");
    for (int id : data.m_vecJoinIds) {
        TiXmlElement* e = new TiXmlElement("join");
        list->LinkEndChild(e);
        e->SetAttribute("id", id);
    }
    WriteJoins(*root, "join_line", data.m_vecJoinLines);
    WriteJoins(*root, "join_motor", data.m_vecJoinMotors);
    TiXmlElement* count = AddSection(*root, "count");
    for (const SRobotFileCount& entry : data.m_vecCounts) {
        TiXmlElement* e = new TiXmlElement("obj");
        count->LinkEndChild(e);
        e->SetAttribute("address", entry.m_strAddress);
        e->SetAttribute("l", entry.m_nCount);
    }

    TiXmlPrinter printer;
    doc.Accept(&printer);
    return printer.Str();
}

bool ReadRobotFileText(const std::string& path, std::string& text, int* error) {
    text.clear();
    int ignored = 0;
    int& failure = error ? *error : ignored;
    failure = 0;
    const UniqueFd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat status { };
    if (!file.IsValid() || ::fstat(file.Get(), &status) != 0) {
        failure = errno;
        return false;
    }
    if (S_ISDIR(status.st_mode)) {
        failure = EISDIR;
        return false;
    }
    if (status.st_size < 0 || std::uintmax_t(status.st_size) > kMaxRobotFileSize) {
        failure = EFBIG;
        return false;
    }
    // Read past the reported size once, so that a file growing under us is
    // noticed rather than cut.
    std::string bytes(std::size_t(status.st_size) + 1, '\0');
    std::size_t got = 0;
    for (;;) {
        if (got == bytes.size()) {
            if (bytes.size() > kMaxRobotFileSize) {
                failure = EFBIG;
                return false;
            }
            bytes.resize(std::min(bytes.size() * 2, kMaxRobotFileSize + 1));
        }
        const ssize_t n = ::read(file.Get(), bytes.data() + got, bytes.size() - got);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            failure = errno;
            return false;
        }
        got += std::size_t(n);
    }
    bytes.resize(got);
    text = std::move(bytes);
    return true;
}

bool SaveRobotFileText(const std::string& path, const std::string& text, int* error) {
    const int failure = platform::WriteWholeFile(path, text);
    if (error)
        *error = failure;
    return failure == 0;
}

std::string FormatRobotFileNumber(double value) {
    if (!std::isfinite(value))
        value = 0.0;
    // Negative zero reads and compares as zero; write it so.
    if (value == 0.0)
        value = 0.0;
    char buffer[32];
    // Positions are held in single precision: such a number is written with
    // the digits single precision needs ("9.3", not "9.300000190734863"),
    // which read back as the same single-precision number.
    const float single = static_cast<float>(value);
    const std::to_chars_result r = double(single) == value
        ? std::to_chars(buffer, buffer + sizeof buffer, single)
        : std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, r.ptr);
}

bool ParseRobotFileNumber(std::string_view text, double& value) {
    bool negative = false;
    const std::string_view rest = SkipBlanksAndPlus(text, negative);
    // from_chars takes words ("inf", "nan") that no file of ours holds.
    if (rest.empty() || !((rest[0] >= '0' && rest[0] <= '9') || rest[0] == '.'))
        return false;
    double parsed = 0.0;
    const std::from_chars_result r = std::from_chars(rest.data(), rest.data() + rest.size(), parsed);
    if (r.ec != std::errc() || !std::isfinite(parsed))
        return false;
    value = negative ? -parsed : parsed;
    return true;
}

bool ParseRobotFileInt(std::string_view text, int& value) {
    bool negative = false;
    const std::string_view rest = SkipBlanksAndPlus(text, negative);
    long long v = 0;
    std::size_t i = 0;
    for (; i < rest.size() && rest[i] >= '0' && rest[i] <= '9'; ++i)
        v = std::min(v * 10 + (rest[i] - '0'), static_cast<long long>(INT_MAX) + 1);
    if (i == 0)
        return false;
    if (negative)
        v = -v;
    value = int(std::clamp(v, static_cast<long long>(INT_MIN), static_cast<long long>(INT_MAX)));
    return true;
}

} // namespace simulation
