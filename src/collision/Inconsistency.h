#pragma once

#include <exception>

// Thrown by the collision library on a wrong order of use: adding a triangle
// or finalising after finalisation, or a model query on a model that was never
// finalised.
class Inconsistency : public std::exception {
public:
    const char* what() const noexcept override { return "collision model used out of order"; }
};
