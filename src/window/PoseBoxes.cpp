#include "window/PoseBoxes.h"

#include "elements/CModel.h"
#include "elements/Geometry.h"
#include "scene/Transform.h"

#include <QLineEdit>
#include <QSlider>

namespace window {

void PoseFields(const CModel* part, double fields[6]) {
    scene::Transform t;
    part->GetTransform(t, scene::CoordSys::Absolute);
    osg::Vec3 xyz, hpr;
    t.Get(xyz, hpr);
    fields[0] = xyz.x();
    fields[1] = xyz.y();
    fields[2] = xyz.z();
    fields[3] = hpr.y();
    fields[4] = hpr.z();
    fields[5] = hpr.x();
}

void ShowPose(const CModel* part, QLineEdit* const (&edits)[6], QSlider* const (&sliders)[3]) {
    double fields[6];
    PoseFields(part, fields);
    for (int i = 0; i < 6; ++i) {
        double value = fields[i];
        if (i < 3) {
            value = ClampAndTruncate2(value);
        } else {
            value = NormalizeAngle2(value);
            sliders[i - 3]->setValue(int(value));
        }
        edits[i]->setText(QString::number(value, 'g', 6));
    }
}

} // namespace window
