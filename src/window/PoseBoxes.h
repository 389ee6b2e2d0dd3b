#pragma once

#include <QString>

class CModel;
class QLineEdit;
class QSlider;

namespace window {

// A value as the pose boxes show it: rounded to their two places, without
// trailing zeros, and never "-0" (a float a hair off zero shows "0", not
// "1.19209e-07").
QString PoseText(double value);

// The pose fields of the side panels from a part's absolute transform: x, y,
// z, then the angles about x, y and z (pitch, roll, heading).
void PoseFields(const CModel* part, double fields[6]);

// Shows a part's pose in a panel's six boxes and its three angle sliders:
// positions clamped and rounded to two places, angles brought into one turn.
void ShowPose(const CModel* part, QLineEdit* const (&edits)[6], QSlider* const (&sliders)[3]);

} // namespace window
