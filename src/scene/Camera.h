#pragma once

#include "scene/Transformable.h"

#include <osg/Camera>
#include <osg/Vec2>
#include <osg/Vec4>
#include <osg/ref_ptr>

namespace scene {

// The view of an application. With heading, pitch and roll all 0 the camera
// looks along +Y with +Z up; its transform turns and moves it like any other
// object's (heading 90 looks along -X, pitch -90 looks straight down).
class Camera : public Transformable {
public:
    // Wraps camera, or a new osg::Camera when null.
    explicit Camera(osg::Camera* camera = nullptr);

    osg::Camera* GetOSGCamera() { return m_camera.get(); }
    const osg::Camera* GetOSGCamera() const { return m_camera.get(); }

    void SetClearColor(const osg::Vec4& colour);
    osg::Vec4 GetClearColor() const;

    // Vertical field of view in degrees.
    void SetPerspective(double fovy, double aspectRatio, double zNear, double zFar);

    // A camera has no parent: both coordinate systems are the world's.
    using Transformable::GetTransform;
    void GetTransform(Transform& transform, CoordSys cs = CoordSys::Absolute) const override;
    void SetTransform(const Transform& transform, CoordSys cs = CoordSys::Absolute) override;

    osg::Vec3 GetPosition() const;
    // The view direction and the camera's up, as unit vectors in the world.
    osg::Vec3 GetForward() const;
    osg::Vec3 GetUp() const;
    osg::Vec3 GetRight() const;

    // The OSG view matrix that this transform gives (world to eye).
    static osg::Matrixd ViewMatrixFor(const Transform& transform);

    // Pixels: x from the left, y from the bottom of the viewport.
    void SetViewport(int x, int y, int width, int height);
    int GetViewportWidth() const;
    int GetViewportHeight() const;
    // View x projection x viewport window matrix: world point to pixels
    // (row vectors: pixel = world * GetWindowMatrix()).
    osg::Matrixd GetWindowMatrix() const;
    // A point in normalised window coordinates (-1..1, y up) in pixels:
    // ((x + 1) / 2 * width, (y + 1) / 2 * height).
    osg::Vec2 CalcPixelCoords(float x, float y) const;
    osg::Vec2 CalcPixelCoords(const osg::Vec2& normalised) const {
        return CalcPixelCoords(normalised.x(), normalised.y());
    }

protected:
    ~Camera() override = default;

private:
    osg::ref_ptr<osg::Camera> m_camera;
    Transform m_transform;
};

} // namespace scene
