#pragma once

#include "scene/SceneObject.h"

#include <osg/Camera>

namespace scene {

class Camera;

// The small axis tripod in the lower left corner of the view: X red, Y green,
// Z blue, turning as the camera turns so that it shows which way the world's
// axes point. It is an overlay: drawn last, never picked, never measured.
class Compass : public SceneObject {
public:
    // The compass follows camera (which it does not keep alive).
    explicit Compass(Camera* camera);

    // Edge of the square corner area, in pixels (80 by default).
    void SetScreenSize(int pixels);
    int GetScreenSize() const { return m_size; }

    osg::Camera* GetOverlayCamera() { return m_overlay.get(); }

private:
    int m_size = 80;
    osg::ref_ptr<osg::Camera> m_overlay;
};

} // namespace scene
