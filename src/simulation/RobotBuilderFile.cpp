#include "simulation/RobotBuilderFile.h"

#include "elements/CBrick.h"
#include "elements/Geometry.h"
#include "foundation/CConfig.h"
#include "platform/Warnings.h"
#include "platform/WholeFile.h"
#include "simulation/CSensor.h"
#include "simulation/RobotPartFactory.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <exception>
#include <new>

namespace {

bool IsWritten(int type) {
    return type == ModelTypeRcu || type == ModelTypeBrick || type == ModelTypeWheel || type == ModelTypeMotor
        || type == ModelTypeSensor || type == ModelTypeColoredLight;
}

bool IsWired(int type) {
    return type == ModelTypeMotor || type == ModelTypeSensor || type == ModelTypeColoredLight;
}

SRobotFilePart Describe(const CModel& part) {
    SRobotFilePart p;
    p.m_strAddress = part.GetAddress();
    p.m_bHasAddress = true;
    p.m_nId = part.GetId();
    const CModelState& state = part.GetState();
    p.m_vPos = osg::Vec3d(state.m_vPos);
    p.m_qRot = state.m_qRot;
    p.m_vColor = osg::Vec4d(part.GetDesc().m_vColor);
    p.m_nSensor = part.GetSubType();
    p.m_nPort = state.m_nPort;
    p.m_nOpposite = state.m_nOpposite;
    p.m_nRayDis = state.m_nRayDis;
    p.m_bHasRayDis = true;
    return p;
}

std::vector<SRobotFilePart>* SectionOf(RobotFileData& data, int type) {
    switch (type) {
    case ModelTypeBrick:
        return &data.m_vecBricks;
    case ModelTypeWheel:
        return &data.m_vecWheels;
    case ModelTypeMotor:
        return &data.m_vecMotors;
    case ModelTypeSensor:
        return &data.m_vecSensors;
    case ModelTypeColoredLight:
        return &data.m_vecLights;
    default:
        return nullptr;
    }
}

// The colour a file gives a brick: its own when its alpha is exactly 1,
// otherwise the default part colour.
osg::Vec4f FileColour(const osg::Vec4d& c, const SRobotFileState& state) {
    if (c.w() == 1.0)
        return osg::Vec4f(float(c.x()), float(c.y()), float(c.z()), 1.0f);
    return state.m_pPartContext->Constants().partColor;
}

scene::Transform FileTransform(const SRobotFilePart& p) {
    scene::Transform t;
    t.SetTranslation(osg::Vec3(p.m_vPos));
    t.SetRotation(p.m_qRot);
    return t;
}

void SetProgress(SRobotFileState& state, int value) {
    state.m_nProgress.store(value, std::memory_order_relaxed);
}

int LoadXml(SRobotFileState& state, const RobotFileData& file) {
    const SRobotFilePart& unit = file.m_rcu;
    const std::string rcuAddress
        = unit.m_bHasAddress ? unit.m_strAddress : "models/" + unit.m_strTag + ".ive";
    if (!MakeBuilderPart(state, ModelTypeRcu, rcuAddress, FileTransform(unit), std::nullopt, unit.m_nId, 0, 0,
            0, unit.m_nRayDis)) {
        state.m_fault = RobotFileFault::NoModel;
        state.m_strFaultPlace = rcuAddress;
        return kRobotLoadFailed;
    }
    // The control unit's id is taken too, so that no later part shares it.
    state.m_nBuildCounter = std::max(state.m_nBuildCounter, unit.m_nId + 1);
    // k counts the parts read, the one being read included.
    int k = 0;
    const std::pair<int, const std::vector<SRobotFilePart>*> sections[]
        = { { ModelTypeBrick, &file.m_vecBricks }, { ModelTypeWheel, &file.m_vecWheels },
              { ModelTypeMotor, &file.m_vecMotors }, { ModelTypeSensor, &file.m_vecSensors },
              { ModelTypeColoredLight, &file.m_vecLights } };
    for (const auto& [kind, parts] : sections) {
        for (const SRobotFilePart& p : *parts) {
            ++k;
            SetProgress(state, k * 99 / file.m_nPartCount + 1);
            const std::string address = p.m_bHasAddress ? p.m_strAddress : "models/" + p.m_strTag + ".ive";
            std::optional<osg::Vec4f> colour;
            if (kind == ModelTypeBrick)
                colour = FileColour(p.m_vColor, state);
            if (MakeBuilderPart(state, kind, address, FileTransform(p), colour, p.m_nId, p.m_nPort,
                    p.m_nSensor, p.m_nOpposite, p.m_bHasRayDis ? p.m_nRayDis : 255))
                state.m_nBuildCounter = std::max(state.m_nBuildCounter, p.m_nId + 1);
        }
    }
    return kRobotLoaded;
}

int LoadOlder(SRobotFileState& state, const RobotFileData& file) {
    SetProgress(state, 1);
    if (!MakeBuilderPart(state, ModelTypeRcu, file.m_rcu.m_strAddress, FileTransform(file.m_rcu),
            std::nullopt, 0, 0, 0, 0, 255)) {
        state.m_fault = RobotFileFault::NoModel;
        state.m_strFaultPlace = file.m_rcu.m_strAddress;
        return kRobotLoadFailed;
    }
    state.m_nBuildCounter = std::max(state.m_nBuildCounter, 1);
    int progress = 1;
    const std::pair<int, const std::vector<SRobotFilePart>*> arrays[]
        = { { ModelTypeBrick, &file.m_vecBricks }, { ModelTypeWheel, &file.m_vecWheels },
              { ModelTypeMotor, &file.m_vecMotors }, { ModelTypeSensor, &file.m_vecSensors } };
    for (const auto& [kind, parts] : arrays) {
        for (const SRobotFilePart& p : *parts) {
            std::optional<osg::Vec4f> colour;
            if (kind == ModelTypeBrick)
                colour = FileColour(p.m_vColor, state);
            if (MakeBuilderPart(state, kind, p.m_strAddress, FileTransform(p), colour, state.m_nBuildCounter,
                    p.m_nPort, p.m_nSensor, 0, 255))
                ++state.m_nBuildCounter;
        }
        progress += 24;
        SetProgress(state, progress);
    }
    return kRobotLoaded;
}

// The join of a motor and the wheel that sits on its shaft (CModel::SitsOnAxle),
// as the join search writes one: the hub's position less the first part's,
// and the shaft's direction.
std::optional<SRobotFileJoin> AxleJoin(const CModel& motor, const CModel& wheel, const osg::Vec3f& first) {
    int shaft = -1;
    int hub = -1;
    if (!motor.FindAxlePair(&wheel, shaft, hub))
        return std::nullopt;
    SRobotFileJoin join;
    join.m_nId = motor.GetId();
    join.m_nId2 = wheel.GetId();
    osg::Vec3f at;
    wheel.GetPortPoint(at, hub, -1);
    join.m_vPoint = osg::Vec3d(at - first);
    join.m_vAxes = osg::Vec3d(RotateVec3(motor.GetPoint(shaft)->m_vDir, motor.GetState().m_mRot));
    return join;
}

// The join of a motor and a wheel: by the join search, and where that finds
// no pair, a wheel against the motor's shaft, as the builder draws it on the
// shaft, is the motor's wheel too.
std::optional<SRobotFileJoin> MotorWheelJoin(CModel& motor, CModel& wheel, const osg::Vec3f& first) {
    SPartOwner* owner = motor.GetOwner();
    if (!owner)
        return std::nullopt;
    SSnapState& snap = owner->m_snap;
    snap.m_vJoinOffset = first;
    if (motor.Overlaps(&wheel, true, true) && motor.SnapToModel(&wheel, 1, true) && snap.m_nCurKind == 1) {
        snap.m_vecJoinList.push_back(motor.GetId());
        SRobotFileJoin join;
        join.m_nId = motor.GetId();
        join.m_nId2 = wheel.GetId();
        join.m_vPoint = osg::Vec3d(snap.m_vJoinOffset);
        join.m_vAxes = osg::Vec3d(snap.m_vJoinDir);
        return join;
    }
    return AxleJoin(motor, wheel, first);
}

} // namespace

