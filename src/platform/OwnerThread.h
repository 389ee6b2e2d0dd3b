#pragma once

#include <string_view>
#include <thread>

namespace platform {

// The thread that an object of the layers belongs to: the one that made it
// (for the scene and the physics, the GUI thread). Nothing in those layers
// locks, so a change from any other thread races with drawing or stepping;
// Check() catches such calls as they happen.
class OwnerThread {
public:
    OwnerThread()
        : m_owner(std::this_thread::get_id()) { }

    bool IsCurrent() const { return std::this_thread::get_id() == m_owner; }
    std::thread::id Id() const { return m_owner; }

    // True on the owner thread. From any other thread: a warning naming
    // `what` through the layer's warning path, then false; builds with
    // assertions stop the program there.
    bool Check(std::string_view layer, std::string_view what) const;

private:
    std::thread::id m_owner;
};

// The report Check() gives, for objects that decide for themselves which
// thread may change them at the moment.
void ReportWrongThread(std::string_view layer, std::string_view what);

} // namespace platform
