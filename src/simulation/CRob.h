#pragma once

#include "elements/CModel.h"
#include "elements/PartContext.h"
#include "physics/Handle.h"
#include "physics/Joint.h"
#include "physics/PhysicsWorld.h"
#include "scene/Transform.h"
#include "simulation/RobotLoadFault.h"

#include <osg/Array>
#include <osg/BoundingBox>
#include <osg/Quat>
#include <osg/Referenced>
#include <osg/Vec3f>
#include <osg/observer_ptr>
#include <osg/ref_ptr>

#include <atomic>
#include <string>
#include <vector>

class CBrick;
class CColoredLight;
class CConfig;
class CMotor;
class CRcu;
class CSensor;
class CWheel;
struct RobotFileData;

namespace scene {
class Label;
class Scene;
class SceneObject;
class Transformable;
} // namespace scene

// One robot of a simulation run, built from its robot file: its parts with
// their solids and joints, the texts it exchanges with its program in every
// step, its score, the objects the playground's rules let it carry, a
// floating name label and, while sensor effects are shown, a trail.
//
// A robot is built in two halves, so that the robot loader's thread can do
// the slow half: ReadRobotFile reads the file and makes the parts with their
// models, in any thread and touching neither scene nor physics;
// PlaceInWorld, in the GUI thread, gives them solids, joints and probes and
// puts the robot at its start pose. Load does both. Everything else runs in
// the GUI thread, inside the simulation's frame step.
//
// Scores change only through SetScore and GetScore: the playground's
// objects and trigger zones and the end-of-run table all go through them.
class CRob : public osg::Referenced {
public:
    // The robot of a robot file, to be built into the scene and the physics
    // world with its parts in contactGroup (the loader gives 1). The
    // configuration supplies the studio's settings, the keyboard drive and
    // the score's digit form, and must outlive the robot.
    CRob(const std::string& file, scene::Scene* scene, physics::PhysicsWorld* world, int contactGroup,
        const CConfig& config, PartContextPtr parts);

    // Results of loading.
    static constexpr int kUnreadable = 0;
    static constexpr int kLoaded = 1;
    static constexpr int kBreaksRules = 2;

    // Reads the robot file and builds the robot at its start pose: 1 loaded,
    // 0 unreadable (no file, no "data" or "rcu", a part count of 0, a
    // control unit whose model does not load), 2 against the playground's
    // rules (more parts than rule 0 allows, a sensor model over its limit or
    // not in the sensor model table). The progress goes from index x 100 /
    // count towards (index + 1) x 100 / count while the parts are read. With
    // addToScene the control unit and the name label go into the scene at
    // once; otherwise the simulation adds them. A robot that fails has
    // nothing in the scene or the physics world.
    int Load(std::atomic<int>* progress, int index, int count, const std::vector<int>& rules,
        const std::vector<std::string>& sensorModels, const osg::Vec3f& startPosition,
        const osg::Quat& startRotation, bool addToScene);
    // Why the last read gave 0 or 2.
    RobotLoadFault GetLoadFault() const { return m_loadFault; }
    // After a read that gave 2: the limit the robot broke.
    const RobotRuleBreak& GetRuleBreak() const { return m_ruleBreak; }

    // The first half: reads the file and makes the parts, posed as the file
    // has them below the control unit. Any thread. A robot already read
    // reads nothing (1).
    int ReadRobotFile(std::atomic<int>* progress, int index, int count, const std::vector<int>& rules,
        const std::vector<std::string>& sensorModels);
    // The second half, after a read that gave 1: solids, joints and probes,
    // the sensors' effect models, the start pose and the name label of robot
    // index. A robot placed before is only moved to the start pose. GUI
    // thread.
    void PlaceInWorld(
        const osg::Vec3f& startPosition, const osg::Quat& startRotation, int index, bool addToScene);

    // The part limit for one more sensor of the model at address: rule j + 2
    // for the sensor model table's entry j (8 when the rules have no such
    // entry). 0, counted, while the count is below it; 1 when it is reached,
    // is 0, or the model is not in the table (the rule break says which).
    int CheckPartLimit(const std::string& address, const std::vector<int>& rules,
        const std::vector<std::string>& sensorModels);

    // Every part's solid takes the part's pose in the scene.
    void SyncPhysicsToScene();
    // Every part takes its solid's pose (lights, which move with the control
    // unit, push theirs), then carried objects are put on top of the robot.
    void UpdateCarried();

    // ---- texts, steps and score -------------------------------------------------
    // One simulation step of every robot, in the list's order: the input text
    // from the sensors, the exchange with the program (not while the keyboard
    // drives), the output applied to motors and lights, and the parts placed
    // where their solids are; an eliminated robot is held where its scene
    // shows it. The programs work on their steps at the same time; every
    // robot reads what it would read if the robots stepped one after another.
    static void StepAll(const std::vector<osg::ref_ptr<CRob>>& robots);
    // This robot's step alone.
    void Step() {
        BeginStep();
        FinishStep();
    }
    // The two halves of a robot's step: up to handing the input to the
    // program, and from taking its output on.
    void BeginStep();
    void FinishStep();
    void BuildInputText();
    void ApplyOutputText();
    // The output text of keyboard drive direction (1 forward ... 8, see
    // StepText::ManualDriveOutputText) with the configured drive speeds.
    void SetManualDriveOutput(int direction);
    void Start();
    void Stop();
    // Out of the run for good: stopped, score 0, and its solids frozen where
    // they are (they neither move nor collide any more).
    void Eliminate();
    bool IsEliminated() const { return m_bEliminated; }
    bool IsRunning() const { return m_bRunning; }
    int GetStepCount() const { return m_nStepCount; }

