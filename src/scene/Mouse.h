#pragma once

#include <osg/Referenced>
#include <osg/Vec2>

#include <vector>

namespace scene {

class Mouse;

// Something that follows the mouse besides the application's own handlers
// (motion models). Listeners hear every event, whatever the handlers return.
class MouseListener {
public:
    virtual void OnMouseButton(Mouse& mouse, int button, bool pressed) = 0;
    // dx, dy: the movement in normalised window units since the last event.
    virtual void OnMouseMoved(Mouse& mouse, float dx, float dy) = 0;
    virtual void OnMouseScrolled(Mouse& mouse, int delta) = 0;

protected:
    ~MouseListener() = default;
};

// The state of the pointer over one application's window: the position in
// normalised window coordinates (-1..1 on both axes, -1 at the left and at
// the bottom, y up) and the buttons held.
class Mouse : public osg::Referenced {
public:
    enum MouseButton { LeftButton = 0, MiddleButton = 1, RightButton = 2 };

    void GetPosition(float& x, float& y) const;
    osg::Vec2 GetPosition() const { return m_position; }
    bool GetButtonState(int button) const;
    bool AnyButtonPressed() const;

    void AddListener(MouseListener* listener);
    void RemoveListener(MouseListener* listener);

    // Fed by the application from its window's events.
    void SetPosition(const osg::Vec2& position) { m_position = position; }
    void SetButtonState(int button, bool pressed);
    void NotifyButton(int button, bool pressed);
    void NotifyMoved(float dx, float dy);
    void NotifyScrolled(int delta);

private:
    osg::Vec2 m_position;
    bool m_buttons[3] = { false, false, false };
    std::vector<MouseListener*> m_listeners; // not owned
};

} // namespace scene
