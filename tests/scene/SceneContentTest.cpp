#include "TestModels.h"

#include "platform/Warnings.h"
#include "scene/Fonts.h"
#include "scene/Label.h"
#include "scene/ParticleEffect.h"
#include "scene/PositionalLight.h"
#include "scene/Scene.h"

#include <osgParticle/ModularEmitter>
#include <osgParticle/ParticleSystem>
#include <osgParticle/ParticleSystemUpdater>
#include <osgParticle/RandomRateCounter>

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <thread>

using scene::Scene;
using scene::SceneObject;
using scenetest::TempDir;

namespace {

osg::StateAttribute::GLModeValue RootMode(Scene& scene, GLenum mode) {
    return scene.GetSceneNode()->getOrCreateStateSet()->getMode(mode);
}

// A small fire: one particle system, an emitter feeding it and the updater.
std::string WriteFireEffect(const TempDir& dir) {
    osg::ref_ptr<osg::Group> root = new osg::Group;
    osg::ref_ptr<osgParticle::ParticleSystem> particles = new osgParticle::ParticleSystem;
    particles->setDefaultAttributes("", true, false);
    // The size a flame reports before its first particles exist.
    particles->setDefaultBoundingBox(osg::BoundingBox(-1, -1, 0, 1, 1, 4));
    osg::ref_ptr<osgParticle::ModularEmitter> emitter = new osgParticle::ModularEmitter;
    emitter->setParticleSystem(particles.get());
    osg::ref_ptr<osgParticle::RandomRateCounter> counter = new osgParticle::RandomRateCounter;
    counter->setRateRange(50, 60);
    emitter->setCounter(counter.get());
    osg::ref_ptr<osg::Geode> geode = new osg::Geode;
    geode->addDrawable(particles.get());
    osg::ref_ptr<osgParticle::ParticleSystemUpdater> updater = new osgParticle::ParticleSystemUpdater;
    updater->addParticleSystem(particles.get());
    root->addChild(emitter.get());
    root->addChild(geode.get());
    root->addChild(updater.get());
    return dir.Write("fire.osg", *root);
}

} // namespace

TEST(SceneContent, ObjectsInOrderOnce) {
    osg::ref_ptr<Scene> scene = new Scene;
    osg::ref_ptr<SceneObject> a = new SceneObject("a");
    osg::ref_ptr<SceneObject> b = new SceneObject("b");
    scene->AddDrawable(a.get());
    scene->AddDrawable(b.get());
    scene->AddDrawable(a.get());
    scene->AddDrawable(nullptr);
    ASSERT_EQ(scene->GetNumberOfAddedDrawable(), 2u);
    EXPECT_EQ(scene->GetDrawable(0), a.get());
    EXPECT_EQ(scene->GetDrawable(1), b.get());
    EXPECT_EQ(scene->GetDrawable(2), nullptr);
    EXPECT_TRUE(scene->GetSceneNode()->containsNode(a->GetTopNode()));

    scene->RemoveDrawable(a.get());
    EXPECT_FALSE(scene->HasDrawable(a.get()));
    EXPECT_FALSE(scene->GetSceneNode()->containsNode(a->GetTopNode()));
    EXPECT_EQ(scene->GetDrawable(0), b.get());
}

