#pragma once

#include <string>
#include <vector>

// What the robot loader reads of the simulation page's sensor model bar: the
// model addresses of its buttons, in display order. Entry j of the list is
// the sensor model that rule j + 2 of the playground's scoring rules limits.
// The bar is a widget, so the loader asks for the list in the GUI thread
// when it starts and works on its own copy.
class SensorModelTable {
public:
    virtual std::vector<std::string> SensorModelAddresses() const = 0;

protected:
    virtual ~SensorModelTable() = default;
};
