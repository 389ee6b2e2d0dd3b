#include "apps/MotionModel.h"

MotionModel::MotionModel(scene::Keyboard*, scene::Mouse* mouse)
    : OrbitMotion(mouse) {
    SetWheelScale(0.05f);
}

MotionModel::~MotionModel() = default;
