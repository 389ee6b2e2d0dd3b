// One pointer move of the playground builder while a new object is carried
// over a playground of 60 objects (slopes, loaded models, candles, alarms,
// figures and zones in a grid over the ground): picking under the pointer,
// the search for an object to stand on (the pointer ray's objects, then
// every object the carried one touches, each with the lowering onto its
// surface), or the move over the ground; and the same move with nothing
// under the pointer but the ground. The playground is loaded by the builder
// from a playground file, as a teacher's would be.

#include "apps/CPlaApp.h"
#include "apps/PlaygroundObjects.h"
#include "foundation/CConfig.h"
#include "platform/ProgramDir.h"
#include "scene/Mouse.h"
#include "simulation/PlaygroundFile.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Row {
    int type;
    int sub;
    const char* address;
    osg::Vec3f scale;
};

// Ten kinds, six of each, 60 apart.
PlaygroundFile SixtyObjects() {
    const Row rows[] = {
        { ModelTypeSlope, 0, "models/playground/slope.ive", { 30, 20, 8 } },
        { ModelTypeSlope, 0, "models/playground/hill.ive", { 30, 30, 6 } },
        { ModelTypeGeo, 0, "models/playground/cube.ive", { 10, 10, 10 } },
        { ModelTypeGeo, 0, "models/playground/ball.ive", { 8, 8, 8 } },
        { ModelTypeCandle, 0, "models/playground/candle.ive", { 1, 1, 1 } },
        { ModelTypeAlarm, 0, "models/playground/alarm.ive", { 1, 1, 1 } },
        { ModelTypeWounded, 0, "models/playground/astronaut.ive", { 1, 1, 1 } },
        { ModelTypeTakenObj, 0, "models/playground/astronaut_red.ive", { 1, 1, 1 } },
        { ModelTypeTrigger, 2, "models/trigger/score.ive", { 30, 30, 1 } },
        { ModelTypeTrigger, 1, "models/trigger/start.ive", { 40, 40, 1 } },
    };
    PlaygroundFile file;
    int id = 0;
    for (int i = 0; i < 60; ++i) {
        const Row& row = rows[i % 10];
        CModelInfo info;
        info.m_desc.m_strAddress = row.address;
        info.m_desc.m_nType = row.type;
        info.m_desc.m_nSubType = row.sub;
        info.m_state.m_vScale = row.scale;
        info.m_state.m_vPos.set(-210.0f + 60.0f * float(i % 8), -210.0f + 60.0f * float(i / 8), 5.0f);
        file.Add(info, id++);
    }
    return file;
}

class Builder {
public:
    Builder() {
        m_folder = fs::temp_directory_path() / ("morvane_plabuilder_bench_" + std::to_string(::getpid()));
        fs::create_directories(m_folder);
        for (const char* entry : { "XML", "models", "images", "map" })
            fs::create_directory_symlink(fs::path(MORVANE_PROGRAM_DIR) / entry, m_folder / entry);
        platform::OverrideProgramDir(m_folder);
        m_config = std::make_unique<CConfig>(QString::fromStdString(m_folder.string()));
        m_app = new CPlaApp("config.xml", nullptr, *m_config);

        const std::string file = (m_folder / "sixty.pla").string();
        std::string error;
        SixtyObjects().Save(file, error);
        m_app->LoadOrSaveFile(file, true);
        m_objects = m_app->GetObjectList().size();
        m_app->PreFrame(0.0);

        osg::ref_ptr<CModel> carried = MakePlaygroundObject(
            ModelTypeGeo, 0, m_app->GetPartContext(), "models/playground/cube.ive", { 6, 6, 6 });
        m_app->AddObject(carried.get());
        // The pointer sweeps rows over the ground, across the objects and
        // the ground between them.
        for (int i = 0; i < 128; ++i) {
            const osg::Vec3d world(-220.0 + 440.0 * (i % 32) / 31.0, -210.0 + 120.0 * (i / 32), 4.0);
            m_over.push_back(Normalised(world));
            m_clear.push_back(Normalised(osg::Vec3d(-240.0 + 480.0 * i / 127.0, -240.0, 0.0)));
        }
    }
    ~Builder() {
        m_app = nullptr;
        std::error_code ignored;
        fs::remove_all(m_folder, ignored);
    }

    void Move(const std::vector<osg::Vec2>& path, std::size_t i) {
        const osg::Vec2& at = path[i % path.size()];
        m_app->GetMouse()->SetPosition(at);
        m_app->MouseMoved(m_app->GetMouse(), at.x(), at.y());
    }
    bool Stacked() const { return m_app->GetEditState().m_pSupport.valid(); }
    std::size_t Objects() const { return m_objects; }

    std::vector<osg::Vec2> m_over;
    std::vector<osg::Vec2> m_clear;

private:
    osg::Vec2 Normalised(const osg::Vec3d& world) {
        const osg::Vec3d pixel = world * m_app->GetCamera()->GetWindowMatrix();
        return osg::Vec2(float(2.0 * pixel.x() / 1440.0 - 1.0), float(2.0 * pixel.y() / 850.0 - 1.0));
    }

    fs::path m_folder;
    std::unique_ptr<CConfig> m_config;
    osg::ref_ptr<CPlaApp> m_app;
    std::size_t m_objects = 0;
};

Builder& ThePlaygroundBuilder() {
    static Builder builder;
    return builder;
}

void PlaygroundBuilder_CarryMoveOver60Objects(benchmark::State& state) {
    Builder& builder = ThePlaygroundBuilder();
    std::size_t i = 0;
    int stacked = 0;
    for (auto _ : state) {
        builder.Move(builder.m_over, i++);
        stacked += builder.Stacked();
    }
    state.counters["objects"] = double(builder.Objects());
    state.counters["stacked"] = i ? double(stacked) / double(i) : 0.0;
}
BENCHMARK(PlaygroundBuilder_CarryMoveOver60Objects)->Unit(benchmark::kMicrosecond);

// The same move along the ground's near edge, clear of every object.
void PlaygroundBuilder_CarryMoveOverTheGround(benchmark::State& state) {
    Builder& builder = ThePlaygroundBuilder();
    std::size_t i = 0;
    for (auto _ : state)
        builder.Move(builder.m_clear, i++);
}
BENCHMARK(PlaygroundBuilder_CarryMoveOverTheGround)->Unit(benchmark::kMicrosecond);

} // namespace
