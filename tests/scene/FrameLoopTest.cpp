#include "scene/FrameLoop.h"
#include "scene/SceneApp.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using scene::FrameLoop;
using scene::SceneApp;

namespace {

class LoggingApp : public SceneApp {
public:
    LoggingApp(std::string name, std::vector<std::string>& log)
        : m_name(std::move(name))
        , m_log(log) { }

    void PreFrame(double dt) override {
        m_log.push_back(m_name + ".pre");
        deltas.push_back(dt);
        if (stepInside && GetFrameLoop())
            innerStepResult = GetFrameLoop()->Step() ? 1 : 0;
        if (quitInside)
            Quit();
    }
    void Frame(double dt) override {
        m_log.push_back(m_name + ".frame");
        SceneApp::Frame(dt);
    }
    void PostFrame(double) override { m_log.push_back(m_name + ".post"); }

    bool stepInside = false;
    bool quitInside = false;
    int innerStepResult = -1;
    std::vector<double> deltas;

private:
    std::string m_name;
    std::vector<std::string>& m_log;
};

} // namespace

TEST(FrameLoop, StepsEveryApplicationPhaseByPhase) {
    std::vector<std::string> log;
    FrameLoop loop;
    osg::ref_ptr<LoggingApp> a = new LoggingApp("a", log);
    osg::ref_ptr<LoggingApp> b = new LoggingApp("b", log);
    loop.AddApp(a.get());
    loop.AddApp(b.get());
    loop.AddApp(a.get()); // once is enough
    EXPECT_EQ(loop.GetNumApps(), 2u);
    EXPECT_EQ(a->GetFrameLoop(), &loop);

    // A stopped loop does nothing.
    EXPECT_FALSE(loop.IsRunning());
    EXPECT_FALSE(loop.Step());
    EXPECT_TRUE(log.empty());

    loop.Start();
    ASSERT_TRUE(loop.Step());
    const std::vector<std::string> expected { "a.pre", "b.pre", "a.frame", "b.frame", "a.post", "b.post" };
    EXPECT_EQ(log, expected);

    ASSERT_TRUE(loop.Step());
    ASSERT_EQ(a->deltas.size(), 2u);
    EXPECT_EQ(a->deltas[0], 0.0);
    EXPECT_GE(a->deltas[1], 0.0);
}

TEST(FrameLoop, ReentrantStepIsIgnored) {
    std::vector<std::string> log;
    FrameLoop loop;
    osg::ref_ptr<LoggingApp> app = new LoggingApp("a", log);
    loop.AddApp(app.get());
    loop.Start();

    // A handler running a nested event loop would step again from inside.
    app->stepInside = true;
    EXPECT_TRUE(loop.Step());
    EXPECT_EQ(app->innerStepResult, 0);
    EXPECT_EQ(app->deltas.size(), 1u);
    EXPECT_FALSE(loop.IsStepping());

    // Once the step is over, stepping works again.
    app->stepInside = false;
    EXPECT_TRUE(loop.Step());
    EXPECT_EQ(app->deltas.size(), 2u);
}

TEST(FrameLoop, QuitStopsTheLoopAndApplicationsLeaveWhenDestroyed) {
    std::vector<std::string> log;
    FrameLoop loop;
    osg::ref_ptr<LoggingApp> app = new LoggingApp("a", log);
    loop.AddApp(app.get());
    loop.Start();
    app->quitInside = true;
    EXPECT_TRUE(loop.Step()) << "the step under way finishes";
    EXPECT_FALSE(loop.IsRunning());
    EXPECT_EQ(log.back(), "a.post");

    app = nullptr;
    EXPECT_EQ(loop.GetNumApps(), 0u);

    osg::ref_ptr<LoggingApp> other = new LoggingApp("b", log);
    {
        FrameLoop shortLived;
        shortLived.AddApp(other.get());
    }
    EXPECT_EQ(other->GetFrameLoop(), nullptr);
    other->Quit(); // without a loop: nothing to stop
}
