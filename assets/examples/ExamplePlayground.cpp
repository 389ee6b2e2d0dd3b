#include "ExamplePlayground.h"

#include "elements/CModel.h"
#include "scene/Transform.h"
#include "simulation/CTrigger.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>

#include <cmath>
#include <numbers>

namespace examplegen {

namespace {

constexpr int kGroundPixels = 512;

const char* ZoneModel(int kind) {
    switch (kind) {
    case TriggerEnd:
        return "models/trigger/end.ive";
    case TriggerStart:
        return "models/trigger/start.ive";
    case TriggerPath:
        return "models/trigger/path.ive";
    case TriggerDelivery:
        return "models/trigger/delivery.ive";
    case TriggerRescue:
        return "models/trigger/rescue.ive";
    default:
        return "models/trigger/score.ive";
    }
}

} // namespace

PlaygroundFile::Item Object(int type, const std::string& address, const osg::Vec3d& at, double heading) {
    PlaygroundFile::Item item;
    item.info.m_desc.m_nType = type;
    item.info.m_desc.m_strAddress = address;
    item.info.m_state.m_vPos = at;
    item.info.m_state.m_qRot = scene::Transform(0.0, 0.0, 0.0, heading).GetQuat();
    return item;
}

PlaygroundFile::Item Zone(
    int kind, const osg::Vec2d& at, const osg::Vec2d& size, int mode, int score, double heading) {
    // The pad is 0.1 thick and lies on the ground.
    PlaygroundFile::Item item = Object(ModelTypeTrigger, ZoneModel(kind), { at.x(), at.y(), 0.05 }, heading);
    item.info.m_desc.m_nSubType = kind;
    item.info.m_state.m_vScale.set(float(size.x()), float(size.y()), 1.0f);
    item.info.m_state.m_nTriggerMode = mode;
    item.info.m_state.m_nScore = score;
    return item;
}

PlaygroundFile::Item StartZone(const osg::Vec2d& at, double heading) {
    return Zone(TriggerStart, at, { 40.0, 40.0 }, 0, 0, heading);
}

PlaygroundFile::Item Wall(const osg::Vec2d& from, const osg::Vec2d& to) {
    constexpr double thickness = 4.0;
    constexpr double height = 12.0;
    const osg::Vec2d along = to - from;
    const osg::Vec2d middle = (from + to) * 0.5;
    // The wall model is a unit cube; x runs along the wall.
    const double heading = std::atan2(along.y(), along.x()) * 180.0 / std::numbers::pi;
    PlaygroundFile::Item item = Object(
        ModelTypeSlope, "models/playground/wall.ive", { middle.x(), middle.y(), height / 2 }, heading);
    item.info.m_state.m_vScale.set(float(along.length() + thickness), float(thickness), float(height));
    return item;
}

std::string GroundPicture(const std::function<void(QPainter&)>& draw) {
    QImage image(kGroundPixels, kGroundPixels, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing, false);
        // The picture's top row is the far edge of the ground (+y).
        painter.translate(kGroundPixels / 2, kGroundPixels / 2);
        painter.scale(1.0, -1.0);
        draw(painter);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

} // namespace examplegen
