#pragma once

namespace physics {
class PhysicsWorld;
}

// The simulation's contact table, set up in this order (a later call
// overrides an earlier one): robots pass through each other and through
// their own parts; candle flames meet only what sensors look for them with
// (4); wounded figures and objects to carry only the ground (through 5) and
// their searchers; hidden objects (31) meet nothing; each of the groups
// 20-29 does not meet itself.
void SetUpSimulationContactGroups(physics::PhysicsWorld& world);
