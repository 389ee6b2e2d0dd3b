#include "TestModels.h"

#include "platform/ProgramDir.h"
#include "platform/Warnings.h"
#include "scene/ModelCache.h"
#include "scene/SceneObject.h"

#include <osg/Geode>
#include <osg/Material>
#include <osg/Texture2D>
#include <osgDB/Registry>
#include <osgDB/WriteFile>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <thread>
#include <vector>

using scene::ModelCache;
using scenetest::MakeBox;
using scenetest::TempDir;

namespace {

osg::Material* MaterialOf(osg::Node* node) {
    osg::StateSet* state = node ? node->getStateSet() : nullptr;
    return state ? dynamic_cast<osg::Material*>(state->getAttribute(osg::StateAttribute::MATERIAL)) : nullptr;
}

} // namespace

TEST(ModelCache, CopiesAreIndependent) {
    TempDir dir("cache_copies");
    const std::string file = dir.Write("brick.osg", *MakeBox({ 0, 0, 0 }, { 1, 1, 1 }, { 0, 0, 1, 1 }));
    ModelCache cache;

    osg::ref_ptr<osg::Node> a = cache.Load(file);
    osg::ref_ptr<osg::Node> b = cache.Load(file);
    ASSERT_TRUE(a && b);
    EXPECT_NE(a.get(), b.get());
    EXPECT_EQ(cache.Size(), 1u);

    // Colouring one brick leaves the other as it was.
    osg::Material* materialA = MaterialOf(a.get());
    osg::Material* materialB = MaterialOf(b.get());
    ASSERT_TRUE(materialA && materialB);
    EXPECT_NE(materialA, materialB);
    materialA->setDiffuse(osg::Material::FRONT_AND_BACK, osg::Vec4(1, 0, 0, 1));
    EXPECT_EQ(materialB->getDiffuse(osg::Material::FRONT), osg::Vec4(0, 0, 1, 1));
    EXPECT_EQ(MaterialOf(cache.Load(file).get())->getDiffuse(osg::Material::FRONT), osg::Vec4(0, 0, 1, 1));

    // Nothing below the top is shared either.
    auto* geodeA = dynamic_cast<osg::Geode*>(a.get());
    auto* geodeB = dynamic_cast<osg::Geode*>(b.get());
    ASSERT_TRUE(geodeA && geodeB);
    EXPECT_NE(geodeA->getDrawable(0), geodeB->getDrawable(0));

    // Without the cache: a fresh read, nothing remembered.
    osg::ref_ptr<osg::Node> fresh
        = cache.Load(dir.Write("lamp.osg", *MakeBox({ 0, 0, 0 }, { 1, 1, 1 })), false);
    EXPECT_TRUE(fresh);
    EXPECT_EQ(cache.Size(), 1u);
    cache.Clear();
    EXPECT_EQ(cache.Size(), 0u);
}

TEST(ModelCache, MissingFilesAreNotRemembered) {
    TempDir dir("cache_missing");
    ModelCache cache;
    const std::string file = dir.File("later.ive");
    platform::WarningCapture warnings;
    EXPECT_FALSE(cache.Load(file));
    EXPECT_FALSE(cache.Load(""));
    EXPECT_EQ(cache.Size(), 0u);
    ASSERT_EQ(warnings.Count("scene"), 1u);
    EXPECT_EQ(warnings.Lines()[0], "scene: cannot read the model file " + file);

    // Once the file exists (binary ".ive" this time) it loads.
    dir.Write("later.ive", *MakeBox({ 0, 0, 0 }, { 1, 1, 1 }));
    EXPECT_TRUE(cache.Load(file));
    EXPECT_EQ(cache.Size(), 1u);
}

TEST(ModelCache, CopiesShareTheGeometryAndPicturesThatNobodyChanges) {
    // A textured brick, stored with its picture.
    TempDir dir("cache_shared");
    osg::ref_ptr<osg::Geode> brick = MakeBox({ 0, 0, 0 }, { 2, 2, 1 }, { 0, 0.4f, 0.65f, 1 });
    osg::ref_ptr<osg::Image> picture = new osg::Image;
    picture->allocateImage(8, 8, 1, GL_RGBA, GL_UNSIGNED_BYTE);
    std::fill(picture->data(), picture->data() + picture->getTotalSizeInBytes(), 200);
    brick->getOrCreateStateSet()->setTextureAttributeAndModes(0, new osg::Texture2D(picture.get()));
    const std::string file = dir.Write("brick.ive", *brick);
    ModelCache cache;

    std::vector<osg::ref_ptr<osg::Node>> bricks;
    for (int i = 0; i < 40; ++i)
        bricks.push_back(cache.Load(file));
    auto parts = [](osg::Node* node) {
        struct Parts {
            osg::Geode* geode;
            osg::Geometry* geometry;
            osg::Texture2D* texture;
        };
        auto* geode = dynamic_cast<osg::Geode*>(node);
        osg::Geometry* geometry = geode ? geode->getDrawable(0)->asGeometry() : nullptr;
        osg::StateSet* state = geode ? geode->getStateSet() : nullptr;
        auto* texture = state
            ? dynamic_cast<osg::Texture2D*>(state->getTextureAttribute(0, osg::StateAttribute::TEXTURE))
            : nullptr;
        return Parts { geode, geometry, texture };
    };
    const auto first = parts(bricks[0].get());
    ASSERT_TRUE(first.geometry && first.texture && first.texture->getImage());
    for (int i = 1; i < 40; ++i) {
        const auto other = parts(bricks[size_t(i)].get());
        ASSERT_TRUE(other.geometry && other.texture);
        // One copy of what is only read...
        EXPECT_EQ(other.geometry->getVertexArray(), first.geometry->getVertexArray());
        EXPECT_EQ(other.geometry->getNormalArray(), first.geometry->getNormalArray());
        EXPECT_EQ(other.geometry->getPrimitiveSet(0), first.geometry->getPrimitiveSet(0));
        EXPECT_EQ(other.texture->getImage(), first.texture->getImage());
        // ...and its own of everything a part may change or hang elsewhere.
        EXPECT_NE(other.geode, first.geode);
        EXPECT_NE(other.geometry, first.geometry);
        EXPECT_NE(other.geode->getStateSet(), first.geode->getStateSet());
        EXPECT_NE(MaterialOf(other.geode), MaterialOf(first.geode));
        EXPECT_NE(other.texture, first.texture);
    }
    // A model read without the cache shares nothing with the cached ones.
    osg::ref_ptr<osg::Node> freshNode = cache.Load(file, false);
    const auto fresh = parts(freshNode.get());
    ASSERT_TRUE(fresh.geometry && fresh.texture);
    EXPECT_NE(fresh.geometry->getVertexArray(), first.geometry->getVertexArray());
    EXPECT_NE(fresh.texture->getImage(), first.texture->getImage());
}

