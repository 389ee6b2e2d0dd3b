#include "window/PoseBoxes.h"

#include "elements/CModel.h"
#include "elements/Geometry.h"
#include "scene/Transform.h"

#include <QLineEdit>
#include <QSlider>

#include <cmath>

namespace window {

QString PoseText(double value) {
    if (!std::isfinite(value))
        return QString::number(value);
    QString text = QString::number(value, 'f', 2);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text == QStringLiteral("-0") ? QStringLiteral("0") : text;
}

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
        // The boxes show hundredths: a value is rounded to them before it is
        // cut, so what a file keeps of a pose (a 45-degree turn reads back
        // from its six-decimal quaternion as 44.99993) shows as it was set.
        double value = std::isfinite(fields[i]) ? std::round(fields[i] * 100.0) / 100.0 : fields[i];
        if (i < 3) {
            value = ClampAndTruncate2(value);
        } else {
            value = NormalizeAngle2(value);
            // A hair below a whole turn is no turn at all, as a hair above it is.
            if (value >= 360.0)
                value = 0.0;
            sliders[i - 3]->setValue(int(value));
        }
        edits[i]->setText(PoseText(value));
    }
}

} // namespace window
