#include "simulation/CPlayground.h"

#include "elements/CAlarm.h"
#include "elements/CCandle.h"
#include "elements/CGeo.h"
#include "elements/CSlope.h"
#include "elements/CTakenObj.h"
#include "elements/CWounded.h"
#include "physics/PhysicsWorld.h"
#include "physics/Solid.h"
#include "platform/Warnings.h"
#include "scene/Scene.h"
#include "simulation/CEndTrigger.h"
#include "simulation/CObjTrigger.h"
#include "simulation/CPathTrigger.h"
#include "simulation/CTakenObjTrigger.h"
#include "simulation/PlaygroundFile.h"
#include "simulation/SGameState.h"
#include "simulation/StartTrigger.h"
#include "simulation/TouchTrigger.h"

#include <QScopeGuard>

#include <osg/Geode>
#include <osg/Geometry>

#include <array>
#include <cmath>
#include <set>

namespace {

// Contact groups the playground gives its objects (the simulation's table
// says what meets what): candles stand with the ground, wounded figures and
// objects to carry are what life sensors look for, alarms what volume
// sensors hear.
constexpr int kCandleGroup = 0;
constexpr int kFigureGroup = 3;
constexpr int kAlarmGroup = 7;

// A grey plane just under the ground, so that the ground never shows the
// background through a picture with transparent parts.
void AddBasePlane(CElement& ground, float w, float l) {
    osg::ref_ptr<osg::Geometry> geometry = new osg::Geometry;
    osg::ref_ptr<osg::Vec3Array> vertices = new osg::Vec3Array;
    vertices->push_back(osg::Vec3(w, l, -0.05f));
    vertices->push_back(osg::Vec3(-w, l, -0.05f));
    vertices->push_back(osg::Vec3(-w, -l, -0.05f));
    vertices->push_back(osg::Vec3(w, -l, -0.05f));
    geometry->setVertexArray(vertices.get());
    osg::ref_ptr<osg::Vec3Array> normals = new osg::Vec3Array;
    normals->push_back(osg::Vec3(0.0f, 0.0f, 1.0f));
    geometry->setNormalArray(normals.get(), osg::Array::BIND_OVERALL);
    osg::ref_ptr<osg::Vec4Array> colours = new osg::Vec4Array;
    colours->push_back(osg::Vec4(0.8f, 0.8f, 0.8f, 1.0f));
    geometry->setColorArray(colours.get(), osg::Array::BIND_OVERALL);
    geometry->addPrimitiveSet(new osg::DrawArrays(GL_QUADS, 0, 4));
    osg::ref_ptr<osg::Geode> geode = new osg::Geode;
    geode->addDrawable(geometry.get());
    ground.GetOSGNode()->addChild(geode.get());
}

// A zero or broken quaternion from a file turns nothing; others are made unit.
osg::Quat Sound(const osg::Quat& q) {
    const double length = q.length();
    if (!(length > 0.0) || !std::isfinite(length))
        return osg::Quat();
    return q / length;
}

CTrigger* MakeTrigger(
    int kind, const PartContextPtr& context, const std::string& address, const osg::Vec3f& scale) {
    switch (kind) {
    case TriggerEnd:
        return new CEndTrigger(context, address, scale);
    case TriggerStart:
        return new StartTrigger(context, address, scale);
    case TriggerScore:
        return new ScoreTrigger(context, address, scale);
    case TriggerPath:
        return new CPathTrigger(context, address, scale);
    case TriggerTouch:
        return new TouchTrigger(context, address, scale);
    case TriggerDelivery:
        return new CObjTrigger(context, address, scale);
    case TriggerRescue:
        return new CTakenObjTrigger(context, address, scale);
    default:
        return nullptr;
    }
}

void Warn(const std::string& text) {
    platform::Warn("simulation", text);
}

} // namespace

CPlayground::CPlayground(SGameState* gameState, physics::PhysicsWorld* simulator, int contactGroup,
    float halfWidth, float halfLength, const std::string& imageFile)
    : m_pGameState(gameState)
    , m_pSimulator(simulator)
    , m_nGroup(contactGroup)
    , m_sImage(imageFile) {
    m_pGameState->ClearStop();
    m_pGameState->m_pGroundImage = nullptr;
    m_pGameState->m_pGeoList = &m_vGeo;
    m_pGround = new Floor(halfWidth, halfLength, m_sImage, m_pSimulator, m_nGroup);
    if (scene::Scene* scene = m_pGameState->GetScene())
        scene->AddDrawable(m_pGround.get());
    AddBasePlane(*m_pGround, halfWidth, halfLength);
}

