#pragma once

#include "scene/SceneObject.h"

#include <string>

namespace scene {

// A particle effect (fire, smoke) read from a model file holding osgParticle
// nodes, such as "models/effects/fire.osg". While enabled its emitters make
// new particles; disabled, the particles in flight die away and no new ones
// come.
//
// Every effect reads its file afresh, whatever useCache says: a copied
// particle graph keeps pointing at the original particle pool, so two
// effects made from one cached file would share (and both draw) one pool.
class ParticleEffect : public SceneObject {
public:
    explicit ParticleEffect(const std::string& name = "ParticleSystem");

    osg::Node* LoadFile(const std::string& file, bool useCache = true) override;

    void SetEnabled(bool enabled);
    bool IsEnabled() const { return m_enabled; }
    // Emitters found in the loaded model.
    unsigned GetNumEmitters() const;

private:
    void ApplyEnabled();

    bool m_enabled = true;
};

} // namespace scene
