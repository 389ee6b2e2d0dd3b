#pragma once

namespace physics {

// Makes ODE usable from the calling thread: initialises the library once per
// process and gives each thread its own collision data the first time the
// thread comes here. Every entry point that creates geoms, collides or steps
// calls it, so a world works in whichever thread made it (each world then
// stays in that thread) without set-up of its own.
void EnsureOdeForThisThread();

} // namespace physics
