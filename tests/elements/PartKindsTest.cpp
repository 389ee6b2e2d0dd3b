#include "PartFixture.h"

#include "elements/CBrick.h"
#include "elements/CColoredLight.h"
#include "scene/ModelCache.h"

#include <osg/Geode>
#include <osg/Group>
#include <osg/Material>

#include <gtest/gtest.h>

namespace {

const char* const kLight = "models/light/coloredlight.ive";

const osg::Material* MaterialOf(const osg::StateSet* state) {
    return state ? dynamic_cast<const osg::Material*>(state->getAttribute(osg::StateAttribute::MATERIAL))
                 : nullptr;
}

// The lamp's material as the model file has it, read on its own.
osg::ref_ptr<osg::Material> FileLampMaterial() {
    elementstest::LibraryContext();
    osg::ref_ptr<osg::Node> root = scene::ModelCache::Shared().Load(kLight, false);
    osg::Group* body = root->asGroup()->getChild(0)->asGroup();
    for (unsigned i = 0; i < body->getNumChildren(); ++i) {
        if (body->getChild(i)->getName().find("CColoredLight") != std::string::npos) {
            const osg::Geode* geode = body->getChild(i)->asGroup()->getChild(0)->asGeode();
            return new osg::Material(*MaterialOf(geode->getDrawable(0)->getStateSet()));
        }
    }
    return nullptr;
}

void ExpectLooks(const osg::Material* m, const osg::Vec4& ambient, const osg::Vec4& diffuse,
    const osg::Vec4& specular, const osg::Vec4& emission, float shininess) {
    ASSERT_NE(m, nullptr);
    for (osg::Material::Face face : { osg::Material::FRONT, osg::Material::BACK }) {
        EXPECT_EQ(m->getAmbient(face), ambient);
        EXPECT_EQ(m->getDiffuse(face), diffuse);
        EXPECT_EQ(m->getSpecular(face), specular);
        EXPECT_EQ(m->getEmission(face), emission);
        EXPECT_FLOAT_EQ(m->getShininess(face), shininess);
    }
}

void ExpectOwnLook(const osg::Material* m, const osg::Material& own) {
    ExpectLooks(m, own.getAmbient(osg::Material::FRONT), own.getDiffuse(osg::Material::FRONT),
        own.getSpecular(osg::Material::FRONT), own.getEmission(osg::Material::FRONT),
        own.getShininess(osg::Material::FRONT));
}

} // namespace

// The program switches a light through every colour of its table; colour 0
// brings back the lamp as the model has it.
TEST(ColouredLight, ShowsEachColourAndReturnsToItsOwnLook) {
    const osg::ref_ptr<osg::Material> own = FileLampMaterial();
    ASSERT_NE(own, nullptr);
    osg::ref_ptr<CColoredLight> light = new CColoredLight(elementstest::LibraryContext(), kLight);
    EXPECT_EQ(light->GetType(), ModelTypeColoredLight);
    ASSERT_TRUE(light->LoadModel());
    light->SetPort(3);

    // The first call with colour 0 only learns the lamp's look.
    light->ApplyColor();
    ASSERT_NE(light->GetLampState(), nullptr);
    ExpectOwnLook(MaterialOf(light->GetLampState()), *own);

    const osg::Vec4 table[8] = { {}, { 1, 0, 0, 1 }, { 0, 1, 0, 1 }, { 0, 0, 1, 1 }, { 1, 1, 0, 1 },
        { 1, 0, 1, 1 }, { 0, 1, 1, 1 }, { 1, 1, 1, 1 } };
    for (int index : { 1, 2, 3, 4, 5, 6, 7, 3, 9, -1 }) {
        SCOPED_TRACE(index);
        light->SetColorIndex(index);
        light->ApplyColor();
        const osg::Vec4 colour = index >= 1 && index <= 7 ? table[index] : osg::Vec4(0, 0, 0, 0);
        ExpectLooks(MaterialOf(light->GetLampState()), colour, colour, osg::Vec4(1, 1, 1, 1), colour, 35.84f);
    }
    light->SetColorIndex(0);
    light->ApplyColor();
    ExpectOwnLook(MaterialOf(light->GetLampState()), *own);
    // And again after that.
    light->SetColorIndex(2);
    light->ApplyColor();
    light->SetColorIndex(0);
    light->ApplyColor();
    ExpectOwnLook(MaterialOf(light->GetLampState()), *own);
}

TEST(ColouredLight, ALightOnNoPortNeverChanges) {
    osg::ref_ptr<CColoredLight> light = new CColoredLight(elementstest::LibraryContext(), kLight);
    ASSERT_TRUE(light->LoadModel());
    light->SetColorIndex(1);
    light->ApplyColor();
    EXPECT_EQ(light->GetLampState(), nullptr);

    // A first call with a colour shows it at once.
    light->SetPort(1);
    light->ApplyColor();
    const osg::Vec4 red(1, 0, 0, 1);
    ExpectLooks(MaterialOf(light->GetLampState()), red, red, osg::Vec4(1, 1, 1, 1), red, 35.84f);

    // A model without a lamp shows nothing, and tries again next time.
    osg::ref_ptr<CColoredLight> dark
        = new CColoredLight(elementstest::LibraryContext(), "models/brick/brick_2x2.ive");
    ASSERT_TRUE(dark->LoadModel());
    dark->SetPort(1);
    dark->SetColorIndex(4);
    dark->ApplyColor();
    dark->ApplyColor();
    EXPECT_EQ(dark->GetLampState(), nullptr);
}

// Two bricks of one model in two colours: each shows its own, on its own
// model's root, with the brick finish.
TEST(Brick, EachBrickShowsItsOwnColour) {
    const char* const address = "models/brick/brick_2x4.ive";
    const osg::Vec4 red(0.9f, 0.1f, 0.1f, 1.0f);
    const osg::Vec4 green(0.1f, 0.8f, 0.2f, 1.0f);
    osg::ref_ptr<CBrick> first = new CBrick(elementstest::LibraryContext(), address, red);
    osg::ref_ptr<CBrick> second = new CBrick(elementstest::LibraryContext(), address, green);
    EXPECT_EQ(first->GetType(), ModelTypeBrick);
    EXPECT_EQ(first->GetDesc().m_vColor, red);
    ASSERT_TRUE(first->LoadModel());
    ASSERT_TRUE(second->LoadModel());
    first->ApplyColor();
    second->ApplyColor();
    const osg::Vec4 finish(0.0720721f, 0.0720721f, 0.0720721f, 1.0f);
    ExpectLooks(
        MaterialOf(first->GetModel()->getStateSet()), red, red, finish, osg::Vec4(0, 0, 0, 1), 35.84f);
    ExpectLooks(
        MaterialOf(second->GetModel()->getStateSet()), green, green, finish, osg::Vec4(0, 0, 0, 1), 35.84f);
    // A third brick of the model keeps the model's own colour.
    osg::ref_ptr<CBrick> plain = new CBrick(elementstest::LibraryContext(), address);
    EXPECT_EQ(plain->GetDesc().m_vColor, osg::Vec4(0, 0, 0, 0));
    ASSERT_TRUE(plain->LoadModel());
    const osg::Material* model = MaterialOf(plain->GetModel()->getStateSet());
    ASSERT_NE(model, nullptr);
    EXPECT_NE(model->getDiffuse(osg::Material::FRONT), red);
    EXPECT_NE(model->getDiffuse(osg::Material::FRONT), green);
}
