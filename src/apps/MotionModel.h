#pragma once

#include "scene/OrbitMotion.h"

namespace scene {
class Keyboard;
}

// The orbit camera of every scene application: the right button held turns
// the camera about its focal point, the middle button slides it, the wheel
// moves it along its view (0.05 of the distance per notch); the left button
// stays free for picking and editing. Zoom (the orbit's) serves the window's
// nearer and farther commands: a positive delta comes nearer.
class MotionModel : public scene::OrbitMotion {
public:
    MotionModel(scene::Keyboard* keyboard, scene::Mouse* mouse);

protected:
    ~MotionModel() override;
};
