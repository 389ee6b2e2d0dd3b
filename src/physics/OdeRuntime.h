#pragma once

namespace physics {

// Makes ODE usable from the calling thread: initialises the library once per
// process and gives each thread its own collision data the first time the
// thread comes here. Every entry point that creates geoms, collides or steps
// calls it, so worker threads (the robot loader) need no set-up of their own.
void EnsureOdeForThisThread();

} // namespace physics
