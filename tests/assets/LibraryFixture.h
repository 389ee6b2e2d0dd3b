#pragma once

// Access to the installed model library for its tests: the set-up file in
// the program folder, the model files it names, and their bounds.

#include <osg/BoundingBox>
#include <osg/Node>
#include <osg/ref_ptr>
#include <tinyxml.h>

#include <filesystem>
#include <string>
#include <vector>

namespace assetstest {

// Loads one model of the library as the system will. Today that is osgDB
// itself; once the scene layer exists this is the one place to switch to it.
osg::ref_ptr<osg::Node> LoadLibraryModel(const std::string& address);

// The bounds of everything drawable below the node, in its own frame.
osg::BoundingBox ModelBounds(osg::Node& node);

std::filesystem::path ProgramDir();

// "XML/SetUp_View.xml" of the program folder, parsed once.
const TiXmlElement* SetUpData();

// The first descendant along a "/"-separated path of element names.
const TiXmlElement* Find(const TiXmlElement* from, const std::string& path);
std::vector<const TiXmlElement*> Elements(const TiXmlElement* parent, const char* name = nullptr);

// One button of a part bar of the set-up file.
struct BarButton {
    std::string bar; // "brick", "wheel", "sensor" (of a studio), "dynamic", "trigger", "static"
    std::string address;
    std::string image;
    int type = 0;
};
std::vector<BarButton> BarButtons();

// Every model address the set-up file names, where it names it: the model
// descriptions, the studios' control units, the part bars, the object groups
// and the object names. Each address appears once.
std::vector<std::string> NamedAddresses();

// The addresses placed by the object groups, with the model type each gets.
std::vector<std::pair<std::string, int>> GroupObjects();

// A model description as the part model reads it.
struct EntryBox {
    osg::Vec3d centre;
    osg::Vec3d p[3];
};
struct EntryPoint {
    int male = 0;
    int kind = 0;
    double range = 0;
    osg::Vec3d position;
    osg::Vec3d dir;
    osg::Vec3d dir2;
    int gridX = 1;
    int gridY = 1;
};
const TiXmlElement* SetUpEntry(const std::string& address);
std::vector<EntryBox> EntryBoxes(const TiXmlElement* entry);
std::vector<EntryPoint> EntryPoints(const TiXmlElement* entry);

} // namespace assetstest
