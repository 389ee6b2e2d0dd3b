#pragma once

#include "scene/OrbitMotion.h"

namespace scene {
class Keyboard;
}

// The orbit camera of every scene application: the right button held turns
// the camera about its focal point, the middle button slides it, the wheel
// moves it along its view (0.05 of the distance per notch); the left button
// stays free for picking and editing.
class MotionModel : public scene::OrbitMotion {
public:
    MotionModel(scene::Keyboard* keyboard, scene::Mouse* mouse);

    // Moves the target along its view axis by delta x 0.1 x the linear rate
    // and changes the orbit distance by the same amount: a positive delta
    // comes nearer, a negative one goes back. The window's nearer command
    // passes distance + 1, its farther command 1 - distance, so each moves a
    // tenth of the distance (plus a little) the way its name says. The
    // distance never drops below the orbit's minimum.
    void Zoom(float delta);

protected:
    ~MotionModel() override;
};
