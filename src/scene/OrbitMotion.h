#pragma once

#include "scene/Mouse.h"
#include "scene/Transformable.h"

#include <osg/Vec3>
#include <osg/observer_ptr>

namespace scene {

// Mouse control of a camera (or any transformable) circling a focal point:
// - right button held, moving the mouse: the target circles the focal point,
//   horizontal movement about the world's vertical through it (azimuth),
//   vertical movement up and down over it (elevation, kept within +-89.9
//   degrees of pitch);
// - middle button held: target and focal point slide together across the
//   view;
// - wheel: the target moves along its view direction and the orbit distance
//   changes by the same amount (turning the wheel up comes closer);
// - the left button is left to the application.
// The target's current transform is read at every movement, so a camera
// placed directly (presets, follow views) orbits from where it was put; the
// motion turns the target rigidly about the focal point, so nothing jumps
// when the target does not look exactly at it.
//
// Rates: the angular rate is degrees per normalised mouse unit (a drag across
// the whole window is 2 units); panning moves distance x linear rate x 0.5
// per unit; a wheel notch moves distance x linear rate x wheel scale.
class OrbitMotion : public osg::Referenced, public MouseListener {
public:
    explicit OrbitMotion(Mouse* mouse);

    // Null detaches the model: it then moves nothing.
    void SetTarget(Transformable* target);
    Transformable* GetTarget() const;

    void SetEnabled(bool enabled) { m_enabled = enabled; }
    bool IsEnabled() const { return m_enabled; }

    // Changing the distance or the focal point leaves the target where it is.
    void SetDistance(float distance);
    float GetDistance() const { return m_distance; }
    void SetFocalPoint(const osg::Vec3& point) { m_focalPoint = point; }
    osg::Vec3 GetFocalPoint() const { return m_focalPoint; }

    void SetAngularRate(float degreesPerUnit) { m_angularRate = degreesPerUnit; }
    float GetAngularRate() const { return m_angularRate; }
    void SetLinearRate(float rate) { m_linearRate = rate; }
    float GetLinearRate() const { return m_linearRate; }
    // Distance-axis units per wheel notch.
    void SetWheelScale(float scale) { m_wheelScale = scale; }
    float GetWheelScale() const { return m_wheelScale; }

    // The three motions, in normalised mouse units, as the mouse drives them.
    void Orbit(float dx, float dy);
    void Pan(float dx, float dy);
    // Positive values come closer.
    void Dolly(float amount);
    // The view commands' zoom: the target moves along its view direction by
    // d = delta x 0.1 x the linear rate, and the orbit distance shrinks by
    // the same amount. A positive delta comes nearer, so "nearer" with
    // delta = distance + 1 comes nearer and "farther" with 1 - distance goes
    // back. The distance stays at least kMinDistance; the move stops there.
    void Zoom(float delta);

    void OnMouseButton(Mouse& mouse, int button, bool pressed) override;
    void OnMouseMoved(Mouse& mouse, float dx, float dy) override;
    void OnMouseScrolled(Mouse& mouse, int delta) override;

    static constexpr float kMinDistance = 0.1f;
    static constexpr float kMaxPitch = 89.9f;

protected:
    ~OrbitMotion() override;

private:
    osg::observer_ptr<Mouse> m_mouse;
    osg::observer_ptr<Transformable> m_target;
    bool m_enabled = true;
    float m_distance = 100.0f;
    osg::Vec3 m_focalPoint;
    float m_angularRate = 90.0f;
    float m_linearRate = 1.0f;
    float m_wheelScale = 0.05f;
};

} // namespace scene
