#include "window/PortLabels.h"

#include "elements/CModel.h"
#include "simulation/CSensor.h"

namespace window {

namespace {

constexpr int kPorts = 12;
constexpr int kMotorPortsE = 4;
constexpr int kOtherPortsE = 8;

// Motors, sensors and lights: the model types whose parts share ports.
enum Group { GroupNone, GroupMotor, GroupSensor, GroupLight };

Group GroupOf(int kind) {
    if (kind == kPortKindMotor)
        return GroupMotor;
    if (kind == kPortKindColoredLight)
        return GroupLight;
    if ((kind >= kPortKindFirstSensor && kind < kPortKindColoredLight) || kind == kPortKindMagnet)
        return GroupSensor;
    return GroupNone;
}

} // namespace

int PortKindOf(int type, int subType) {
    switch (type) {
    case ModelTypeMotor:
        return kPortKindMotor;
    case ModelTypeColoredLight:
        return kPortKindColoredLight;
    case ModelTypeSensor:
        if (subType == SensorKindMagnet)
            return kPortKindMagnet;
        if (subType >= SensorKindRay && subType <= SensorKindLife)
            return kPortKindFirstSensor + subType;
        return kPortKindNone;
    default:
        return kPortKindNone;
    }
}

QStringList PortChoices(int kind, bool isE) {
    QStringList choices;
    const Group group = GroupOf(kind);
    if (group == GroupNone)
        return choices;
    const int count = !isE ? kPorts : (group == GroupMotor ? kMotorPortsE : kOtherPortsE);
    for (int port = 1; port <= count; ++port)
        choices << PortText(port, kind, isE, QString());
    return choices;
}

QString PortText(int port, int kind, bool isE, const QString& notWired) {
    if (port <= 0)
        return notWired;
    if (!isE)
        return QString::number(port);
    const QLatin1Char letter(GroupOf(kind) == GroupMotor ? 'M' : 'P');
    return QStringLiteral("_") + letter + QString::number(port) + QStringLiteral("_");
}

bool PortKindsClash(int a, int b, bool isE) {
    const Group first = GroupOf(a);
    const Group second = GroupOf(b);
    if (first == GroupNone || second == GroupNone)
        return false;
    if (first == second)
        return true;
    return isE
        && ((first == GroupSensor && second == GroupLight) || (first == GroupLight && second == GroupSensor));
}

} // namespace window
