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
    // A state set or material that other copies of the model share is
    // copied first, so that the colour lands on this brick alone.
    osg::ref_ptr<osg::StateSet> state = model->getStateSet();
    if (!state)
        state = new osg::StateSet;
    else if (state->referenceCount() > 1)
        state = new osg::StateSet(*state, osg::CopyOp::SHALLOW_COPY);
    model->setStateSet(state.get());
    const osg::Material* old
        = dynamic_cast<const osg::Material*>(state->getAttribute(osg::StateAttribute::MATERIAL));
    osg::ref_ptr<osg::Material> material
        = old ? new osg::Material(*old, osg::CopyOp::SHALLOW_COPY) : new osg::Material;
    const osg::Vec4 colour = GetDesc().m_vColor;
    material->setAmbient(osg::Material::FRONT_AND_BACK, colour);
    material->setDiffuse(osg::Material::FRONT_AND_BACK, colour);
    material->setSpecular(osg::Material::FRONT_AND_BACK, osg::Vec4(0.0720721f, 0.0720721f, 0.0720721f, 1.0f));
    material->setEmission(osg::Material::FRONT_AND_BACK, osg::Vec4(0.0f, 0.0f, 0.0f, 1.0f));
    material->setShininess(osg::Material::FRONT_AND_BACK, 35.84f);
    state->setAttribute(material.get());
}
