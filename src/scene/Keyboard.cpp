#include "scene/Keyboard.h"

namespace scene {

void Keyboard::SetKeyState(int key, bool pressed) {
    if (pressed)
        m_pressed.insert(key);
    else
        m_pressed.erase(key);
}

} // namespace scene
