#pragma once

#include "scene/SceneObject.h"

#include <osg/Camera>
#include <osg/Geode>
#include <osg/Geometry>
#include <osg/Vec2>
#include <osg/observer_ptr>

class CApp;

namespace scene {
class Camera;
}

// The editors' screen-space overlay and camera helper: it draws the selection
// rectangle over the 3-D view (in window pixels) and answers where the
// application's camera is and how world points land in the window.
class CCam : public scene::SceneObject {
public:
    // Builds the overlay and hangs its camera under the application's scene.
    explicit CCam(CApp& app);

    scene::Transform GetTransform() const;
    osg::Vec3 GetPosition() const;
    // The camera's view direction and up, unit vectors in the world.
    osg::Vec3 GetForward() const;
    osg::Vec3 GetUp() const;
    // World point to window pixels: view x projection x window matrix.
    osg::Matrixd GetWindowMatrix() const;
    // Gives this object the camera's pose.
    void SyncToCamera();
    // A point in normalised window coordinates (-1..1) in window pixels.
    osg::Vec2 CalcPixelCoords(float x, float y) const;

    // Shows the rectangle between two corners in window pixels, or hides it
    // (false then). True only when it was drawn.
    bool Update(bool show, const osg::Vec2& corner1, const osg::Vec2& corner2);

    osg::Camera* GetOverlayCamera() const { return m_overlay.get(); }
    const osg::Geometry* GetRectangle() const { return m_rectangle.get(); }

protected:
    ~CCam() override;

private:
    // The window's size in pixels.
    void GetWindowSize(int& width, int& height) const;

    osg::observer_ptr<scene::Camera> m_camera;
    osg::observer_ptr<CApp> m_app;
    osg::ref_ptr<osg::Camera> m_overlay;
    osg::ref_ptr<osg::Geode> m_geode;
    osg::ref_ptr<osg::Geometry> m_rectangle;
};
