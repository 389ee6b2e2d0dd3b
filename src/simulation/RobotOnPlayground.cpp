#include "simulation/RobotOnPlayground.h"

#include "elements/CGeo.h"
#include "elements/CTakenObj.h"
#include "simulation/CRcu.h"
#include "simulation/CRob.h"
#include "simulation/SGameState.h"

RobotOnPlayground::RobotOnPlayground(CRob* robot, const SGameState& state)
    : m_pRob(robot)
    , m_state(state) { }

bool RobotOnPlayground::GetBodyBounds(osg::BoundingBox& box) const {
    const unsigned round = m_state.GetStillRound();
    if (round == 0 || round != m_nBoundsRound) {
        m_bHasBounds = PlaygroundRobot::GetBodyBounds(m_bounds);
        m_nBoundsRound = round;
    }
    box = m_bounds;
    return m_bHasBounds;
}

CModel* RobotOnPlayground::GetRcu() const {
    const CRob* robot = m_pRob.get();
    return robot ? robot->GetRcu() : nullptr;
}

int RobotOnPlayground::GetScore() const {
    const CRob* robot = m_pRob.get();
    return robot ? robot->GetScore() : 0;
}

void RobotOnPlayground::SetScore(int score) {
    if (CRob* robot = m_pRob.get())
        robot->SetScore(score);
}

CGeo* RobotOnPlayground::GetCarriedGeo() const {
    CRob* robot = m_pRob.get();
    return robot ? dynamic_cast<CGeo*>(robot->GetCarriedGeo().get()) : nullptr;
}

void RobotOnPlayground::SetCarriedGeo(CGeo* geo, const scene::Transform& transform) {
    if (CRob* robot = m_pRob.get()) {
        robot->GetCarriedGeo() = geo;
        robot->GetCarriedGeoTransform() = transform;
    }
}

int RobotOnPlayground::GetCarriedObjectCount() const {
    CRob* robot = m_pRob.get();
    return robot ? int(robot->GetCarriedObjects().size()) : 0;
}

CTakenObj* RobotOnPlayground::GetCarriedObject(int index) const {
    CRob* robot = m_pRob.get();
    if (!robot || index < 0 || index >= int(robot->GetCarriedObjects().size()))
        return nullptr;
    return dynamic_cast<CTakenObj*>(robot->GetCarriedObjects()[std::size_t(index)].get());
}

void RobotOnPlayground::AddCarriedObject(CTakenObj* object, const scene::Transform& transform) {
    if (CRob* robot = m_pRob.get()) {
        robot->GetCarriedObjects().push_back(object);
        robot->GetCarriedTransforms().push_back(transform);
    }
}

void RobotOnPlayground::ClearCarriedObjects() {
    if (CRob* robot = m_pRob.get()) {
        robot->GetCarriedObjects().clear();
        robot->GetCarriedTransforms().clear();
    }
}
