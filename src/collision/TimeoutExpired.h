#pragma once

#include <exception>

// Thrown by CollisionModel3D::collision when its time budget runs out before
// the search ends; the caller then has no answer.
class TimeoutExpired : public std::exception {
public:
    const char* what() const noexcept override { return "collision query ran out of time"; }
};