TEST(SceneContent, LightsByNumberAndMode) {
    osg::ref_ptr<Scene> scene = new Scene;
    EXPECT_EQ(RootMode(*scene, GL_LIGHT0), osg::StateAttribute::ON);
    scene->UseSceneLight(false);
    EXPECT_EQ(RootMode(*scene, GL_LIGHT0), osg::StateAttribute::OFF);

    osg::ref_ptr<scene::PositionalLight> headlight = new scene::PositionalLight(1, "defaultPositonalLight");
    headlight->SetLightingMode(scene::PositionalLight::GLOBAL);
    scene->AddDrawable(headlight.get());
    EXPECT_EQ(scene->GetLight(1), headlight.get());
    EXPECT_EQ(scene->GetLight(2), nullptr);
    EXPECT_EQ(RootMode(*scene, GL_LIGHT1), osg::StateAttribute::ON);
    EXPECT_EQ(headlight->GetOSGLight()->getLightNum(), 1);

    // A local light lights only what hangs under it.
    headlight->SetLightingMode(scene::PositionalLight::LOCAL);
    EXPECT_EQ(RootMode(*scene, GL_LIGHT1), osg::StateAttribute::INHERIT);
    EXPECT_EQ(headlight->GetOSGNode()->getStateSet()->getMode(GL_LIGHT1), osg::StateAttribute::ON);
    headlight->SetLightingMode(scene::PositionalLight::GLOBAL);
    headlight->SetEnabled(false);
    EXPECT_EQ(RootMode(*scene, GL_LIGHT1), osg::StateAttribute::OFF);

    // The light moves with its transform (a headlight follows the camera) and adds no size.
    headlight->SetTransform(scene::Transform(0, -800, 500, 0, -30, 0));
    EXPECT_FALSE(headlight->GetBoundingBox().valid());
    scene->RemoveDrawable(headlight.get());
    EXPECT_EQ(RootMode(*scene, GL_LIGHT1), osg::StateAttribute::INHERIT);
}

TEST(SceneContent, LabelTakesChineseText) {
    ASSERT_FALSE(scene::DefaultFontFile().empty()) << "fonts-wqy-microhei or fonts-dejavu-core is needed";
    osg::ref_ptr<scene::Label> label = new scene::Label;
    EXPECT_EQ(label->GetName(), "LabelActor");
    label->SetText("机器人 Rob.1");
    EXPECT_EQ(label->GetText(), "机器人 Rob.1");
    EXPECT_EQ(label->GetTextDrawable()->getText().size(), 9u) << "UTF-8 read as nine characters";
    label->SetFontSize(6);
    EXPECT_FLOAT_EQ(label->GetFontSize(), 6.0f);
    label->SetTextColor(osg::Vec4(0, 1, 1, 0.8f));
    EXPECT_EQ(label->GetTextColor(), osg::Vec4(0, 1, 1, 0.8f));
    label->SetEnableDepthTesting(false);
    label->SetEnableLighting(false);

    // The text has a size (the label measures) and the plate appears only with a size.
    const osg::BoundingBox box = label->GetBoundingBox();
    ASSERT_TRUE(box.valid());
    EXPECT_GT(box.xMax() - box.xMin(), 10.0f);
    const unsigned drawables = label->GetTextDrawable()->getNumParents()
        ? label->GetTextDrawable()->getParent(0)->getNumChildren()
        : 0u;
    EXPECT_EQ(drawables, 1u);
    label->SetBackSize(osg::Vec2(40, 8));
    EXPECT_EQ(label->GetTextDrawable()->getParent(0)->getNumChildren(), 2u);
    label->SetBackSize(osg::Vec2(0, 0));
    EXPECT_EQ(label->GetTextDrawable()->getParent(0)->getNumChildren(), 1u);
}

TEST(SceneContent, ParticleEffectsHaveTheirOwnParticles) {
    TempDir dir("particles");
    const std::string file = WriteFireEffect(dir);
    osg::ref_ptr<scene::ParticleEffect> first = new scene::ParticleEffect;
    osg::ref_ptr<scene::ParticleEffect> second = new scene::ParticleEffect;
    EXPECT_EQ(first->GetName(), "ParticleSystem");
    ASSERT_TRUE(first->LoadFile(file));
    ASSERT_TRUE(second->LoadFile(file, true));
    ASSERT_EQ(first->GetNumEmitters(), 1u);

    auto emitterOf = [](scene::ParticleEffect& effect) {
        return dynamic_cast<osgParticle::Emitter*>(effect.GetModel()->asGroup()->getChild(0));
    };
    ASSERT_TRUE(emitterOf(*first) && emitterOf(*second));
    EXPECT_NE(emitterOf(*first)->getParticleSystem(), emitterOf(*second)->getParticleSystem());
    EXPECT_TRUE(emitterOf(*first)->isEnabled());

    first->SetEnabled(false);
    EXPECT_FALSE(first->IsEnabled());
    EXPECT_FALSE(emitterOf(*first)->isEnabled());
    EXPECT_TRUE(emitterOf(*second)->isEnabled());
    // Reloading keeps the switch.
    first->LoadFile(file);
    EXPECT_FALSE(emitterOf(*first)->isEnabled());

    // A flame lit on a candle: a child 6 above the candle, measuring its
    // default box before any particle exists.
    osg::ref_ptr<SceneObject> candle = new SceneObject;
    candle->SetTransform(scene::Transform(10, 20, 0, 0, 0, 0));
    candle->AddChild(second.get());
    scene::Transform flame = second->GetTransform();
    flame.SetTranslation(flame.GetTranslation() + osg::Vec3(0, 0, 6));
    second->SetTransform(flame);
    const osg::BoundingBox box = second->GetBoundingBox();
    ASSERT_TRUE(box.valid());
    EXPECT_FLOAT_EQ(box.xMin(), 9.0f);
    EXPECT_FLOAT_EQ(box.zMin(), 6.0f);
    EXPECT_FLOAT_EQ(box.zMax(), 10.0f);
}