CPlayground::~CPlayground() {
    if (m_pGameState && m_pGameState->m_pGeoList == &m_vGeo)
        m_pGameState->m_pGeoList = nullptr;
}

void CPlayground::ShowDefaultGround() {
    m_pGround->SetImage(kDefaultGround);
    m_pGameState->m_vElements.push_back(m_pGround.get());
    m_pGameState->m_pGroundImage = m_pGround->GetSolidImage();
}

bool CPlayground::Refuse(
    const std::string& path, const std::string& why, const PlaygroundFile::Refusal& refusal) {
    m_sLoadError = why;
    m_loadRefusal = refusal;
    Warn("playground " + path + " not loaded: " + why);
    // A playground that holds nothing yet still gets its ground.
    if (m_pGameState->m_vElements.empty())
        ShowDefaultGround();
    return false;
}

bool CPlayground::LoadFromFile(const std::string& path) {
    m_pGameState->ClearStop();
    m_bFirstStep = true;
    m_sLoadError.clear();
    m_loadRefusal = PlaygroundFile::Refusal();
    if (!m_pGameState->GetScene() || !m_pSimulator)
        return Refuse(path, "the simulation has no scene or no physics world", {});
    PlaygroundFile file;
    std::string error;
    PlaygroundFile::Refusal refusal;
    if (!file.Load(path, error, &refusal))
        return Refuse(path, error, refusal);
    // The picture goes through a file of its own; it must be one the
    // ground can show before anything of the old playground goes. The
    // builder's rule holds here too: a picture of another format than PNG
    // is converted, one of the wrong size refused.
    std::string picture = kDefaultGround;
    if (file.image) {
        picture = GroundPictureCopy();
        const GroundPicture::Check check = GroundPicture::Store(*file.image, picture);
        if (check.fault != GroundPicture::Fault::None) {
            refusal = PlaygroundFile::PictureRefusal(check, error);
            return Refuse(path, error, refusal);
        }
    }
    Clear();
    m_sFileName = path;
    if (std::vector<int>* rules = m_pGameState->GetRules())
        *rules = file.rules;
    m_pGround->SetImage(picture);
    m_pGameState->m_vElements.push_back(m_pGround.get());
    Build(file);
    m_pGameState->m_pGroundImage = m_pGround->GetSolidImage();
    return true;
}

