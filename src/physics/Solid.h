#pragma once

#include "physics/CollisionEvent.h"
#include "physics/Handle.h"
#include "physics/OdeHandles.h"
#include "physics/Pose.h"
#include "physics/ShapeDesc.h"
#include "physics/UserDataKey.h"

#include <algorithm>
#include <any>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

namespace physics {

class PhysicsWorld;
struct ShapeRecord;

// A rigid body of the world with its shapes. Made and destroyed only by its
// PhysicsWorld, which owns it; everyone else holds a Handle (or, for the
// length of a call, a plain pointer).
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
//
// Like its world, a solid is changed only in the thread that made the world.
class Solid : public Tracked {
public:
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
    // Moves the whole solid to another group at run time: every shape
    // follows, so a hidden or carried object of several shapes (group 31)
    // touches nothing and no ray meets it. False for a group outside 0..31.
    bool setContactGroup(int group);
    // Moves one shape alone. False for a bad index or group.
    bool setShapeContactGroup(std::size_t index, int group);

    // Total mass of the shapes (at least kMinMass once there is a shape).
    double mass() const { return m_mass; }
    static constexpr double kMinMass = 1e-6;

    // --- Static and enabled.
    void setStatic(bool isStatic);
    bool isStatic() const { return m_static; }
    void setEnabled(bool enabled);
    bool isEnabled() const { return m_enabled; }

    // --- User data, in typed slots (UserDataKey): a slot gives back only what
    // was stored through the same key, so its readers and writers cannot
    // disagree on the type. A solid may fill any number of slots; what it
    // holds is released with it.
    template <class T> void setUserData(const UserDataKey<T>& key, std::type_identity_t<T> value) {
        checkThread("Solid::setUserData");
        if (std::any* slot = findSlot(&key))
            *slot = std::move(value);
        else
            m_userData.emplace_back(&key, std::any(std::move(value)));
    }
    // Null while the slot is empty.
    template <class T> T* userData(const UserDataKey<T>& key) {
        std::any* slot = findSlot(&key);
        return slot ? std::any_cast<T>(slot) : nullptr;
    }
    template <class T> const T* userData(const UserDataKey<T>& key) const {
        return const_cast<Solid*>(this)->userData(key);
    }
    template <class T> void clearUserData(const UserDataKey<T>& key) {
        checkThread("Solid::clearUserData");
        std::erase_if(m_userData, [&key](const auto& slot) { return slot.first == &key; });
    }

    // --- Collision events: the handler hears of every contact point of this
    // solid in each physics step, after the step. An empty handler stops it.
    void setCollisionHandler(CollisionHandler handler);
    bool hasCollisionHandler() const { return static_cast<bool>(m_collisionHandler); }

private:
    friend class PhysicsWorld;
    friend struct std::default_delete<Solid>;

    Solid(PhysicsWorld& world, std::uint64_t serial);
    ~Solid();

    bool movesFreely() const { return !m_static && m_enabled; }
    bool checkThread(const char* what) const;
    std::any* findSlot(const void* key) {
        for (auto& slot : m_userData)
            if (slot.first == key)
                return &slot.second;
        return nullptr;
    }
    void updateMass();
    void applyMassToBody();
    void applyMotionMode();

    PhysicsWorld& m_world;
    const std::uint64_t m_serial;
    dxBody* m_body = nullptr;
    // A solid of several shapes keeps them in a space of its own inside the
    // world's: the world's space then sees it as one box, and its shapes are
    // never tried against one another (a wheel's sixteen would make 120
    // pairs a step).
    dxSpace* m_space = nullptr;
    std::vector<std::unique_ptr<ShapeRecord>> m_shapes;
    // Centre of mass in the solid's frame; the body sits there.
    Vec3 m_centre;
    double m_mass = 0.0;
    bool m_static = false;
    bool m_enabled = true;
    // Velocities kept while the solid is disabled.
    Vec3 m_parkedLinear;
    Vec3 m_parkedAngular;
    std::vector<std::pair<const void*, std::any>> m_userData;
    CollisionHandler m_collisionHandler;
};

} // namespace physics
