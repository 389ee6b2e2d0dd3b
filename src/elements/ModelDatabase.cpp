#include "elements/ModelDatabase.h"

#include "foundation/CConfig.h"
#include "platform/Warnings.h"

#include <tinyxml.h>

#include <charconv>
#include <cmath>
#include <string_view>

namespace {

bool Finite(const osg::Vec3f& v) {
    return std::isfinite(v.x()) && std::isfinite(v.y()) && std::isfinite(v.z());
}

// The set-up file's numbers have a decimal point whatever the locale (Qt sets
// the C library's from the user's, where it may be a comma): from_chars
// reads them as the file has them. Blanks and a sign may lead, anything may
// follow the number; a value that is no number keeps the fallback.
double DoubleAttr(const TiXmlElement& e, const char* name, double fallback = 0.0) {
    const char* text = e.Attribute(name);
    if (!text)
        return fallback;
    std::string_view rest(text);
    while (!rest.empty()
        && (rest.front() == ' ' || rest.front() == '\t' || rest.front() == '\n' || rest.front() == '\r'))
        rest.remove_prefix(1);
    const bool negative = !rest.empty() && rest.front() == '-';
    if (!rest.empty() && (rest.front() == '-' || rest.front() == '+'))
        rest.remove_prefix(1);
    if (!rest.empty() && rest.front() == '-')
        return fallback;
    double v = 0.0;
    const std::from_chars_result r = std::from_chars(rest.data(), rest.data() + rest.size(), v);
    if (r.ec != std::errc())
        return fallback;
    return negative ? -v : v;
}

int IntAttr(const TiXmlElement& e, const char* name, int fallback) {
    int v = fallback;
    e.QueryIntAttribute(name, &v);
    return v;
}

osg::Vec3f VecAttr(const TiXmlElement& e, const char* x, const char* y, const char* z) {
    return osg::Vec3f(float(DoubleAttr(e, x)), float(DoubleAttr(e, y)), float(DoubleAttr(e, z)));
}

bool IsZero(const osg::Vec3f& v) {
    return v.x() == 0.0f && v.y() == 0.0f && v.z() == 0.0f;
}

void Describe(std::string* problem, const std::string& text) {
    if (problem)
        *problem = text;
}

void DefaultReport(const std::string& line) {
    platform::Warn("elements", line);
}

} // namespace

bool ModelDatabase::ReadPoint(const TiXmlElement& node, int pointKindCount, CPoint& p, std::string* problem) {
    p = CPoint();
    p.m_nMale = IntAttr(node, "male", 0) == 1 ? 1 : 0;
    p.m_dRange = DoubleAttr(node, "range");
    if (p.m_dRange <= 0.0)
        p.m_dRange = 0.6;
    p.m_nKind = IntAttr(node, "type", 0);
    if (p.m_nKind < 0 || p.m_nKind >= pointKindCount || p.m_nKind >= SPortGroup::kKinds)
        p.m_nKind = 0;
    p.m_vDir = VecAttr(node, "dir_x", "dir_y", "dir_z");
    if (IsZero(p.m_vDir))
        p.m_vDir.set(0.0f, 0.0f, 1.0f);
    p.m_vDir2 = VecAttr(node, "dir2_x", "dir2_y", "dir2_z");
    if (IsZero(p.m_vDir2)) {
        if (p.m_vDir.x() == 0.0f && p.m_vDir.y() == 0.0f)
            p.m_vDir2.set(0.0f, 1.0f, 0.0f);
        else
            p.m_vDir2.set(0.0f, 0.0f, 1.0f);
    }
    p.m_vPos = VecAttr(node, "x", "y", "z");
    p.m_nGridX = std::max(1, IntAttr(node, "grid_x", 1));
    p.m_nGridY = std::max(1, IntAttr(node, "grid_y", 1));
    if (p.m_nKind == 0) {
        p.m_dLength = DoubleAttr(node, "length");
        if (p.m_dLength <= 0.0)
            p.m_dLength = 1.0;
    }
    if (p.m_nKind == 2) {
        p.m_vDir3 = VecAttr(node, "dirgay_x", "dirgay_y", "dirgay_z");
        if (IsZero(p.m_vDir3))
            p.m_vDir3.set(0.0f, 1.0f, 0.0f);
    }
    if (!Finite(p.m_vPos) || !Finite(p.m_vDir) || !Finite(p.m_vDir2) || !Finite(p.m_vDir3)
        || !std::isfinite(p.m_dRange) || !std::isfinite(p.m_dLength)) {
        Describe(problem, "a number in it is not finite");
        return false;
    }
    if (p.m_nGridX > kMaxGrid || p.m_nGridY > kMaxGrid) {
        Describe(problem, "its grid is cut to " + std::to_string(kMaxGrid) + " cells a side");
        p.m_nGridX = std::min(p.m_nGridX, kMaxGrid);
        p.m_nGridY = std::min(p.m_nGridY, kMaxGrid);
    }
    return true;
}