void CPlayground::Build(const PlaygroundFile& file) {
    scene::Scene* scene = m_pGameState->GetScene();
    const PartContextPtr context = m_pGameState->GetPartContext();
    // Items without an id are numbered in load order, past the ids that
    // other items bring, so that no two objects share an id (delivery zones
    // name their objects by id).
    std::set<int> usedIds;
    for (const std::vector<PlaygroundFile::Item>& items : file.arrays) {
        for (const PlaygroundFile::Item& item : items) {
            if (item.hasId)
                usedIds.insert(item.id);
        }
    }
    int nextId = 0;
    auto newId = [&] {
        while (usedIds.contains(nextId))
            ++nextId;
        return nextId++;
    };
    for (int array : PlaygroundFile::kSimulationOrder) {
        for (const PlaygroundFile::Item& item : file.arrays[std::size_t(array)]) {
            const std::string& address = item.info.m_desc.m_strAddress;
            const CModelState& state = item.info.m_state;
            osg::ref_ptr<CModel> object;
            osg::ref_ptr<CTrigger> trigger;
            switch (array) {
            case PlaygroundFile::ArraySlope:
                object = new CSlope(context, address, state.m_vScale);
                break;
            case PlaygroundFile::ArrayGeometry:
                object = new CGeo(context, address, state.m_vScale);
                break;
            case PlaygroundFile::ArrayCandle:
                object = new CCandle(context, address);
                break;
            case PlaygroundFile::ArrayTrigger:
                trigger = MakeTrigger(item.info.m_desc.m_nSubType, context, address, state.m_vScale);
                if (!trigger) {
                    Warn("playground " + m_sFileName + ": a zone of unknown kind "
                        + std::to_string(item.info.m_desc.m_nSubType) + " is left out");
                    continue;
                }
                object = trigger;
                break;
            case PlaygroundFile::ArrayWounded:
                object = new CWounded(context, address);
                break;
            case PlaygroundFile::ArrayTakenObj:
                object = new CTakenObj(context, address);
                break;
            default:
                object = new CAlarm(context, address);
                break;
            }
            if (!object->LoadModel()) {
                Warn("playground " + m_sFileName + ": the model " + address
                    + " does not load; it is left out");
                continue;
            }
            if (array == PlaygroundFile::ArrayTrigger && trigger->GetSubType() == TriggerPath)
                trigger->SetActive(false);
            m_pGameState->m_vElements.push_back(object.get());
            switch (array) {
            case PlaygroundFile::ArraySlope:
            case PlaygroundFile::ArrayGeometry:
                object->CreateSolid(m_pSimulator, m_nGroup);
                break;
            case PlaygroundFile::ArrayCandle:
                object->CreateSolid(m_pSimulator, kCandleGroup);
                break;
            case PlaygroundFile::ArrayWounded:
            case PlaygroundFile::ArrayTakenObj:
                object->CreateSolid(m_pSimulator, kFigureGroup);
                break;
            case PlaygroundFile::ArrayAlarm:
                object->CreateSolid(m_pSimulator, kAlarmGroup);
                break;
            default:
                break;
            }
            scene->AddDrawable(object.get());

            object->SetTransform(scene::Transform(state.m_vPos, osg::Vec3()), scene::CoordSys::Absolute);
            object->Rotate(Sound(state.m_qRot));
            if (!trigger)
                object->PushPoseToSolid();
            const bool isStatic = array == PlaygroundFile::ArraySlope || array == PlaygroundFile::ArrayWounded
                || array == PlaygroundFile::ArrayTakenObj;
            if (isStatic && object->GetSolid())
                object->GetSolid()->setStatic(true);

            switch (array) {
            case PlaygroundFile::ArraySlope:
                m_vSlope.push_back(static_cast<CSlope*>(object.get()));
                break;
            case PlaygroundFile::ArrayGeometry: {
                CGeo* geo = static_cast<CGeo*>(object.get());
                geo->SetGameState(m_pGameState);
                geo->SetTake(state.m_cTake == 1 ? 1 : 0);
                m_vGeo.push_back(geo);
                break;
            }
            case PlaygroundFile::ArrayCandle: {
                CCandle* candle = static_cast<CCandle*>(object.get());
                candle->SetGameState(m_pGameState);
                candle->LightFlame();
                m_vCandle.push_back(candle);
                break;
            }
            case PlaygroundFile::ArrayTrigger: {
                trigger->SetGameState(m_pGameState);
                CModelState& zone = trigger->GetState();
                zone.m_nScore = state.m_nScore;
                zone.m_nTriggerMode = state.m_nTriggerMode;
                for (int k = 0; k < 4; ++k)
                    zone.m_cFlag[k] = state.m_cFlag[k] == 1 ? 1 : 0;
                if (trigger->GetSubType() != TriggerStart) {
                    ScoreTrigger* scored = static_cast<ScoreTrigger*>(trigger.get());
                    scored->CreateLabel();
                    scene->AddDrawable(scored->GetLabel());
                }
                if (trigger->GetSubType() == TriggerDelivery) {
                    trigger->SetObjList(state.m_vecObjList);
                    trigger->SetOnly(state.m_cOnly == 1 ? 1 : 0);
                }
                m_vTrigger.push_back(trigger);
                break;
            }
            case PlaygroundFile::ArrayWounded: {
                CWounded* wounded = static_cast<CWounded*>(object.get());
                wounded->SetGameState(m_pGameState);
                m_vWounded.push_back(wounded);
                break;
            }
            case PlaygroundFile::ArrayTakenObj: {
                CTakenObj* taken = static_cast<CTakenObj*>(object.get());
                taken->SetGameState(m_pGameState);
                m_vTakenObj.push_back(taken);
                break;
            }
            default: {
                CAlarm* alarm = static_cast<CAlarm*>(object.get());
                alarm->SetGameState(m_pGameState);
                m_vAlarm.push_back(alarm);
                break;
            }
            }
            object->SetId(item.hasId ? item.id : newId());
        }
    }
}