std::vector<int> IdleMotors(const RobotFileData& data, double portLimit) {
    std::vector<int> idle;
    std::vector<int> driven;
    for (std::size_t i = 0; i < data.m_vecMotors.size(); ++i) {
        const int id = data.m_vecMotors[i].m_nId;
        const auto join = std::find_if(data.m_vecJoinMotors.begin(), data.m_vecJoinMotors.end(),
            [id](const SRobotFileJoin& j) { return j.m_nId == id; });
        const auto wheel = join == data.m_vecJoinMotors.end()
            ? data.m_vecWheels.end()
            : std::find_if(data.m_vecWheels.begin(), data.m_vecWheels.end(),
                [&](const SRobotFilePart& w) { return w.m_nId == join->m_nId2; });
        bool drives = wheel != data.m_vecWheels.end()
            && std::find(driven.begin(), driven.end(), wheel->m_nId) == driven.end();
        if (drives) {
            // The run turns wheels about the robot's x axis only.
            const osg::Vec3d axle = wheel->m_qRot * osg::Vec3d(1.0, 0.0, 0.0);
            drives = std::fabs(axle.x()) / std::max(axle.length(), 1e-12) > portLimit;
        }
        if (drives)
            driven.push_back(wheel->m_nId);
        else
            idle.push_back(int(i));
    }
    return idle;
}

