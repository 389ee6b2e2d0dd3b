#pragma once

class CModel;
class QLineEdit;
class QSlider;

namespace window {

// The pose fields of the side panels from a part's absolute transform: x, y,
// z, then the angles about x, y and z (pitch, roll, heading).
void PoseFields(const CModel* part, double fields[6]);

// Shows a part's pose in a panel's six boxes and its three angle sliders:
// positions clamped and cut to two places, angles brought into one turn.
void ShowPose(const CModel* part, QLineEdit* const (&edits)[6], QSlider* const (&sliders)[3]);

} // namespace window
