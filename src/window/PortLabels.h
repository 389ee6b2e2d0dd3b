#pragma once

#include <QString>
#include <QStringList>

// The robot page's wiring as its port panel and port tree show it.
//
// Every wired part has a port kind, the index of its display name among the
// kind names of the language texts: 1 motor, 2 to 11 the sensor kinds 0 to
// 9, 12 coloured light, 13 magnet sensor; name 0 is the text of a part that
// is not wired. Motors, sensors and lights are wired; other parts have no
// port kind.
//
// The studio's port set decides the ports: while "is_e" is clear every wired
// part has ports 1 to 12, shown by their numbers; while it is set motors have
// ports 1 to 4, shown "_M1_" to "_M4_", and sensors and lights ports 1 to 8,
// shown "_P1_" to "_P8_".
namespace window {

inline constexpr int kPortKindNone = -1;
inline constexpr int kPortKindMotor = 1;
inline constexpr int kPortKindFirstSensor = 2;
inline constexpr int kPortKindColoredLight = 12;
inline constexpr int kPortKindMagnet = 13;
// The number of kind names, the "not wired" text included.
inline constexpr int kPortKindNames = 14;

// The port kind of a part of model type `type` and sub-type `subType` (a
// sensor's kind); kPortKindNone for a part without a port.
int PortKindOf(int type, int subType);

// The port choices of a kind, port 1 first (the panel's combo box puts an
// empty entry for "no port" before them, so that an entry's index is its
// port).
QStringList PortChoices(int kind, bool isE);

// How the port tree shows port `port` of a part of that kind: `notWired`
// for 0 or less.
QString PortText(int port, int kind, bool isE, const QString& notWired);

// Whether two parts of these kinds on one port are one too many: parts of
// one model type (any two sensors, whatever they sense) and, with "is_e"
// set, a sensor and a light.
bool PortKindsClash(int a, int b, bool isE);

} // namespace window