std::vector<const CModel*> IdleMotorParts(const std::vector<osg::ref_ptr<CModel>>& parts) {
    RobotFileData data;
    std::vector<const CModel*> motors;
    const osg::Vec3f first = !parts.empty() && parts[0] ? parts[0]->GetState().m_vPos : osg::Vec3f();
    double portLimit = 0.0;
    for (const osg::ref_ptr<CModel>& part : parts) {
        if (part && part->GetType() == ModelTypeWheel)
            data.m_vecWheels.push_back(Describe(*part));
    }
    for (const osg::ref_ptr<CModel>& part : parts) {
        if (!part || part->GetType() != ModelTypeMotor)
            continue;
        portLimit = part->Constants().portLimit;
        motors.push_back(part.get());
        data.m_vecMotors.push_back(Describe(*part));
        SPartOwner* owner = part->GetOwner();
        // The search leaves the snapping state as it found it: a pair the
        // builder keeps while carrying stays.
        const std::optional<SSnapState> kept
            = owner ? std::optional<SSnapState>(owner->m_snap) : std::nullopt;
        for (const osg::ref_ptr<CModel>& wheel : parts) {
            if (!wheel || wheel->GetType() != ModelTypeWheel)
                continue;
            if (const std::optional<SRobotFileJoin> join = MotorWheelJoin(*part, *wheel, first))
                data.m_vecJoinMotors.push_back(*join);
        }
        if (kept)
            owner->m_snap = *kept;
    }
    std::vector<const CModel*> idle;
    for (int index : IdleMotors(data, portLimit))
        idle.push_back(motors[std::size_t(index)]);
    return idle;
}

