#include "PartFixture.h"

#include "foundation/CConfig.h"
#include "platform/ProgramDir.h"
#include "scene/BoundsVisitor.h"
#include "scene/ModelCache.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

namespace elementstest {

namespace {

// Every test reads from the build's program folder (models, pictures, the
// set-up file), however it is run.
class ProgramFolder : public ::testing::Environment {
public:
    void SetUp() override { platform::OverrideProgramDir(MORVANE_PROGRAM_DIR); }
};

[[maybe_unused]] ::testing::Environment* const g_programFolder
    = ::testing::AddGlobalTestEnvironment(new ProgramFolder);

} // namespace

const PartContextPtr& LibraryContext() {
    static const PartContextPtr context = [] {
        platform::OverrideProgramDir(MORVANE_PROGRAM_DIR);
        CConfig config(MORVANE_PROGRAM_DIR);
        return PartContext::FromConfig(config);
    }();
    return context;
}

std::vector<std::string> RobotPartAddresses() {
    platform::OverrideProgramDir(MORVANE_PROGRAM_DIR);
    CConfig config(MORVANE_PROGRAM_DIR);
    std::vector<std::string> out;
    if (!config.m_strRcu.empty())
        out.push_back(config.m_strRcu);
    for (int bar = 0; bar < 3; ++bar) {
        if (!config.m_pViewGroup[bar])
            continue;
        for (const TiXmlElement* obj = config.m_pViewGroup[bar]->FirstChildElement("obj"); obj;
             obj = obj->NextSiblingElement("obj")) {
            if (const char* address = obj->Attribute("address"))
                out.push_back(address);
        }
    }
    return out;
}

osg::ref_ptr<CModel> LoadPart(const std::string& address, int type) {
    osg::ref_ptr<CModel> part = new CModel(LibraryContext(), address);
    part->SetType(type);
    EXPECT_TRUE(part->LoadModel()) << address;
    return part;
}

osg::BoundingBox ModelFileBounds(const std::string& address) {
    LibraryContext();
    osg::ref_ptr<osg::Node> node = scene::ModelCache::Shared().Load(address);
    return scene::ComputeBounds(node.get());
}

SPartOwner RobotBuilderOwner() {
    SPartOwner owner;
    owner.m_nAppKind = 1;
    owner.m_dGroundHeight = 0.0;
    return owner;
}

} // namespace elementstest
