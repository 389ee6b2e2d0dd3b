#pragma once

#include <memory>
#include <type_traits>

namespace physics {

class PhysicsWorld;

// The base of everything a handle can follow: the world and the solids,
// joints and probes it owns. Its token lives exactly as long as the object.
class Tracked {
public:
    Tracked(const Tracked&) = delete;
    Tracked& operator=(const Tracked&) = delete;

protected:
    Tracked()
        : m_life(std::make_shared<char>(0)) { }
    ~Tracked() = default;

private:
    template <class T> friend class Handle;
    std::shared_ptr<char> m_life;
};

// A pointer to an object of the physics layer that knows when the object is
// gone. The owners of solids, joints and probes (parts, motors, sensors) may
// well outlive the world, and they are destroyed in no fixed order when a run
// is torn down: through a handle they find a null object instead of freed
// memory. Holding a handle keeps nothing alive.
//
//     physics::Handle<physics::Solid> m_solid = world->createSolid();
//     if (physics::Solid* solid = m_solid.get())
//         solid->setPose(pose);
//     m_solid.destroy(); // later: nothing happens once the world is gone
template <class T> class Handle {
public:
    Handle() = default;
    Handle(T* object)
        : m_object(object) {
        if (object)
            m_life = static_cast<const Tracked*>(object)->m_life;
    }
    template <class U>
    requires std::is_convertible_v<U*, T*> Handle(const Handle<U>& other)
        : Handle(other.get()) { }

    // The object, or null once it (or its world) has been destroyed.
    T* get() const { return m_life.expired() ? nullptr : m_object; }
    explicit operator bool() const { return get() != nullptr; }
    // Like a plain pointer: check the handle first.
    T* operator->() const { return get(); }
    void reset() {
        m_object = nullptr;
        m_life.reset();
    }

    // Destroys the object through its world and lets go of it; false, doing
    // nothing, when there is nothing left to destroy.
    bool destroy() requires(!std::is_same_v<T, PhysicsWorld>) {
        T* object = get();
        reset();
        return object && object->world().destroy(object);
    }

    friend bool operator==(const Handle& a, const Handle& b) { return a.get() == b.get(); }

private:
    T* m_object = nullptr;
    std::weak_ptr<char> m_life;
};

} // namespace physics