RobotFileData CollectRobotFile(const std::vector<osg::ref_ptr<CModel>>& parts, std::atomic<int>* progress) {
    RobotFileData data;
    data.m_nPartCount = int(parts.size());
    const int n = int(parts.size());
    std::vector<std::string> addresses;
    for (int i = 0; i < n; ++i) {
        if (progress)
            progress->store(i * 99 / n + 1, std::memory_order_relaxed);
        CModel* part = parts[std::size_t(i)].get();
        if (!part || !IsWritten(part->GetType()))
            continue;
        const int type = part->GetType();
        if (type == ModelTypeRcu) {
            // A robot has one control unit; should a list hold more, the
            // first is the one that "rcu" keeps.
            if (!data.m_bHasRcu) {
                data.m_rcu = Describe(*part);
                data.m_bHasRcu = true;
            }
        } else {
            SectionOf(data, type)->push_back(Describe(*part));
        }
        if (IsWired(type))
            data.m_vecJoinIds.push_back(part->GetId());
        const std::string address = part->GetAddress();
        auto counted = std::find_if(data.m_vecCounts.begin(), data.m_vecCounts.end(),
            [&](const SRobotFileCount& c) { return c.m_strAddress == address; });
        if (counted == data.m_vecCounts.end())
            data.m_vecCounts.push_back({ address, 1 });
        else
            ++counted->m_nCount;

        SPartOwner* owner = part->GetOwner();
        if (!owner)
            continue;
        SSnapState& snap = owner->m_snap;
        for (int j = 0; j < n; ++j) {
            CModel* other = parts[std::size_t(j)].get();
            if (j == i || !other)
                continue;
            const osg::Vec3f first = parts[0] ? parts[0]->GetState().m_vPos : osg::Vec3f();
            if (type == ModelTypeMotor && other->GetType() == ModelTypeWheel) {
                if (const std::optional<SRobotFileJoin> join = MotorWheelJoin(*part, *other, first))
                    data.m_vecJoinMotors.push_back(*join);
                continue;
            }
            snap.m_vJoinOffset = first;
            if (!part->Overlaps(other, true, true) || !part->SnapToModel(other, 1, true))
                continue;
            snap.m_vecJoinList.push_back(part->GetId());
            SRobotFileJoin join;
            join.m_nId = part->GetId();
            join.m_nId2 = other->GetId();
            join.m_vPoint = osg::Vec3d(snap.m_vJoinOffset);
            join.m_vAxes = osg::Vec3d(snap.m_vJoinDir);
            if (snap.m_nCurKind == 1 && type == ModelTypeMotor && other->GetType() == ModelTypeWheel)
                data.m_vecJoinMotors.push_back(join);
            else if (type == ModelTypeWheel || other->GetType() == ModelTypeWheel)
                data.m_vecJoinLines.push_back(join);
        }
    }
    return data;
}

int SaveRobotFile(SRobotFileState& state) {
    state.m_fault = RobotFileFault::None;
    state.m_nFileError = 0;
    state.m_strFaultPlace.clear();
    if (state.m_vecAllParts.empty()) {
        state.m_fault = RobotFileFault::Nothing;
        return kRobotSaveFailed;
    }
    try {
        const RobotFileData data = CollectRobotFile(state.m_vecAllParts, &state.m_nProgress);
        int error = 0;
        if (!simulation::SaveRobotFileText(state.m_strRobotFile, simulation::WriteRobotXml(data), &error)) {
            platform::Warn("simulation",
                "robot file " + state.m_strRobotFile + " not saved: " + platform::SystemReason(error));
            state.m_fault = RobotFileFault::Unwritable;
            state.m_nFileError = error;
            return kRobotSaveFailed;
        }
        state.m_vecIdleMotors = IdleMotors(data,
            state.m_pPartContext ? state.m_pPartContext->Constants().portLimit : PartConstants().portLimit);
    } catch (const std::bad_alloc&) {
        platform::Warn("simulation", "saving robot file " + state.m_strRobotFile + " failed: out of memory");
        state.m_fault = RobotFileFault::Unwritable;
        state.m_nFileError = ENOMEM;
        return kRobotSaveFailed;
    } catch (const std::exception& e) {
        platform::Warn("simulation", "saving robot file " + state.m_strRobotFile + " failed: " + e.what());
        state.m_fault = RobotFileFault::Unwritable;
        state.m_nFileError = EIO;
        return kRobotSaveFailed;
    }
    return kRobotSaved;
}

