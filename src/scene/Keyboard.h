#pragma once

#include <osg/Referenced>

#include <set>

namespace scene {

// The keys held over one application's window. Keys are osgGA key symbols
// (osgGA::GUIEventAdapter::KeySymbol): printable keys are their character,
// others KEY_Escape, KEY_Left, KEY_Control_L and so on.
class Keyboard : public osg::Referenced {
public:
    bool GetKeyState(int key) const { return m_pressed.count(key) != 0; }
    void SetKeyState(int key, bool pressed);

private:
    std::set<int> m_pressed;
};

} // namespace scene
