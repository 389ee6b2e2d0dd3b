#pragma once

#include "platform/OwnerThread.h"
#include "scene/SceneObject.h"

#include <osg/Group>
#include <osg/LightSource>
#include <osg/ref_ptr>

#include <atomic>
#include <mutex>
#include <string_view>
#include <thread>
#include <vector>

namespace scene {

class PositionalLight;

// The root of what an application shows: an ordered list of top-level
// objects (picking walks them in the order they were added) under one root
// group, and the scene's lights. Light 0 is the scene's own light, a
// directional light from above that is on until UseSceneLight turns it off.
//
// Threads: a scene and the objects in it are changed only in the thread that
// made the scene (the GUI thread, which also draws it), or by a thread that
// holds it (HoldForChanges). While a thread holds the scene, no view draws
// it, however the paint comes about (a frame step, or Qt repainting a paused
// application's view), the frame's update traversal and input handling wait,
// and the view keeps showing its last frame. Objects not in any scene may be
// built in any thread (the robot loader builds robots that way). A change
// from a thread that may not make it is reported through the "scene"
// warning (and stops builds with assertions).
class Scene : public osg::Referenced {
public:
    Scene();

    // Keeps the scene for the thread that made it, which may then change it;
    // waits for a draw under way to end. Release it (or let it go) in the
    // same thread. Not for the GUI thread's own changes, which need none.
    class Hold {
    public:
        Hold() = default;
        Hold(Hold&& other) noexcept
            : m_scene(std::move(other.m_scene)) { }
        Hold& operator=(Hold&& other) noexcept;
        ~Hold() { Release(); }
        void Release();
        explicit operator bool() const { return m_scene.valid(); }

    private:
        friend class Scene;
        explicit Hold(Scene* scene)
            : m_scene(scene) { }
        osg::ref_ptr<Scene> m_scene;
    };
    Hold HoldForChanges();
    // Whether some thread other than the calling one holds the scene.
    bool IsHeldElsewhere() const;

    // For the drawing side (views, the frame's update traversal): a lock that
    // is empty (false) while any thread holds the scene; drawing skips then.
    std::unique_lock<std::mutex> LockForDrawing();

    // Whether the calling thread may change the scene now; reports the change
    // `what` when it may not.
    bool CheckChangeThread(std::string_view what) const;

    osg::Group* GetSceneNode() { return m_root.get(); }

    // Adding an object twice, or null, changes nothing.
    void AddDrawable(SceneObject* object);
    void RemoveDrawable(SceneObject* object);
    void RemoveAllDrawables();
    bool HasDrawable(const SceneObject* object) const;
    unsigned GetNumberOfAddedDrawable() const { return unsigned(m_objects.size()); }
    SceneObject* GetDrawable(unsigned index) const;
    // Top-level objects in the order they were added.
    const std::vector<osg::ref_ptr<SceneObject>>& GetDrawables() const { return m_objects; }

    // Switches light number lightNumber (0-7) on or off for the whole scene.
    void UseSceneLight(bool on, int lightNumber = 0);
    // The positional light of that number among the scene's objects, if any.
    PositionalLight* GetLight(int lightNumber) const;

protected:
    ~Scene() override;

private:
    platform::OwnerThread m_owner;
    std::mutex m_drawMutex;
    std::atomic<std::thread::id> m_holder {};
    osg::ref_ptr<osg::Group> m_root;
    osg::ref_ptr<osg::LightSource> m_sceneLight;
    std::vector<osg::ref_ptr<SceneObject>> m_objects;
};

} // namespace scene
