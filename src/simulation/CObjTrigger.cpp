#include "simulation/CObjTrigger.h"

#include "elements/CGeo.h"
#include "elements/PlaygroundRobot.h"
#include "simulation/SGameState.h"

#include <algorithm>

CObjTrigger::CObjTrigger(PartContextPtr context, const std::string& address, const osg::Vec3f& scale)
    : ScoreTrigger(std::move(context), address, scale, TriggerDelivery) {
    SetOnly(0);
}

void CObjTrigger::UseAssignment(int id) {
    std::vector<int> list = GetObjList();
    if (GetOnly())
        list.clear();
    else
        std::erase(list, id);
    SetObjList(list);
}

PlaygroundRobot* CObjTrigger::FindCarriedDelivery() {
    const int count = RobotCount();
    for (m_nRobIndex = 0; m_nRobIndex < count; ++m_nRobIndex) {
        PlaygroundRobot* robot = Robot(m_nRobIndex);
        if (!robot || !IsInContact())
            continue;
        const CGeo* geo = robot->GetCarriedGeo();
        if (!geo)
            continue;
        const std::vector<int>& list = GetObjList();
        if (std::find(list.begin(), list.end(), geo->GetId()) != list.end()) {
            UseAssignment(geo->GetId());
            return robot;
        }
    }
    return nullptr;
}

CGeo* CObjTrigger::FindPlacedDelivery() {
    if (!m_pGameState || !m_pGameState->m_pGeoList)
        return nullptr;
    const osg::BoundingBox zone = ZoneBounds();
    for (const osg::ref_ptr<CGeo>& geo : *m_pGameState->m_pGeoList) {
        const std::vector<int>& list = GetObjList();
        if (std::find(list.begin(), list.end(), geo->GetId()) == list.end())
            continue;
        if (!Meets(zone, geo->scene::SceneObject::GetBoundingBox(), GetTriggerMode(), false))
            continue;
        UseAssignment(geo->GetId());
        return geo.get();
    }
    return nullptr;
}

void CObjTrigger::Check() {
    if (Stopped() || !m_bArmed)
        return;
    const int count = RobotCount();
    if (count == 0 || GetObjList().empty() || !m_pGameState->m_pGeoList
        || m_pGameState->m_pGeoList->empty()) {
        m_bArmed = false;
        return;
    }
    if (PlaygroundRobot* robot = FindCarriedDelivery()) {
        AddScore(*robot, GetScore());
        osg::ref_ptr<CGeo> geo = robot->GetCarriedGeo();
        geo->ClearCarrier();
        const osg::BoundingBox g = geo->scene::SceneObject::GetBoundingBox();
        const scene::Transform zone = GetTransform(scene::CoordSys::Absolute);
        osg::Vec3 at = zone.GetTranslation();
        if (m_pLastPlaced) {
            const osg::BoundingBox l = m_pLastPlaced->scene::SceneObject::GetBoundingBox();
            at = l.center();
            at.x() = l.xMax() + (g.center().x() - g.xMin());
            at.z() = l.center().z() + (g.center().z() - g.zMin());
        }
        scene::Transform placed;
        placed.SetTranslation(at);
        placed.SetRotation(geo->GetStartTransform().GetRotationMatrix() * zone.GetRotationMatrix());
        geo->SetTransform(placed, scene::CoordSys::Absolute);
        geo->PushPoseToSolid();
        m_pLastPlaced = geo;
        robot->SetCarriedGeo(nullptr, scene::Transform());
        return;
    }
    if (CGeo* geo = FindPlacedDelivery()) {
        // The robot farthest from the model scores; a later robot wins a tie.
        const osg::Vec3 at = geo->GetTransform(scene::CoordSys::Absolute).GetTranslation();
        PlaygroundRobot* best = nullptr;
        float bestDistance = 0.0f;
        for (int i = 0; i < count; ++i) {
            PlaygroundRobot* robot = Robot(i);
            const CModel* rcu = robot ? robot->GetRcu() : nullptr;
            if (!rcu)
                continue;
            const float d = (rcu->GetTransform(scene::CoordSys::Absolute).GetTranslation() - at).length();
            if (!best || d >= bestDistance) {
                best = robot;
                bestDistance = d;
            }
        }
        if (best)
            AddScore(*best, GetScore());
    }
}

int CObjTrigger::LabelValue() {
    return GetOnly() ? GetScore() : GetScore() * int(GetObjList().size());
}