    void SetScore(int score);
    int GetScore() const;
    std::vector<int>& GetScoreDigits() { return m_vecScore; }

    std::string GetInputText() const { return m_strInputText; }
    std::string GetOutputText() const { return m_strOutputText; }

    // ---- label, trail and sensor effects ------------------------------------------
    void CreateNameLabel(int index);
    // Over the control unit, facing the camera.
    void UpdateNameLabel(const scene::Transformable& camera);
    // The same, with the camera's turn in the world.
    void UpdateNameLabel(const osg::Quat& cameraTurn);
    scene::Label* GetNameLabel() const { return m_pLabel.get(); }
    void UpdateTrail();
    void ClearTrail();
    void ShowSensorEffects(bool on);
    bool GetShowSensorEffects() const { return m_bShowSensorEffects; }
    void UpdateSensorEffects();

    // Takes the robot apart: joints destroyed, control unit and label out of
    // the scene, parts released.
    void Clear();

    // ---- parts --------------------------------------------------------------------------
    std::string GetFileName() const { return m_strFile; }
    // The main body: every other part hangs below it. Null before loading.
    CRcu* GetRcu() const { return m_pRcu.get(); }
    const std::vector<osg::ref_ptr<CBrick>>& GetBricks() const { return m_vecBricks; }
    const std::vector<osg::ref_ptr<CWheel>>& GetWheels() const { return m_vecWheels; }
    const std::vector<osg::ref_ptr<CMotor>>& GetMotors() const { return m_vecMotors; }
    // The motors that turn no wheel (no wheel was joined to the shaft, or
    // it could not be held there), by their place in GetMotors(); known
    // once the robot is in the world.
    std::vector<int> IdleMotors() const;
    const std::vector<osg::ref_ptr<CSensor>>& GetSensors() const { return m_vecSensors; }
    const std::vector<osg::ref_ptr<CColoredLight>>& GetLights() const { return m_vecLights; }
    // The fixed joints and the free wheels' hinges (a motor owns its own).
    std::size_t GetJointCount() const;
    // The robot's box as loaded, at its start pose.
    const osg::BoundingBox& GetRobotBox() const { return m_robotBox; }
    // The world box of the control unit with every part, now.
    osg::BoundingBox GetCurrentBox() const;
    int GetContactGroup() const { return m_nContactGroup; }

    // ---- carried objects -----------------------------------------------------------------
    // The objects to carry that the robot picked up, each with a turn kept
    // relative to the robot, and at most one carried geometry object with
    // its own. The playground's rules fill and empty them; UpdateCarried
    // puts them on top of the robot in every step.
    std::vector<osg::ref_ptr<CModel>>& GetCarriedObjects() { return m_vecCarried; }
    std::vector<scene::Transform>& GetCarriedTransforms() { return m_vecCarriedTransforms; }
    osg::ref_ptr<CModel>& GetCarriedGeo() { return m_pCarriedGeo; }
    scene::Transform& GetCarriedGeoTransform() { return m_carriedGeoTransform; }

protected:
    ~CRob() override;

private:
    int ReadParts(const RobotFileData& file, std::atomic<int>* progress, int index, int count,
        const std::vector<int>& rules, const std::vector<std::string>& sensorModels);
    bool AddPart(CModel* part, const osg::Vec3d& position, const osg::Quat& rotation, int id);
    void BuildPhysics(physics::PhysicsWorld& world, scene::Scene* scene, bool addToScene);
    void FixToRcu(CModel* part);
    void JoinWheels();
    void FreezeSolids();
    void RemoveTrailObject();

    std::string m_strInputText;
    std::string m_strOutputText;
    bool m_bEliminated = false;
    osg::ref_ptr<CRcu> m_pRcu;
    std::vector<osg::ref_ptr<CBrick>> m_vecBricks;
    std::vector<osg::ref_ptr<CWheel>> m_vecWheels;
    std::vector<osg::ref_ptr<CMotor>> m_vecMotors;
    std::vector<osg::ref_ptr<CSensor>> m_vecSensors;
    std::vector<osg::ref_ptr<CColoredLight>> m_vecLights;
    std::vector<physics::Handle<physics::Joint>> m_vecJoints;
    std::vector<int> m_vecPartCounters;
    std::vector<osg::ref_ptr<CModel>> m_vecCarried;
    std::vector<scene::Transform> m_vecCarriedTransforms;
    osg::ref_ptr<CModel> m_pCarriedGeo;
    scene::Transform m_carriedGeoTransform;
    std::vector<int> m_vecScore;
    osg::ref_ptr<scene::Label> m_pLabel;
    osg::Quat m_qLabelRotation;
    // The simulation owns the scene and the world; either may go first.
    osg::observer_ptr<scene::Scene> m_pScene;
    physics::Handle<physics::PhysicsWorld> m_pSimulator;
    int m_nContactGroup;
    const CConfig* m_pConfig; // not owned
    PartContextPtr m_pParts;
    std::string m_strFile;
    RobotLoadFault m_loadFault = RobotLoadFault::None;
    RobotRuleBreak m_ruleBreak;
    osg::BoundingBox m_robotBox;
    osg::Quat m_qFileRotation;
    // Solids, joints and probes are made.
    bool m_bInWorld = false;
    bool m_bRunning = false;
    int m_nStepCount = 0;
    // Between BeginStep and FinishStep: the step takes outputs and exchanges.
    bool m_bStepRunning = false;
    bool m_bStepExchanges = false;
    bool m_bShowSensorEffects = false;
    osg::ref_ptr<osg::Vec3Array> m_pTrailPoints;
    osg::ref_ptr<scene::SceneObject> m_pTrail;
};
