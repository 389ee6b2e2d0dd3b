#pragma once

#include "simulation/PlaygroundFile.h"

#include <osg/Vec2d>
#include <osg/Vec3d>

#include <functional>
#include <string>

class QPainter;

// Playground items as the playground builder places them, and ground
// pictures drawn by code, for the example playgrounds.
namespace examplegen {

// A trigger zone of a kind (TriggerKind) centred at (x, y) on the ground,
// size.x() by size.y() before turning by heading degrees, with its mode (0
// the robot wholly inside, 1 touching) and score.
PlaygroundFile::Item Zone(
    int kind, const osg::Vec2d& at, const osg::Vec2d& size, int mode, int score, double heading = 0.0);
// A start zone (robot i starts in the i-th) facing heading degrees (0: +y,
// 90: -x).
PlaygroundFile::Item StartZone(const osg::Vec2d& at, double heading = 0.0);
// A wall from one point to another on the ground, 4 thick and 12 high.
PlaygroundFile::Item Wall(const osg::Vec2d& from, const osg::Vec2d& to);
// An object of a model type (candle, figure, ...) standing at `at`: the
// model's origin is the centre of its bounds, at.z() above the ground.
PlaygroundFile::Item Object(int type, const std::string& address, const osg::Vec3d& at, double heading = 0.0);

// A 512 x 512 ground picture, white, with what draw paints on it. The painter
// is set up in ground units: (0, 0) is the middle of the ground, +y is the
// robots' "ahead" at heading 0, one unit is one pixel, exactly as the grey
// sensors and the path zones read the picture. The PNG file's bytes.
std::string GroundPicture(const std::function<void(QPainter&)>& draw);

} // namespace examplegen