TEST(SceneThreads, OnlyTheScenesThreadOrItsHolderChangesWhatItShows) {
    osg::ref_ptr<Scene> scene = new Scene;
    osg::ref_ptr<SceneObject> shown = new SceneObject;
    osg::ref_ptr<SceneObject> child = new SceneObject;
    shown->AddChild(child.get());
    scene->AddDrawable(shown.get());
    EXPECT_EQ(child->GetScene(), scene.get());
    const scene::Transform moved(1, 2, 3);
#ifdef NDEBUG
    platform::WarningCapture warnings;
    // Objects in no scene are built in any thread, as the robot loader does.
    std::thread([] {
        osg::ref_ptr<SceneObject> loose = new SceneObject;
        osg::ref_ptr<SceneObject> part = new SceneObject;
        loose->AddChild(part.get());
        part->SetTransform(scene::Transform(1, 0, 0));
        loose->SetActive(false);
    }).join();
    EXPECT_EQ(warnings.Count(), 0u);

    // What the scene shows, its children included, is the GUI thread's.
    std::thread([&] {
        child->SetTransform(moved);
        shown->SetActive(false);
        scene->AddDrawable(new SceneObject);
    }).join();
    ASSERT_EQ(warnings.Count("scene"), 3u);
    EXPECT_NE(warnings.Lines()[0].find("SceneObject::SetTransform"), std::string::npos)
        << warnings.Lines()[0];
    EXPECT_NE(warnings.Lines()[2].find("Scene::AddDrawable"), std::string::npos) << warnings.Lines()[2];

    // A thread that holds the scene may change it; meanwhile the GUI thread
    // may not, and draws nothing.
    std::mutex step;
    std::condition_variable turn;
    int stage = 0;
    std::thread worker([&] {
        Scene::Hold hold = scene->HoldForChanges();
        child->SetTransform(moved);
        scene->AddDrawable(new SceneObject);
        {
            std::unique_lock<std::mutex> lock(step);
            stage = 1;
            turn.notify_all();
            turn.wait(lock, [&] { return stage == 2; });
        }
    });
    {
        std::unique_lock<std::mutex> lock(step);
        turn.wait(lock, [&] { return stage == 1; });
    }
    EXPECT_EQ(warnings.Count(), 3u);
    EXPECT_TRUE(scene->IsHeldElsewhere());
    EXPECT_FALSE(scene->LockForDrawing());
    shown->SetActive(true);
    EXPECT_EQ(warnings.Count(), 4u);
    {
        std::lock_guard<std::mutex> lock(step);
        stage = 2;
    }
    turn.notify_all();
    worker.join();
    // Released: the GUI thread's again.
    EXPECT_FALSE(scene->IsHeldElsewhere());
    EXPECT_TRUE(scene->LockForDrawing());
    scene->RemoveDrawable(shown.get());
    EXPECT_EQ(child->GetScene(), nullptr);
    std::thread([&] { child->SetTransform(moved); }).join();
    EXPECT_EQ(warnings.Count(), 4u);
#else
    EXPECT_DEATH(std::thread([&] { child->SetTransform(moved); }).join(), "");
#endif
}
