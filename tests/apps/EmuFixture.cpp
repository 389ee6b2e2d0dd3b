#include "EmuFixture.h"

#include "scene/Transform.h"
#include "simulation/CTrigger.h"
#include "simulation/RobotFixture.h"

#include <QTest>

#include <gtest/gtest.h>

namespace emutest {

std::string Program(const char* name) {
    return std::string(MORVANE_TEST_PROGRAM_DIR) + "/" + name + ".so";
}

std::string WriteBaseRobot(const std::filesystem::path& folder, const std::string& name) {
    robotstest::BuilderRobot robot;
    robot.AddBase();
    const std::string path = robot.Save(folder / name);
    EXPECT_FALSE(path.empty()) << name;
    return path;
}

PlaygroundFile::Item Zone(
    int kind, const osg::Vec3f& position, const osg::Vec2f& size, int mode, int score, float heading) {
    static const char* const kModels[7] = { "models/trigger/end.ive", "models/trigger/start.ive",
        "models/trigger/score.ive", "models/trigger/path.ive", "models/trigger/score.ive",
        "models/trigger/delivery.ive", "models/trigger/rescue.ive" };
    PlaygroundFile::Item item;
    item.info.m_desc.m_nType = ModelTypeTrigger;
    item.info.m_desc.m_nSubType = kind;
    item.info.m_desc.m_strAddress = kModels[kind];
    item.info.m_state.m_vPos = position;
    item.info.m_state.m_qRot = scene::Transform(0.0, 0.0, 0.0, heading).GetQuat();
    item.info.m_state.m_vScale.set(size.x(), size.y(), 1.0f);
    item.info.m_state.m_nTriggerMode = mode;
    item.info.m_state.m_nScore = score;
    return item;
}

PlaygroundFile::Item StartZone(const osg::Vec3f& position, float heading) {
    return Zone(TriggerStart, position, osg::Vec2f(40.0f, 40.0f), 0, 0, heading);
}

std::string WritePlayground(const PlaygroundFile& file, const std::filesystem::path& path) {
    std::string error;
    EXPECT_TRUE(file.Save(path.string(), error)) << error;
    return path.string();
}

HeadlessEmu::HeadlessEmu()
    : m_config(QString::fromUtf8(MORVANE_PROGRAM_DIR))
    , m_sensorBar(m_config)
    , m_emu(new CEmuApp("config.xml", nullptr, m_config, robotstest::Parts())) {
    m_emu->GetLoadBlock()->m_pSensorModelTable = &m_sensorBar;
    QObject::connect(m_emu.get(), &CEmuApp::signal_Ui_StopEmu, [this] {
        ++m_nStops;
        m_emu->m_bRunning = false;
    });
    QObject::connect(m_emu.get(), &CEmuApp::signal_Ui_SetProgress,
        [this](int percent) { m_vecProgress.push_back(percent); });
    QObject::connect(m_emu.get(), &CEmuApp::signal_Ui_ReloadToEmuApp,
        [this](int result) { m_vecReloads.push_back(result); });
    m_loop.AddApp(m_emu.get());
    m_loop.Start();
}

HeadlessEmu::~HeadlessEmu() = default;

int HeadlessEmu::Load(const std::string& playground, const std::vector<std::string>& robots,
    const std::vector<std::string>& programs) {
    SRobThreadData& block = *m_emu->GetLoadBlock();
    block.m_strPlaygroundFile = playground;
    block.m_vecRobotFiles = robots;
    block.m_vecProgramFiles = programs;
    const std::size_t reloads = m_vecReloads.size();
    m_emu->ReloadMap(0);
    if (robots.empty())
        return -1;
    if (!QTest::qWaitFor([&] { return m_vecReloads.size() > reloads; }, 30000))
        return -1;
    return m_vecReloads.back();
}

void HeadlessEmu::LoadPrograms() {
    const std::vector<std::string>& programs = m_emu->GetLoadBlock()->m_vecProgramFiles;
    for (std::size_t i = 0; i < programs.size(); ++i)
        EXPECT_TRUE(m_emu->LoadRobotProgram(programs[i], int(i))) << programs[i];
}

void HeadlessEmu::Frames(int n) {
    for (int i = 0; i < n; ++i)
        m_loop.Step();
}

} // namespace emutest
