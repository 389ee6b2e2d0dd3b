#pragma once

// The kinds of data that the simulation's solids carry, agreed once for every
// writer and reader (see physics::UserDataKey).

#include "physics/UserDataKey.h"

#include <osg/Image>
#include <osg/ref_ptr>

namespace scene {

// The picture of the ground a solid stands for: the floor writes it, and the
// sensors that read the ground's colour sample it where their rays hit.
inline constexpr physics::UserDataKey<osg::ref_ptr<osg::Image>> kGroundPicture { "ground picture" };

// The touch sensor's flag: its collision handler sets the int to 1 when the
// solid touches the ground group; the sensor reads and clears it.
inline constexpr physics::UserDataKey<int*> kTouchFlag { "touch flag" };

} // namespace scene
