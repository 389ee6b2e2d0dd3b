#include "simulation/CPathTrigger.h"

#include "elements/PlaygroundRobot.h"
#include "simulation/SGameState.h"

#include <algorithm>
#include <cmath>

namespace {

// The ground pictures are 512 pixels a side; pixels beyond the picture's own
// width and height are not looked at either.
constexpr int kPictureLimit = 512;
constexpr int kScan = 20;
constexpr float kDark = 2.5f;

} // namespace

CPathTrigger::CPathTrigger(PartContextPtr context, const std::string& address, const osg::Vec3f& scale)
    : ScoreTrigger(std::move(context), address, scale, TriggerPath) {
    SetTriggerMode(0);
}

void CPathTrigger::Check() {
    if (!m_bArmed)
        return;
    if (RobotCount() != 1) {
        m_bArmed = false;
        SetActive(true);
        return;
    }
    m_nRobIndex = 0;
    if (m_bEntered) {
        if (!IsOnLine())
            Finish(false);
        else if (!IsInContact())
            Finish(true);
    } else if (IsInContact()) {
        if (IsOnLine())
            m_bEntered = true;
        else
            Finish(false);
    }
}

void CPathTrigger::Finish(bool passed) {
    m_bArmed = false;
    SetActive(true);
    const int score = GetScore();
    PlaygroundRobot* robot = Robot(0);
    if (robot && (passed ? score > 0 : score < 0))
        AddScore(*robot, score);
}

bool CPathTrigger::IsOnLine() const {
    const osg::Image* image = m_pGameState ? m_pGameState->m_pGroundImage.get() : nullptr;
    const PlaygroundRobot* robot = Robot(0);
    const CModel* rcu = robot ? robot->GetRcu() : nullptr;
    if (!image || !rcu || !image->data())
        return false;
    const osg::Vec3 at = rcu->GetTransform(scene::CoordSys::Absolute).GetTranslation();
    if (!std::isfinite(at.x()) || !std::isfinite(at.y()))
        return false;
    const int width = image->s();
    const int height = image->t();
    // Far-off robots would overflow the pixel sums; they see no picture.
    const double limit = 1e6;
    const int x0 = int(std::clamp(double(std::trunc(at.x())), -limit, limit)) + width / 2 - kScan / 2;
    const int y0 = int(std::clamp(double(std::trunc(at.y())), -limit, limit)) + height / 2 - kScan / 2;
    const int xEnd = std::min(width, kPictureLimit);
    const int yEnd = std::min(height, kPictureLimit);
    for (int y = y0; y < y0 + kScan; ++y) {
        if (y < 0 || y >= yEnd)
            continue;
        for (int x = x0; x < x0 + kScan; ++x) {
            if (x < 0 || x >= xEnd)
                continue;
            const osg::Vec4 c = image->getColor(unsigned(x), unsigned(y));
            if (c.r() + c.g() + c.b() < kDark)
                return true;
        }
    }
    return false;
}
