#include "scene/ParticleEffect.h"

#include <osg/NodeVisitor>
#include <osgParticle/Emitter>

#include <vector>

namespace scene {

namespace {

class EmitterCollector : public osg::NodeVisitor {
public:
    EmitterCollector()
        : osg::NodeVisitor(TRAVERSE_ALL_CHILDREN) { }

    void apply(osg::Node& node) override {
        if (auto* emitter = dynamic_cast<osgParticle::Emitter*>(&node))
            emitters.push_back(emitter);
        traverse(node);
    }

    std::vector<osgParticle::Emitter*> emitters;
};

std::vector<osgParticle::Emitter*> EmittersUnder(osg::Node* node) {
    EmitterCollector collector;
    collector.setTraversalMask(0xffffffffu);
    collector.setNodeMaskOverride(0xffffffffu);
    if (node)
        node->accept(collector);
    return collector.emitters;
}

} // namespace

ParticleEffect::ParticleEffect(const std::string& name)
    : SceneObject(name) { }

osg::Node* ParticleEffect::LoadFile(const std::string& file, bool) {
    osg::Node* model = SceneObject::LoadFile(file, false);
    ApplyEnabled();
    return model;
}

void ParticleEffect::SetEnabled(bool enabled) {
    m_enabled = enabled;
    ApplyEnabled();
}

unsigned ParticleEffect::GetNumEmitters() const {
    return unsigned(EmittersUnder(GetModel()).size());
}

void ParticleEffect::ApplyEnabled() {
    for (osgParticle::Emitter* emitter : EmittersUnder(GetModel()))
        emitter->setEnabled(m_enabled);
}

} // namespace scene