bool ModelDatabase::ReadBox(const TiXmlElement& node, SBoxDesc& box, std::string* problem) {
    box = SBoxDesc();
    const TiXmlElement* centre = node.FirstChildElement("center");
    const TiXmlElement* p = node.FirstChildElement("p");
    if (!centre) {
        Describe(problem, "it has no \"center\"");
        return false;
    }
    box.m_vCenter = VecAttr(*centre, "x", "y", "z");
    for (int i = 0; i < 3 && p; ++i, p = p->NextSiblingElement("p"))
        box.m_vecAxes.push_back(VecAttr(*p, "x", "y", "z"));
    if (box.m_vecAxes.size() != 3) {
        Describe(problem, "it has fewer than three \"p\"");
        return false;
    }
    bool finite = Finite(box.m_vCenter);
    for (const osg::Vec3f& a : box.m_vecAxes)
        finite = finite && Finite(a);
    if (!finite) {
        Describe(problem, "a number in it is not finite");
        return false;
    }
    return true;
}

ModelDatabase::ModelDatabase(const TiXmlElement* setUp, int pointKindCount, const Report& report) {
    const Report& say = report ? report : Report(DefaultReport);
    if (!setUp)
        return;
    for (const TiXmlElement* obj = setUp->FirstChildElement("obj"); obj;
         obj = obj->NextSiblingElement("obj")) {
        const char* address = obj->Attribute("address");
        if (!address || m_entries.count(address))
            continue;
        ModelEntry& entry = m_entries[address];
        int boxes = 0;
        int points = 0;
        for (const TiXmlElement* child = obj->FirstChildElement(); child;
             child = child->NextSiblingElement()) {
            std::string problem;
            const std::string name = child->ValueStr();
            if (name == "box") {
                SBoxDesc box;
                if (ReadBox(*child, box, &problem))
                    entry.boxes.push_back(box);
                else
                    say("model entry \"" + std::string(address) + "\": box " + std::to_string(boxes)
                        + " left out: " + problem);
                ++boxes;
            } else if (name == "point") {
                CPoint point;
                const bool ok = ReadPoint(*child, pointKindCount, point, &problem);
                if (ok)
                    entry.points.push_back(point);
                if (!problem.empty())
                    say("model entry \"" + std::string(address) + "\": point " + std::to_string(points)
                        + (ok ? ": " : " left out: ") + problem);
                ++points;
            }
        }
    }
}

ModelDatabase ModelDatabase::FromConfig(const CConfig& config, const Report& report) {
    const TiXmlElement* data = config.m_docSetUp.FirstChildElement("data");
    return ModelDatabase(
        data ? data->FirstChildElement("set_up") : nullptr, config.m_nPointKindCount, report);
}

const ModelEntry* ModelDatabase::Find(const std::string& address) const {
    const auto it = m_entries.find(address);
    return it == m_entries.end() ? nullptr : &it->second;
}
