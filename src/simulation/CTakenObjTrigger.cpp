#include "simulation/CTakenObjTrigger.h"

#include "elements/CTakenObj.h"
#include "elements/PlaygroundRobot.h"

#include <algorithm>

CTakenObjTrigger::CTakenObjTrigger(
    PartContextPtr context, const std::string& address, const osg::Vec3f& scale)
    : ScoreTrigger(std::move(context), address, scale, TriggerRescue) {
    std::fill(std::begin(GetState().m_cFlag), std::end(GetState().m_cFlag), 0);
}

bool CTakenObjTrigger::Wants(const std::string& address) const {
    for (int k = 0; k < 4; ++k) {
        if (GetState().m_cFlag[k] && address.find(kFlagNames[k]) != std::string::npos)
            return true;
    }
    return false;
}

void CTakenObjTrigger::Check() {
    const int count = RobotCount();
    if (Stopped() || !m_bArmed || count == 0)
        return;
    const scene::Transform zone = GetTransform(scene::CoordSys::Absolute);
    for (m_nRobIndex = 0; m_nRobIndex < count; ++m_nRobIndex) {
        PlaygroundRobot* robot = Robot(m_nRobIndex);
        // A robot standing in the zone empty-handed must not keep the next
        // one from handing its figures over.
        if (!robot || robot->GetCarriedObjectCount() == 0 || !IsInContact())
            continue;
        for (int i = 0; i < robot->GetCarriedObjectCount(); ++i) {
            osg::ref_ptr<CTakenObj> figure = robot->GetCarriedObject(i);
            if (!figure)
                continue;
            AddScore(*robot, Wants(figure->GetAddress()) ? GetScore() : -GetScore());
            figure->ClearCarrier();
            // Turned first, at the origin, so that its box is measured as it
            // will stand.
            scene::Transform placed;
            placed.SetRotation(figure->GetStartTransform().GetRotationMatrix() * zone.GetRotationMatrix());
            figure->SetTransform(placed, scene::CoordSys::Absolute);
            const osg::BoundingBox f = figure->scene::SceneObject::GetBoundingBox();
            osg::Vec3 at = zone.GetTranslation();
            if (m_pLastPlaced) {
                const osg::BoundingBox l = m_pLastPlaced->scene::SceneObject::GetBoundingBox();
                at = l.center();
                at.x() = l.xMax() + (f.center().x() - f.xMin());
            } else {
                at.z() += f.center().z() - f.zMin();
            }
            placed.SetTranslation(at);
            figure->SetTransform(placed, scene::CoordSys::Absolute);
            m_pLastPlaced = figure;
        }
        robot->ClearCarriedObjects();
        return;
    }
}
