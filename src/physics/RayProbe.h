#pragma once

#include "physics/Handle.h"
#include "physics/RaycastHit.h"
#include "physics/Vec3.h"

#include <memory>

namespace physics {

class PhysicsWorld;
class Solid;

// A ray that rides on a solid: origin and direction are in the solid's frame
// (in world coordinates when no solid is given). The ray meets shapes whose
// group makes contacts with the probe's group, never its own solid.
struct RayProbeDesc {
    Solid* solid = nullptr;
    Vec3 origin;
    Vec3 direction { 0.0, 1.0, 0.0 };
    int contactGroup = 0;
};

class RayProbe : public Tracked {
public:
    // Casts the ray up to `length` from its origin and reports the nearest
    // hit. No hit for a length that is not positive, a zero direction, or a
    // probe whose solid has been destroyed.
    RaycastHit fire(double length) const;

    // The direction stays as set for later fires; non-finite input is refused.
    bool setDirection(const Vec3& direction);
    bool setOrigin(const Vec3& origin);
    Vec3 direction() const { return m_direction; }
    Vec3 origin() const { return m_origin; }
    int contactGroup() const { return m_group; }
    Solid* solid() const { return m_solid; }
    bool isInert() const { return m_inert; }
    PhysicsWorld& world() const { return m_world; }

private:
    friend class PhysicsWorld;
    friend struct std::default_delete<RayProbe>;

    RayProbe(PhysicsWorld& world, const RayProbeDesc& desc);
    ~RayProbe() = default;

    void detach() {
        m_solid = nullptr;
        m_inert = true;
    }

    PhysicsWorld& m_world;
    Solid* m_solid;
    Vec3 m_origin;
    Vec3 m_direction;
    int m_group;
    bool m_inert = false;
};

} // namespace physics