TEST(ModelCache, PicturesReadAfreshFollowTheirFile) {
    // A ground picture rewritten under one name is read as it is now, even
    // where OSG's own object cache is switched on.
    TempDir dir("cache_pictures");
    const std::string file = dir.File("ground.png");
    osg::ref_ptr<osgDB::Options> defaults = osgDB::Registry::instance()->getOptions();
    osg::ref_ptr<osgDB::Options> caching = new osgDB::Options;
    caching->setObjectCacheHint(osgDB::Options::CACHE_ALL);
    osgDB::Registry::instance()->setOptions(caching.get());
    for (int width : { 16, 32 }) {
        osg::ref_ptr<osg::Image> image = new osg::Image;
        image->allocateImage(width, 8, 1, GL_RGB, GL_UNSIGNED_BYTE);
        std::fill(image->data(), image->data() + image->getTotalSizeInBytes(), 90);
        ASSERT_TRUE(osgDB::writeImageFile(*image, file));
        osg::ref_ptr<osg::Image> read = ModelCache::ReadImageFresh(file);
        ASSERT_TRUE(read);
        EXPECT_EQ(read->s(), width);
    }
    osgDB::Registry::instance()->setOptions(defaults.get());
    osgDB::Registry::instance()->clearObjectCache();
    platform::WarningCapture warnings;
    EXPECT_FALSE(ModelCache::ReadImageFresh(dir.File("none.png")));
    EXPECT_FALSE(ModelCache::ReadImageFresh(""));
    EXPECT_EQ(warnings.Count("scene"), 1u);
}

TEST(ModelCache, RelativePathsAreFromTheProgramFolder) {
    const std::filesystem::path rel = "scene_cache_relative_test.osg";
    const std::filesystem::path full = platform::ProgramDir() / rel;
    osgDB::writeNodeFile(*MakeBox({ 0, 0, 0 }, { 1, 1, 1 }), full.string());
    ModelCache cache;
    EXPECT_TRUE(cache.Load(rel.string()));
    EXPECT_EQ(ModelCache::ResolvePath(rel.string()), full.lexically_normal().string());
    std::filesystem::remove(full);
}

TEST(ModelCache, SafeFromTwoThreads) {
    TempDir dir("cache_threads");
    std::vector<std::string> files;
    for (int i = 0; i < 3; ++i)
        files.push_back(
            dir.Write("m" + std::to_string(i) + ".osg", *MakeBox({ 0, 0, 0 }, { 1.0f + i, 1, 1 })));
    ModelCache cache;

    // Two loader threads load and drop copies while this thread does the same.
    std::atomic<int> failures { 0 };
    auto work = [&](int seed) {
        for (int i = 0; i < 60; ++i) {
            osg::ref_ptr<osg::Node> node = cache.Load(files[size_t(i + seed) % files.size()]);
            if (!node || !MaterialOf(node.get()))
                ++failures;
        }
    };
    std::thread first(work, 0);
    std::thread second(work, 1);
    work(2);
    first.join();
    second.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(cache.Size(), files.size());
}

TEST(SceneObjectModel, LoadReplacesAndFailureClears) {
    TempDir dir("object_models");
    const std::string small = dir.Write("small.osg", *MakeBox({ 0, 0, 0 }, { 1, 1, 1 }));
    const std::string large = dir.Write("large.osg", *MakeBox({ 0, 0, 0 }, { 5, 5, 5 }));

    osg::ref_ptr<scene::SceneObject> object = new scene::SceneObject;
    EXPECT_EQ(object->GetName(), "Object");
    ASSERT_TRUE(object->LoadFile(small));
    EXPECT_EQ(object->GetFilename(), small);
    EXPECT_NEAR(object->GetBoundingBox().xMax(), 1.0f, 1e-4);
    // The loaded file sits two levels below the object's node.
    EXPECT_EQ(object->GetOSGNode()->getChild(0)->asGroup()->getChild(0), object->GetModel());

    ASSERT_TRUE(object->LoadFile(large, false));
    EXPECT_NEAR(object->GetBoundingBox().xMax(), 5.0f, 1e-4);
    EXPECT_EQ(object->GetOSGNode()->getChild(0)->asGroup()->getNumChildren(), 1u);

    EXPECT_FALSE(object->LoadFile(dir.File("none.osg")));
    EXPECT_EQ(object->GetModel(), nullptr);
    EXPECT_FALSE(object->GetBoundingBox().valid());
}
