#include "scene/Mouse.h"

#include <algorithm>

namespace scene {

void Mouse::GetPosition(float& x, float& y) const {
    x = m_position.x();
    y = m_position.y();
}

bool Mouse::GetButtonState(int button) const {
    return button >= 0 && button < 3 && m_buttons[button];
}

bool Mouse::AnyButtonPressed() const {
    return m_buttons[0] || m_buttons[1] || m_buttons[2];
}

void Mouse::SetButtonState(int button, bool pressed) {
    if (button >= 0 && button < 3)
        m_buttons[button] = pressed;
}

void Mouse::AddListener(MouseListener* listener) {
    if (listener && std::find(m_listeners.begin(), m_listeners.end(), listener) == m_listeners.end())
        m_listeners.push_back(listener);
}

void Mouse::RemoveListener(MouseListener* listener) {
    m_listeners.erase(std::remove(m_listeners.begin(), m_listeners.end(), listener), m_listeners.end());
}

// Listeners may remove themselves while they are told, so each walk works on a copy.

void Mouse::NotifyButton(int button, bool pressed) {
    const auto listeners = m_listeners;
    for (MouseListener* l : listeners)
        l->OnMouseButton(*this, button, pressed);
}

void Mouse::NotifyMoved(float dx, float dy) {
    const auto listeners = m_listeners;
    for (MouseListener* l : listeners)
        l->OnMouseMoved(*this, dx, dy);
}

void Mouse::NotifyScrolled(int delta) {
    const auto listeners = m_listeners;
    for (MouseListener* l : listeners)
        l->OnMouseScrolled(*this, delta);
}

} // namespace scene
