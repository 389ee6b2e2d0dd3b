#pragma once

#include "physics/CollisionEvent.h"
#include "physics/Handle.h"
#include "physics/OdeHandles.h"
#include "physics/Pose.h"
#include "physics/ShapeDesc.h"
#include "physics/UserDataKey.h"

#include <algorithm>
#include <any>
#include <array>
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
// Solids held together by fixed joints move as one rigid body of the engine
// (a robot's parts on its control unit): the body carries the shapes of all
// of them at their relative poses and the sum of their masses, so the
// solver has no rows to spend on holding them together. Each solid still
// answers its own pose, velocities, shapes, user data and collision events;
// placing any one of them places them all, and the body stands still while
// any of them is static or disabled. Placing a solid other than the group's
// first where it already is, to single precision (as an owner pushing poses
// read back from a scene graph does), leaves the group where it is: the
// group's pose stays as exact as its first solid's last placement.
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

    // The rigid body this solid moves with: the solid itself and every solid
    // held to it by fixed joints. Its mass (the solids' masses added) and its
    // centre of mass in world coordinates; a lone solid's are its own.
    double bodyMass() const;
    Vec3 bodyCentre() const;
    // Whether the two move as one rigid body (a solid with itself included).
    bool sharesBodyWith(const Solid* other) const;

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
    friend class HingeJoint;
    friend struct std::default_delete<Solid>;

    Solid(PhysicsWorld& world, std::uint64_t serial);
    ~Solid();

    bool movesFreely() const { return !m_static && m_enabled; }
    // Whether two poses differ by no more than single-precision rounding.
    static bool withinRounding(const Pose& now, const Pose& target);
    // The solid whose engine body carries this one: itself unless it is held
    // to others by fixed joints.
    Solid& root() { return m_root ? *m_root : *this; }
    const Solid& root() const { return m_root ? *m_root : *this; }
    dxBody* engineBody() const { return root().m_body; }
    // Whether the engine body moves: every solid on it moves freely.
    bool bodyMovesFreely() const;
    // The solid's frame placed in its root's frame.
    Pose inRoot(const Pose& local) const { return m_root ? m_offset * local : local; }
    // This solid's own centre of mass in world coordinates and its velocity.
    Vec3 ownCentreAt(const Pose& pose) const { return pose.transformPoint(m_centre); }
    bool checkThread(const char* what) const;
    std::any* findSlot(const void* key) {
        for (auto& slot : m_userData)
            if (slot.first == key)
                return &slot.second;
        return nullptr;
    }
    void updateOwnMass();
    // Root only: the mass of every shape on the body, moved to its centre as
    // the engine needs it; false while the body has no shape.
    bool bodyMassCentred(dMass& total, Vec3& centre) const;
    // The inertia of the solid's own shapes about its own centre of mass, in
    // world axes for a solid turned by `orientation` (row by row).
    std::array<double, 9> ownInertiaTurned(const Quat& orientation) const;
    // Root only: puts every shape of the group on the body at its offset
    // from the body's centre.
    void placeShapesOnBody();
    void applyMassToBody();
    void applyMotionMode();
    // Gives the shapes (and the solid's own space) the engine's category and
    // collide bits of their groups and of whether the body is held, so that
    // the spaces pass over pairs that never meet.
    void updateCollideBits();
    // Sets the body's motion so that this solid's own centre moves at
    // `linear` while the body turns at `angular`.
    void setBodyMotion(const Vec3& linear, const Vec3& angular);

    PhysicsWorld& m_world;
    const std::uint64_t m_serial;
    dxBody* m_body = nullptr;
    // A solid of several shapes keeps them in a space of its own inside the
    // world's: the world's space then sees it as one box, and its shapes are
    // never tried against one another (a wheel's sixteen would make 120
    // pairs a step).
    dxSpace* m_space = nullptr;
    std::vector<std::unique_ptr<ShapeRecord>> m_shapes;
    // Centre of mass of the solid's own shapes, in its frame.
    Vec3 m_centre;
    double m_mass = 0.0;
    // The fixed group (see the class comment). A root (m_root null) knows
    // the other solids of its group and where its body sits in its frame;
    // the others know their root and their frame in the root's frame.
    Solid* m_root = nullptr;
    Pose m_offset;
    std::vector<Solid*> m_members;
    Vec3 m_bodyCentre;
    double m_bodyMass = 0.0;
    bool m_static = false;
    bool m_enabled = true;
    // Velocities kept while the solid is disabled.
    Vec3 m_parkedLinear;
    Vec3 m_parkedAngular;
    std::vector<std::pair<const void*, std::any>> m_userData;
    CollisionHandler m_collisionHandler;
};

} // namespace physics
