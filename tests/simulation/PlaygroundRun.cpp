#include "PlaygroundRun.h"

#include "elements/CModel.h"
#include "platform/ProgramDir.h"
#include "scene/Transform.h"
#include "simulation/CRcu.h"
#include "simulation/ContactGroups.h"
#include "simulation/RobotFile.h"

#include <cstdlib>
#include <stdexcept>
#include <system_error>

namespace playgroundtest {

namespace {

const char* const kRcu = "models/rcu/rcu.ive";

std::filesystem::path MakeFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "morvane-playground-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("no temporary folder");
    return pattern;
}

// A program folder of this process's own: the build's models, pictures and
// set-up files, and a working folder "Temp" that no other test process
// writes its ground pictures into.
class PrivateProgramFolder {
public:
    PrivateProgramFolder()
        : m_path(MakeFolder()) {
        for (const std::filesystem::directory_entry& entry :
            std::filesystem::directory_iterator(MORVANE_PROGRAM_DIR)) {
            if (entry.path().filename() != "Temp")
                std::filesystem::create_symlink(entry.path(), m_path / entry.path().filename());
        }
        std::filesystem::create_directory(m_path / "Temp");
        platform::OverrideProgramDir(m_path);
    }
    ~PrivateProgramFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }

private:
    std::filesystem::path m_path;
};

} // namespace

const PartContextPtr& LibraryContext() {
    static const PartContextPtr context = [] {
        static PrivateProgramFolder folder;
        CConfig config(MORVANE_PROGRAM_DIR);
        return PartContext::FromConfig(config);
    }();
    return context;
}

PlaygroundFile::Item Item(
    int type, const std::string& address, const osg::Vec3f& position, int id, float heading) {
    PlaygroundFile::Item item;
    item.info.m_desc.m_nType = type;
    item.info.m_desc.m_strAddress = address;
    item.info.m_state.m_vPos = position;
    item.info.m_state.m_qRot = scene::Transform(0, 0, 0, heading, 0, 0).GetQuat();
    item.id = id;
    item.hasId = id >= 0;
    return item;
}

PlaygroundFile::Item Zone(
    int kind, const osg::Vec3f& position, const osg::Vec2f& size, int mode, int score, int id) {
    static const char* const kModels[7] = { "models/trigger/end.ive", "models/trigger/start.ive",
        "models/trigger/score.ive", "models/trigger/path.ive", "models/trigger/score.ive",
        "models/trigger/delivery.ive", "models/trigger/rescue.ive" };
    PlaygroundFile::Item item = Item(ModelTypeTrigger, kModels[kind], position, id);
    item.info.m_desc.m_nSubType = kind;
    item.info.m_state.m_vScale.set(size.x(), size.y(), 1.0f);
    item.info.m_state.m_nTriggerMode = mode;
    item.info.m_state.m_nScore = score;
    return item;
}

SimulationRun::SimulationRun()
    : m_scene(new scene::Scene)
    , m_folder(MakeFolder()) {
    LibraryContext();
    m_config = std::make_unique<CConfig>(MORVANE_PROGRAM_DIR);
    SetUpSimulationContactGroups(m_world);
    m_block.m_pRobots = &m_robots;
    m_block.m_pScene = m_scene.get();
    m_block.m_pSimulator = &m_world;
    m_block.m_pConfig = m_config.get();
    m_block.m_pPartContext = LibraryContext();
    m_state.m_pLoadBlock = &m_block;
    m_playground = new CPlayground(&m_state, &m_world, 0, 256.0f, 256.0f, CPlayground::kDefaultGround);
}

SimulationRun::~SimulationRun() {
    m_playground->Clear();
    for (const osg::ref_ptr<CRob>& robot : m_robots)
        robot->Clear();
    m_robots.clear();
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);
}

CRob& SimulationRun::AddRobot(float x, float y, int bricks) {
    const std::string file = (m_folder / ("robot" + std::to_string(m_robots.size()) + ".rob")).string();
    RobotFileData data;
    data.m_bHasRcu = true;
    data.m_rcu.m_strTag = "rcu";
    data.m_rcu.m_strAddress = kRcu;
    data.m_rcu.m_bHasAddress = true;
    for (int i = 0; i < bricks && i < 4; ++i) {
        SRobotFilePart brick;
        brick.m_strTag = "brick";
        brick.m_strAddress = "models/brick/brick_2x4.ive";
        brick.m_bHasAddress = true;
        brick.m_nId = i + 1;
        brick.m_vPos.set(i % 2 == 0 ? -2.0 : 2.0, i < 2 ? -3.0 : 3.0, 3.2);
        data.m_vecBricks.push_back(brick);
    }
    data.m_nPartCount = 1 + int(data.m_vecBricks.size());
    if (!simulation::SaveRobotFileText(file, simulation::WriteRobotXml(data)))
        throw std::runtime_error("cannot write " + file);
    osg::ref_ptr<CRob> robot = new CRob(file, m_scene.get(), &m_world, 1, *m_config, LibraryContext());
    const int index = int(m_robots.size());
    if (robot->Load(nullptr, index, index + 1, {}, {}, osg::Vec3f(x, y, 0.0f), osg::Quat(), true)
        != CRob::kLoaded)
        throw std::runtime_error("the robot does not load");
    m_robots.push_back(robot);
    MoveRobot(*robot, osg::Vec3f(x, y, robot->GetCurrentBox().center().z()));
    return *robot;
}

void SimulationRun::MoveRobot(CRob& robot, const osg::Vec3f& centre) {
    CRcu* rcu = robot.GetRcu();
    scene::Transform t = rcu->GetTransform(scene::CoordSys::Absolute);
    t.SetTranslation(t.GetTranslation() + centre - robot.GetCurrentBox().center());
    rcu->SetTransform(t, scene::CoordSys::Absolute);
    robot.SyncPhysicsToScene();
}

void SimulationRun::MoveRobotMinX(CRob& robot, float xMin) {
    const osg::BoundingBox box = robot.GetCurrentBox();
    MoveRobot(robot, box.center() + osg::Vec3f(xMin - box.xMin(), 0.0f, 0.0f));
}

std::string SimulationRun::WriteFile(const PlaygroundFile& file, const std::string& name) {
    const std::string path = (m_folder / name).string();
    std::string error;
    if (!file.Save(path, error))
        throw std::runtime_error(error);
    return path;
}

bool SimulationRun::Load(const PlaygroundFile& file) {
    return m_playground->LoadFromFile(WriteFile(file));
}

void SimulationRun::Frame() {
    m_world.simulate(0.6);
    m_playground->Step();
    for (const osg::ref_ptr<CRob>& robot : m_robots)
        robot->UpdateCarried();
}

} // namespace playgroundtest
