// The model entries of a set-up file, whatever it holds, read as the
// application reads them (the nesting guard, then the XML reader, then the
// model database): every entry that is kept can be laid out as ports and
// collision boxes without harm, its numbers finite and in their ranges, and
// what is left out is reported.

#include "FuzzCheck.h"
#include "elements/ModelDatabase.h"
#include "elements/PartConstants.h"
#include "foundation/XmlNesting.h"

#include <tinyxml.h>

#include <cmath>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>

using fuzzsupport::Check;

namespace {

// As the set-up file's reader has it.
constexpr int kMaxNesting = 200;

bool Finite(const osg::Vec3f& v) {
    return std::isfinite(v.x()) && std::isfinite(v.y()) && std::isfinite(v.z());
}

bool NonZero(const osg::Vec3f& v) {
    return v.x() != 0.0f || v.y() != 0.0f || v.z() != 0.0f;
}

void CheckPoint(const CPoint& read, const PartConstants& constants) {
    Check(Finite(read.m_vPos) && Finite(read.m_vDir) && Finite(read.m_vDir2) && Finite(read.m_vDir3),
        "a kept point with a number that is not finite");
    Check(read.m_nKind >= 0 && read.m_nKind < constants.pointKindCount, "a kept point of an unknown kind");
    Check(read.m_nMale == 0 || read.m_nMale == 1, "a kept point neither male nor female");
    Check(std::isfinite(read.m_dRange) && read.m_dRange > 0.0, "a kept point without a capture range");
    Check(read.m_nKind != 0 || (std::isfinite(read.m_dLength) && read.m_dLength > 0.0),
        "a kept shaft point without a length");
    Check(NonZero(read.m_vDir) && NonZero(read.m_vDir2), "a kept point without its directions");
    Check(read.m_nGridX >= 1 && read.m_nGridX <= ModelDatabase::kMaxGrid && read.m_nGridY >= 1
            && read.m_nGridY <= ModelDatabase::kMaxGrid,
        "a kept point with a grid out of range");
    // What a part does with it: the port box's corners (and a shaft's tip).
    CPoint laid = read;
    laid.BuildPoints(constants);
    Check(laid.m_vecPoints.size() == (read.m_nKind == 0 ? 9u : 8u), "a port laid out with the wrong corners");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (!XmlNestingWithin(std::string_view(text), kMaxNesting))
        return 0;
    TiXmlDocument doc;
    ParseXmlText(doc, text, TIXML_ENCODING_UNKNOWN);
    if (doc.Error())
        return 0;
    const TiXmlElement* dataNode = doc.FirstChildElement("data");
    const TiXmlElement* setUp = dataNode ? dataNode->FirstChildElement("set_up") : nullptr;
    const PartConstants constants;
    int reports = 0;
    const ModelDatabase database(setUp, constants.pointKindCount, [&](const std::string& line) {
        Check(line.rfind("model entry \"", 0) == 0, "a report that names no entry: " + line);
        ++reports;
    });
    if (!setUp)
        return 0;

    // Only an address's first entry counts; each box or point of it is
    // either kept or reported as left out (a cut grid is kept and reported).
    std::set<std::string> seen;
    int leftOut = 0;
    int elements = 0;
    for (const TiXmlElement* obj = setUp->FirstChildElement("obj"); obj;
         obj = obj->NextSiblingElement("obj")) {
        const char* address = obj->Attribute("address");
        if (!address || !seen.insert(address).second)
            continue;
        const ModelEntry* entry = database.Find(address);
        Check(entry != nullptr, std::string("an entry not found by its address ") + address);
        int boxes = 0;
        int points = 0;
        for (const TiXmlElement* child = obj->FirstChildElement(); child;
             child = child->NextSiblingElement()) {
            boxes += child->ValueStr() == "box";
            points += child->ValueStr() == "point";
        }
        Check(entry->boxes.size() <= std::size_t(boxes) && entry->points.size() <= std::size_t(points),
            "an entry keeps more than it holds");
        leftOut += boxes - int(entry->boxes.size()) + points - int(entry->points.size());
        elements += boxes + points;
        for (const SBoxDesc& box : entry->boxes) {
            Check(box.m_vecAxes.size() == 3, "a kept box without three axes");
            bool finite = Finite(box.m_vCenter);
            for (const osg::Vec3f& axis : box.m_vecAxes)
                finite = finite && Finite(axis);
            Check(finite, "a kept box with a number that is not finite");
        }
        for (const CPoint& point : entry->points)
            CheckPoint(point, constants);
    }
    Check(database.Size() == seen.size(), "entries that no address names");
    Check(reports >= leftOut && reports <= elements, "left out without a report, or reported twice");
    return 0;
}
