#include "elements/CColoredLight.h"

#include <osg/Drawable>
#include <osg/Geode>
#include <osg/Group>

namespace {

const osg::Vec4 kWhite(1.0f, 1.0f, 1.0f, 1.0f);
constexpr float kShininess = 35.84f;

// The lamp: the model's first child, among that node's children the first
// named "CColoredLight...", its first child (a geode), that geode's first
// drawable.
osg::Drawable* FindLamp(osg::Node* model) {
    osg::Group* root = model ? model->asGroup() : nullptr;
    if (!root || root->getNumChildren() == 0)
        return nullptr;
    osg::Group* body = root->getChild(0)->asGroup();
    if (!body)
        return nullptr;
    for (unsigned i = 0; i < body->getNumChildren(); ++i) {
        osg::Group* named = body->getChild(i)->asGroup();
        if (!named || named->getName().find("CColoredLight") == std::string::npos)
            continue;
        if (named->getNumChildren() == 0)
            return nullptr;
        osg::Geode* geode = named->getChild(0)->asGeode();
        return geode && geode->getNumDrawables() > 0 ? geode->getDrawable(0) : nullptr;
    }
    return nullptr;
}

} // namespace

CColoredLight::CColoredLight(PartContextPtr context, const std::string& address)
    : CModel(std::move(context), address) {
    SetType(ModelTypeColoredLight);
}

osg::Vec4 CColoredLight::ColorOf(int index) {
    switch (index) {
    case 1:
        return { 1, 0, 0, 1 };
    case 2:
        return { 0, 1, 0, 1 };
    case 3:
        return { 0, 0, 1, 1 };
    case 4:
        return { 1, 1, 0, 1 };
    case 5:
        return { 1, 0, 1, 1 };
    case 6:
        return { 0, 1, 1, 1 };
    case 7:
        return { 1, 1, 1, 1 };
    default:
        return { 0, 0, 0, 0 };
    }
}

void CColoredLight::Paint(const osg::Vec4& colour) {
    m_pMaterial->setAmbient(osg::Material::FRONT_AND_BACK, colour);
    m_pMaterial->setDiffuse(osg::Material::FRONT_AND_BACK, colour);
    m_pMaterial->setEmission(osg::Material::FRONT_AND_BACK, colour);
    m_pMaterial->setSpecular(osg::Material::FRONT_AND_BACK, kWhite);
    m_pMaterial->setShininess(osg::Material::FRONT_AND_BACK, kShininess);
}

void CColoredLight::ApplyColor() {
    if (GetPort() == 0)
        return;
    const osg::Vec4 colour = ColorOf(m_nColor);
    if (!m_pMaterial) {
        osg::Drawable* lamp = FindLamp(GetModel());
        if (!lamp)
            return;
        m_pLampState = lamp->getOrCreateStateSet();
        m_pMaterial = dynamic_cast<osg::Material*>(m_pLampState->getAttribute(osg::StateAttribute::MATERIAL));
        if (!m_pMaterial) {
            const osg::Vec4 grey(0.3f, 0.3f, 0.3f, 1.0f);
            m_pMaterial = new osg::Material;
            m_pMaterial->setAmbient(osg::Material::FRONT_AND_BACK, grey);
            m_pMaterial->setDiffuse(osg::Material::FRONT_AND_BACK, grey);
            m_pMaterial->setEmission(osg::Material::FRONT_AND_BACK, grey);
            m_pMaterial->setSpecular(osg::Material::FRONT_AND_BACK, kWhite);
            m_pMaterial->setShininess(osg::Material::FRONT_AND_BACK, kShininess);
            m_pLampState->setAttribute(m_pMaterial.get());
        }
        m_pSavedMaterial = new osg::Material(*m_pMaterial, osg::CopyOp::SHALLOW_COPY);
        if (m_nColor != 0)
            Paint(colour);
        return;
    }
    if (m_nColor == 0) {
        m_pMaterial = new osg::Material(*m_pSavedMaterial, osg::CopyOp::SHALLOW_COPY);
        m_pLampState->setAttribute(m_pMaterial.get());
        return;
    }
    Paint(colour);
}