int LoadRobotFile(SRobotFileState& state) {
    const std::size_t before = state.m_vecAllParts.size();
    const int counter = state.m_nBuildCounter;
    int result = kRobotLoadFailed;
    state.m_fault = RobotFileFault::None;
    state.m_nFileError = 0;
    state.m_strFaultPlace.clear();
    // Whatever goes wrong while a file is read ends as a failed load: the
    // structured-value reader refuses damaged documents by throwing, and an
    // allocation may fail on a huge file.
    try {
        std::string text;
        RobotFileData file;
        std::string refusal;
        if (!state.m_pConfig || !state.m_pPartContext) {
            state.m_fault = RobotFileFault::Unreadable;
            state.m_nFileError = EINVAL;
        } else if (!simulation::ReadRobotFileText(state.m_strRobotFile, text, &state.m_nFileError)) {
            state.m_fault = RobotFileFault::Unreadable;
        } else {
            using simulation::RobotFileStatus;
            RobotFileStatus status = simulation::ParseRobotXml(text, file, &refusal, &state.m_strFaultPlace);
            bool older = false;
            if (status == RobotFileStatus::NoData) {
                older = simulation::ParseOlderRobotLayout(text, file, &refusal, &state.m_strFaultPlace);
                if (older)
                    status = RobotFileStatus::Read;
                else if (!refusal.empty())
                    status = RobotFileStatus::UnsafeAddress;
            }
            switch (status) {
            case RobotFileStatus::Read:
                result = older ? LoadOlder(state, file) : LoadXml(state, file);
                break;
            case RobotFileStatus::NotXml:
            case RobotFileStatus::NoData:
                state.m_fault = RobotFileFault::NotARobot;
                break;
            case RobotFileStatus::NoRcu:
            case RobotFileStatus::NoPartCount:
            case RobotFileStatus::NoRcuPart:
                state.m_fault = RobotFileFault::NoControlUnit;
                break;
            case RobotFileStatus::UnsafeAddress:
                state.m_fault = RobotFileFault::UnsafeAddress;
                break;
            }
        }
        if (!refusal.empty())
            platform::Warn("simulation", "robot file " + state.m_strRobotFile + " is refused: " + refusal);
    } catch (const std::exception& e) {
        platform::Warn("simulation", "loading robot file " + state.m_strRobotFile + " failed: " + e.what());
        result = kRobotLoadFailed;
        state.m_fault = RobotFileFault::NotARobot;
    }
    if (result != kRobotLoaded) {
        state.m_vecAllParts.resize(before);
        state.m_nBuildCounter = counter;
    }
    return result;
}

CModel* MakeBuilderPart(SRobotFileState& state, int kind, const std::string& address,
    const scene::Transform& transform, const std::optional<osg::Vec4f>& colour, int id, int port,
    int sensorKind, int opposite, int rayDistance) {
    if (!state.m_pConfig || !state.m_pPartContext)
        return nullptr;
    osg::ref_ptr<CModel> part
        = MakeRobotPart(kind, sensorKind, state.m_pPartContext, address, state.m_pConfig->m_bIsE);
    if (!part || !part->LoadModel())
        return nullptr;
    if (kind == ModelTypeBrick && colour && state.m_pConfig->IsColorObj(address)) {
        part->GetDesc().m_vColor = *colour;
        static_cast<CBrick*>(part.get())->ApplyColor();
    }
    if (IsWired(kind))
        part->SetPort(port);
    if (kind == ModelTypeMotor)
        part->SetOpposite(opposite == 1 ? 1 : 0);
    // The file's ray distance is kept, so that saving a loaded robot again
    // loses nothing of it.
    part->SetRayDis(rayDistance);
    part->SetId(id);
    state.m_vecAllParts.push_back(part);
    part->SetTransform(transform, scene::CoordSys::Absolute);
    part->Place(state.m_pPartOwner, PlaceFromFile);
    return part.get();
}
