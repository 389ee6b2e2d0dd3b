#pragma once

#include "physics/CollisionEvent.h"
#include "physics/OdeHandles.h"
#include "physics/Pose.h"
#include "physics/ShapeDesc.h"

#include <any>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace physics {

class PhysicsWorld;
struct ShapeRecord;

// A rigid body of the world with its shapes. Made and destroyed only by its
// PhysicsWorld, which owns it; everyone else holds plain pointers.
//
// The solid's frame is the one its owner positions (a part's node pose);
// shapes sit in it at their offsets. The engine's body sits at the centre of
// mass, which the solid keeps track of, so position() is always the solid's
// own origin whatever shapes it has.
//
// A static solid does not move under gravity, contacts or joints, yet can be
// placed anywhere with setPosition/setOrientation. A disabled solid neither
// moves nor collides, rays pass through it, and a solid joined to it is held
// as if joined to a static one; enabled again, it goes on as it was going.
class Solid {
public:
    Solid(const Solid&) = delete;
    Solid& operator=(const Solid&) = delete;

    PhysicsWorld& world() const { return m_world; }

    // --- Pose. Non-finite input is refused (false) and changes nothing; a
    // zero quaternion counts as non-finite input.
    Pose pose() const;
    Vec3 position() const;
    Quat orientation() const;
    bool setPosition(const Vec3& position);
    bool setOrientation(const Quat& orientation);
    bool setPose(const Pose& pose);

    // --- Velocities of the centre of mass, world axes; angular in rad/s.
    // Static and disabled solids have none and refuse them.
    Vec3 linearVelocity() const;
    Vec3 angularVelocity() const;
    bool setLinearVelocity(const Vec3& v);
    bool setAngularVelocity(const Vec3& w);

    // --- Shapes. The description is sanitised first (ShapeDesc::sanitized);
    // false when nothing usable is left of it. The mass grows by the shape's
    // volume times its material's density.
    bool addShape(const ShapeDesc& shape);
    std::size_t shapeCount() const { return m_shapes.size(); }
    // The stored (sanitised) description, null for an index out of range.
    const ShapeDesc* shape(std::size_t index) const;
    // The group of the first shape, which is how sensors and rules recognise
    // a solid; -1 while it has no shape.
    int firstShapeContactGroup() const;
    int shapeContactGroup(std::size_t index) const;
    // Moves one shape to another group at run time (a picked-up object goes
    // to a group that touches nothing). False for a bad index or group.
    bool setShapeContactGroup(std::size_t index, int group);

    // Total mass of the shapes (at least kMinMass once there is a shape).
    double mass() const { return m_mass; }
    static constexpr double kMinMass = 1e-6;

    // --- Static and enabled.
    void setStatic(bool isStatic);
    bool isStatic() const { return m_static; }
    void setEnabled(bool enabled);
    bool isEnabled() const { return m_enabled; }

    // --- Typed user data: whatever the owner stores comes back only as the
    // same type; asking for another type gives null instead of a reinterpreted
    // pointer.
    void setUserData(std::any data) { m_userData = std::move(data); }
    void clearUserData() { m_userData.reset(); }
    bool hasUserData() const { return m_userData.has_value(); }
    template <class T> T* userData() { return std::any_cast<T>(&m_userData); }
    template <class T> const T* userData() const { return std::any_cast<T>(&m_userData); }

    // --- Collision events: the handler hears of every contact point of this
    // solid in each physics step, after the step. An empty handler stops it.
    void setCollisionHandler(CollisionHandler handler) { m_collisionHandler = std::move(handler); }
    bool hasCollisionHandler() const { return static_cast<bool>(m_collisionHandler); }

private:
    friend class PhysicsWorld;
    friend struct std::default_delete<Solid>;

    Solid(PhysicsWorld& world, std::uint64_t serial);
    ~Solid();

    bool movesFreely() const { return !m_static && m_enabled; }
    void updateMass();
    void applyMassToBody();
    void applyMotionMode();

    PhysicsWorld& m_world;
    const std::uint64_t m_serial;
    dxBody* m_body = nullptr;
    std::vector<std::unique_ptr<ShapeRecord>> m_shapes;
    // Centre of mass in the solid's frame; the body sits there.
    Vec3 m_centre;
    double m_mass = 0.0;
    bool m_static = false;
    bool m_enabled = true;
    // Velocities kept while the solid is disabled.
    Vec3 m_parkedLinear;
    Vec3 m_parkedAngular;
    std::any m_userData;
    CollisionHandler m_collisionHandler;
};

} // namespace physics
