#include "elements/CBrick.h"

#include <osg/Material>

CBrick::CBrick(PartContextPtr context, const std::string& address, const osg::Vec4f& colour)
    : CModel(std::move(context), address) {
    SetType(ModelTypeBrick);
    GetDesc().m_vColor = colour;
}

CBrick::CBrick(PartContextPtr context, const std::string& address)
    : CBrick(std::move(context), address, osg::Vec4f(0.0f, 0.0f, 0.0f, 0.0f)) { }

void CBrick::ApplyColor() {
    osg::Node* model = GetModel();
    if (!model)
        return;
    // Every brick has its own copy of the model's state sets and materials
    // (see scene::ModelCache), so the colour lands on this brick alone.
    osg::StateSet* state = model->getOrCreateStateSet();
    osg::ref_ptr<osg::Material> material
        = dynamic_cast<osg::Material*>(state->getAttribute(osg::StateAttribute::MATERIAL));
    if (!material)
        material = new osg::Material;
    const osg::Vec4 colour = GetDesc().m_vColor;
    material->setAmbient(osg::Material::FRONT_AND_BACK, colour);
    material->setDiffuse(osg::Material::FRONT_AND_BACK, colour);
    material->setSpecular(osg::Material::FRONT_AND_BACK, osg::Vec4(0.0720721f, 0.0720721f, 0.0720721f, 1.0f));
    material->setEmission(osg::Material::FRONT_AND_BACK, osg::Vec4(0.0f, 0.0f, 0.0f, 1.0f));
    material->setShininess(osg::Material::FRONT_AND_BACK, 35.84f);
    state->setAttribute(material.get());
}
