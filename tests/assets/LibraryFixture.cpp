#include "LibraryFixture.h"

#include "scene/BoundsVisitor.h"
#include "scene/ModelCache.h"

#include <algorithm>
#include <memory>

namespace assetstest {

osg::ref_ptr<osg::Node> LoadLibraryModel(const std::string& address) {
    return scene::ModelCache::Shared().Load((ProgramDir() / address).string());
}

osg::BoundingBox ModelBounds(osg::Node& node) {
    return scene::ComputeBounds(&node);
}

std::filesystem::path ProgramDir() {
    return MORVANE_PROGRAM_DIR;
}

const TiXmlElement* SetUpData() {
    static const std::unique_ptr<TiXmlDocument> document = [] {
        auto doc = std::make_unique<TiXmlDocument>();
        doc->LoadFile((ProgramDir() / "XML/SetUp_View.xml").string().c_str(), TIXML_ENCODING_UTF8);
        return doc;
    }();
    return document->FirstChildElement("data");
}

const TiXmlElement* Find(const TiXmlElement* from, const std::string& path) {
    size_t start = 0;
    while (from && start <= path.size()) {
        const size_t slash = path.find('/', start);
        const std::string name
            = path.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        from = from->FirstChildElement(name.c_str());
        if (slash == std::string::npos)
            break;
        start = slash + 1;
    }
    return from;
}

std::vector<const TiXmlElement*> Elements(const TiXmlElement* parent, const char* name) {
    std::vector<const TiXmlElement*> out;
    if (!parent)
        return out;
    for (const TiXmlElement* e = name ? parent->FirstChildElement(name) : parent->FirstChildElement(); e;
         e = name ? e->NextSiblingElement(name) : e->NextSiblingElement())
        out.push_back(e);
    return out;
}

namespace {

std::string Text(const TiXmlElement* e, const char* attribute) {
    const char* value = e->Attribute(attribute);
    return value ? value : "";
}

void AddUnique(std::vector<std::string>& to, const std::string& address) {
    if (!address.empty() && std::find(to.begin(), to.end(), address) == to.end())
        to.push_back(address);
}

osg::Vec3d ReadVec(const TiXmlElement* e, const std::string& prefix) {
    osg::Vec3d v;
    e->QueryDoubleAttribute((prefix + "x").c_str(), &v.x());
    e->QueryDoubleAttribute((prefix + "y").c_str(), &v.y());
    e->QueryDoubleAttribute((prefix + "z").c_str(), &v.z());
    return v;
}

} // namespace

std::vector<BarButton> BarButtons() {
    std::vector<BarButton> out;
    const TiXmlElement* view = Find(SetUpData(), "view");
    auto addBar = [&](const TiXmlElement* bar) {
        for (const TiXmlElement* obj : Elements(bar, "obj")) {
            BarButton b;
            b.bar = bar->Value();
            b.address = Text(obj, "address");
            b.image = Text(obj, "image");
            obj->QueryIntAttribute("type", &b.type);
            out.push_back(b);
        }
    };
    for (const char* name : { "dynamic", "trigger", "static" })
        addBar(Find(view, name));
    for (const TiXmlElement* child : Elements(view)) {
        if (std::string(child->Value()).rfind("studio", 0) != 0)
            continue;
        for (const char* name : { "brick", "wheel", "sensor" })
            addBar(Find(child, name));
    }
    return out;
}

std::vector<std::pair<std::string, int>> GroupObjects() {
    std::vector<std::pair<std::string, int>> out;
    for (const TiXmlElement* group : Elements(Find(SetUpData(), "view/group"))) {
        int type = 0;
        for (const TiXmlElement* obj : Elements(group)) {
            obj->QueryIntAttribute("type", &type); // a missing type repeats the one before
            out.emplace_back(Text(obj, "address"), type);
        }
    }
    return out;
}

std::vector<std::string> NamedAddresses() {
    std::vector<std::string> out;
    const TiXmlElement* data = SetUpData();
    for (const TiXmlElement* obj : Elements(Find(data, "set_up"), "obj"))
        AddUnique(out, Text(obj, "address"));
    for (const TiXmlElement* studio : Elements(Find(data, "program")))
        AddUnique(out, Text(studio, "rcu"));
    for (const BarButton& b : BarButtons())
        AddUnique(out, b.address);
    for (const auto& [address, type] : GroupObjects())
        AddUnique(out, address);
    for (const TiXmlElement* language : Elements(Find(data, "language"), "language")) {
        for (const TiXmlElement* obj : Elements(Find(language, "view/obj"), "obj"))
            AddUnique(out, Text(obj, "address"));
    }
    return out;
}

const TiXmlElement* SetUpEntry(const std::string& address) {
    for (const TiXmlElement* obj : Elements(Find(SetUpData(), "set_up"), "obj")) {
        if (Text(obj, "address") == address)
            return obj;
    }
    return nullptr;
}

std::vector<EntryBox> EntryBoxes(const TiXmlElement* entry) {
    std::vector<EntryBox> out;
    for (const TiXmlElement* box : Elements(entry, "box")) {
        EntryBox b;
        if (const TiXmlElement* centre = box->FirstChildElement("center"))
            b.centre = ReadVec(centre, "");
        int i = 0;
        for (const TiXmlElement* p : Elements(box, "p")) {
            if (i < 3)
                b.p[i] = ReadVec(p, "");
            ++i;
        }
        out.push_back(b);
    }
    return out;
}

std::vector<EntryPoint> EntryPoints(const TiXmlElement* entry) {
    std::vector<EntryPoint> out;
    for (const TiXmlElement* point : Elements(entry, "point")) {
        EntryPoint p;
        point->QueryIntAttribute("male", &p.male);
        point->QueryIntAttribute("type", &p.kind);
        point->QueryDoubleAttribute("range", &p.range);
        p.position = ReadVec(point, "");
        p.dir = ReadVec(point, "dir_");
        p.dir2 = ReadVec(point, "dir2_");
        point->QueryIntAttribute("grid_x", &p.gridX);
        point->QueryIntAttribute("grid_y", &p.gridY);
        out.push_back(p);
    }
    return out;
}

} // namespace assetstest