void CPlayground::Clear() {
    if (scene::Scene* scene = m_pGameState->GetScene()) {
        for (const osg::ref_ptr<CSlope>& slope : m_vSlope)
            scene->RemoveDrawable(slope.get());
        for (const osg::ref_ptr<CGeo>& geo : m_vGeo)
            scene->RemoveDrawable(geo.get());
        for (const osg::ref_ptr<CCandle>& candle : m_vCandle)
            scene->RemoveDrawable(candle.get());
        for (const osg::ref_ptr<CTrigger>& trigger : m_vTrigger) {
            if (trigger->GetSubType() != TriggerStart)
                scene->RemoveDrawable(static_cast<ScoreTrigger*>(trigger.get())->GetLabel());
            trigger->SetActive(true);
            scene->RemoveDrawable(trigger.get());
        }
        for (const osg::ref_ptr<CWounded>& wounded : m_vWounded) {
            wounded->SetActive(true);
            scene->RemoveDrawable(wounded.get());
        }
        for (const osg::ref_ptr<CTakenObj>& taken : m_vTakenObj) {
            taken->SetActive(true);
            scene->RemoveDrawable(taken.get());
        }
        for (const osg::ref_ptr<CAlarm>& alarm : m_vAlarm)
            scene->RemoveDrawable(alarm.get());
    }
    m_pGameState->m_vElements.clear();
    m_vSlope.clear();
    m_vCandle.clear();
    m_vTrigger.clear();
    m_vWounded.clear();
    m_vAlarm.clear();
    for (const osg::ref_ptr<CTakenObj>& taken : m_vTakenObj)
        taken->Release();
    m_vTakenObj.clear();
    for (const osg::ref_ptr<CGeo>& geo : m_vGeo)
        geo->Release();
    m_vGeo.clear();
}

void CPlayground::Unload() {
    Clear();
    m_sFileName.clear();
    m_sLoadError.clear();
    if (std::vector<int>* rules = m_pGameState->GetRules())
        rules->clear();
    m_pGameState->ClearStop();
    m_bFirstStep = true;
    ShowDefaultGround();
}

void CPlayground::Step() {
    if (m_pGameState->m_bStop)
        return;
    // The robots' boxes are measured once per step, not once per object.
    m_pGameState->BeginStillRound();
    const auto endRound = qScopeGuard([this] { m_pGameState->EndStillRound(); });
    const bool first = m_bFirstStep;
    m_bFirstStep = false;
    // The zones of each kind counted so far, the one being checked included.
    std::array<int, TriggerRescue + 1> counted {};
    for (const osg::ref_ptr<CTrigger>& trigger : m_vTrigger) {
        const int kind = trigger->GetSubType();
        const int number = kind >= 0 && kind <= TriggerRescue ? ++counted[std::size_t(kind)] : 0;
        const bool armed = trigger->IsArmed();
        trigger->Check();
        // A zone that acts while a robot is outside it acts in the first
        // frame when no robot starts in it: the run is told which and why.
        const int mode = trigger->GetTriggerMode();
        const bool leave = mode != 0 && mode != 1;
        const bool acted = kind == TriggerEnd
            ? m_pGameState->m_bStop
            : (kind == TriggerScore || kind == TriggerTouch) && armed && !trigger->IsArmed();
        if (first && leave && acted)
            m_pGameState->m_vecLeaveAtOnce.push_back({ kind, number });
        if (m_pGameState->m_bStop) {
            // A run stopped before anything happened is told why.
            if (kind == TriggerStart) {
                m_pGameState->m_nStopStartZone = number;
                m_pGameState->m_nStopStartZoneMode = mode;
            }
            return;
        }
    }
    for (const osg::ref_ptr<CWounded>& wounded : m_vWounded)
        wounded->Step();
    for (const osg::ref_ptr<CTakenObj>& taken : m_vTakenObj)
        taken->Step();
    for (const osg::ref_ptr<CCandle>& candle : m_vCandle)
        candle->Step();
    for (const osg::ref_ptr<CAlarm>& alarm : m_vAlarm)
        alarm->Step();
    for (const osg::ref_ptr<CGeo>& geo : m_vGeo)
        geo->Step();
    RefreshPoses();
}

void CPlayground::RefreshPoses() {
    for (const osg::ref_ptr<CGeo>& geo : m_vGeo) {
        if (geo->IsTakeable())
            geo->UpdateFromSolid();
    }
    for (const osg::ref_ptr<CCandle>& candle : m_vCandle)
        candle->UpdateFromSolid();
    for (const osg::ref_ptr<CAlarm>& alarm : m_vAlarm)
        alarm->UpdateFromSolid();
}

void CPlayground::UpdateScoreLabels() {
    for (const osg::ref_ptr<CTrigger>& trigger : m_vTrigger) {
        if (trigger->GetSubType() != TriggerStart)
            static_cast<ScoreTrigger*>(trigger.get())->UpdateLabel();
    }
}
