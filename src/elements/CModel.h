#pragma once

#include "elements/CElement.h"
#include "elements/CModelRecord.h"
#include "elements/PartContext.h"
#include "elements/SPartOwner.h"
#include "physics/Handle.h"
#include "physics/PhysicsWorld.h"
#include "physics/Solid.h"

#include <osg/Array>
#include <osg/BoundingBox>
#include <osg/Quat>
#include <osg/Vec3f>
#include <osg/ref_ptr>

#include <memory>
#include <string>
#include <vector>

class CModelBox;
class CollisionModel3D;

namespace physics {
struct ShapeDesc;
} // namespace physics

// Model type codes (the description's type).
enum ModelType {
    ModelTypeRcu = 0,
    ModelTypeBrick = 1,
    ModelTypeWheel = 2,
    ModelTypeMotor = 3,
    ModelTypeSensor = 4,
    ModelTypeSlope = 6,
    ModelTypeCandle = 7,
    ModelTypeTrigger = 8,
    ModelTypeGeo = 9,
    ModelTypeWounded = 10,
    ModelTypeTakenObj = 11,
    ModelTypeColoredLight = 12,
    ModelTypeAlarm = 13,
};

// Kinds of placement (the second argument of CModel::Place).
enum PlaceKind {
    PlaceAdded = 0, // added by a builder: dropped onto the ground
    PlacePasted = 1, // pasted in the robot builder: keeps its copied ports
    PlaceRecreated = 2, // re-created by an undo step or rebuilt at a new size
    PlaceFromFile = 3, // made by the robot file's part factory
    PlaceControlUnit = 4, // the control unit added by the robot builder
};

// A join that the robot file reader records for a part: the other part's id
// and the join point.
struct SJoin {
    int m_nId = 0;
    osg::Vec3f m_vPoint;
};

// Every placeable part: robot parts, playground objects and trigger zones.
// A part is made from its model address, loads its model, is placed into an
// editor (bounding box, selection box, ports, grid position), can snap to
// other parts by their ports, test overlap with them, and in a simulation
// owns a physics solid that its node follows.
//
// The collision model is the part's own: copies of its records (undo steps,
// clipboards) never carry it, so no two parts ever own one model.
//
// Concrete kinds set their type code in their constructors; a bare CModel is
// not made by the system (tests make them).
class CModel : public CElement {
public:
    // A null context stands for an empty model database and the standard
    // constants.
    CModel(PartContextPtr context, const std::string& address);
    CModel(PartContextPtr context, const std::string& address, const osg::Vec3f& scale);

    // Back to a new part's records: unlocked, id 0, no solid, default state.
    void Init(const std::string& address, const osg::Vec3f& scale);
    // Loads the model file named by the address (through the model cache but
    // for coloured lights) and applies the state's scale. False when no model
    // could be read.
    bool LoadModel();

    const PartContext& Context() const { return *m_pContext; }
    const PartContextPtr& ContextPtr() const { return m_pContext; }
    const PartConstants& Constants() const { return m_pContext->Constants(); }

    // ---- records -----------------------------------------------------------------
    CModelDesc& GetDesc() { return m_record.m_data.m_info.m_desc; }
    const CModelDesc& GetDesc() const { return m_record.m_data.m_info.m_desc; }
    CModelState& GetState() { return m_record.m_data.m_info.m_state; }
    const CModelState& GetState() const { return m_record.m_data.m_info.m_state; }
    CModelData& GetData() { return m_record.m_data; }
    const CModelData& GetData() const { return m_record.m_data; }
    CModelInfo& GetInfo() { return m_record.m_data.m_info; }
    const CModelInfo& GetInfo() const { return m_record.m_data.m_info; }
    CModelState& GetPlacedState() { return m_record.m_data.m_placed; }
    CModelState& GetSavedState() { return m_record.m_saved; }
    CModelState& GetBackupState() { return m_record.m_backup; }

    std::string GetAddress() const { return GetDesc().m_strAddress; }
    int GetType() const { return GetDesc().m_nType; }
    void SetType(int type) { GetDesc().m_nType = type; }
    int GetSubType() const { return GetDesc().m_nSubType; }
    void SetSubType(int subType) { GetDesc().m_nSubType = subType; }
    int GetId() const { return m_record.m_data.m_nId; }
    void SetId(int id) { m_record.m_data.m_nId = id; }
    void SetLocked() { m_cLocked = 1; }
    bool IsLocked() const { return m_cLocked != 0; }
    int GetPort() const { return GetState().m_nPort; }
    void SetPort(int port) { GetState().m_nPort = port; }
    int GetOpposite() const { return GetState().m_nOpposite; }
    void SetOpposite(int opposite) { GetState().m_nOpposite = opposite; }
    int GetRayDis() const { return GetState().m_nRayDis; }
    void SetRayDis(int rayDis) { GetState().m_nRayDis = rayDis; }
    // Takes effect at the next LoadModel.
    void SetScaleValue(float x, float y, float z) { GetState().m_vScale.set(x, y, z); }
    int GetTriggerMode() const { return GetState().m_nTriggerMode; }
    void SetTriggerMode(int mode) { GetState().m_nTriggerMode = mode; }
    int GetScore() const { return GetState().m_nScore; }
    QString GetObjName() const { return GetState().m_strObjName; }
    void SetObjName(const QString& name) { GetState().m_strObjName = name; }
    std::vector<int>& GetObjList() { return GetState().m_vecObjList; }
    void SetObjList(const std::vector<int>& list) { GetState().m_vecObjList = list; }
    unsigned char GetTake() const { return GetState().m_cTake; }
    void SetTake(unsigned char take) { GetState().m_cTake = take; }
    unsigned char GetOnly() const { return GetState().m_cOnly; }
    void SetOnly(unsigned char only) { GetState().m_cOnly = only; }
    std::vector<SJoin>& GetJoinList() { return m_vecJoin; }
    bool IsJoined() const { return m_cJoined != 0; }
    void SetJoined(bool joined) { m_cJoined = joined ? 1 : 0; }

    // Turns the node by q after its present rotation (absolute), then the
    // element's axis. The state is left to the caller's SetPose.
    bool Rotate(const osg::Quat& q) override;

    // ---- model description and ports -----------------------------------------------
    // Sets the box list to the entry's boxes (scaled by the state's scale);
    // false when the model has none.
    bool ReadBoxes();
    // Files every point of the entry into the port tables, laying out grid
    // points; the tables are emptied first.
    void ReadPoints();
    // Appends p (a copy) to the point list under dir, with its grid's rows
    // and cells.
    void AddPortPoint(const CPoint& p, SPortDir& dir);
    // Point i; null for an index out of range.
    const CPoint* GetPoint(int i) const;
    // grid_x (which 0), grid_y (1) or their product (otherwise); 0 for an
    // index out of range.
    int GetPointGrid(int i, int which) const;

    // ---- placement, pose and grid position ------------------------------------------
    void Place(SPartOwner* owner, int kind);
    SPartOwner* GetOwner() const { return m_pOwner; }
    void SetPose(const osg::Vec3f& position, const osg::Quat& rotation, bool save, bool refresh);
    osg::Vec3f SetOffsetFrom(const osg::Vec3f& point);
    void PutBottomAt(const osg::Vec3f& target);
    // The node's bounding box in world coordinates (less the position with
    // relative). An unloaded or empty model measures as an empty box at the
    // origin (false).
    bool GetBoundingBox(osg::Vec3f& min, osg::Vec3f& max, bool relative) const;
    // The bounding box in the part's own frame, whatever its pose.
    bool GetOwnFrameBounds(osg::Vec3f& min, osg::Vec3f& max) const;
    double GetBottomZ() const;
    // k -1 the position, -2 the bounding-box centre, 0..7 its corners (world).
    // Any other k, or a corner of a part never placed: false, out = position.
    bool GetBoxPoint(osg::Vec3f& out, int k) const;
    void GetGridPosition(osg::Vec3f& out);
    osg::Vec3f SnapToGrid(const osg::Vec3f& position) const;
    void FindGridAnchor();

    // ---- port snapping --------------------------------------------------------------
    bool SnapToModel(CModel* other, int mode, bool join);
    void ChooseBestPortPair();
    void SlideAlongPort();
    double DistanceToOwnerPoint(int port) const;
    double ScreenPortDistance(int ownPort, const CModel* other, int otherPort) const;
    bool OverlapsWhenJoined(int kind, int ownPort, const CModel* other, int otherPort, bool threeD) const;
    bool PortsTouch(int ownPort, const CModel* other, int otherPort, bool threeD) const;
    // A wheel is on a shaft wherever it is drawn on it: single axle points
    // (kind 1), one male (the shaft's tip) and one female (the hub), facing
    // as snapping asks, the hub within twice the box limit of the tip along
    // the shaft and the tip within the hub part's reach across it (less
    // than its box's smaller half size across the shaft). 3-D. The hub need
    // not lie on the shaft's line: a wheel put against the shaft off its
    // centre is on it too.
    bool SitsOnAxle(int ownPort, const CModel* other, int otherPort) const;
    // The first pair of this part's and other's points that SitsOnAxle
    // takes, own point first; false when none does.
    bool FindAxlePair(const CModel* other, int& ownPort, int& otherPort) const;
    // Carrying: when this part sits on other's axle (or other on this
    // part's), records the pair in the snapping state as the interactive
    // search records a pair it found, this part the dragged one.
    bool SnapOntoAxle(CModel* other);
    // World position of point i (k -1) or its sub-point k; false (out the
    // part's position) for a point or sub-point it does not have.
    bool GetPortPoint(osg::Vec3f& out, int i, int k) const;

    // ---- collision ------------------------------------------------------------------
    void BuildCollisionModel();
    bool AddBoxTriangles(CollisionModel3D& model);
    // Gives the collision model the node's world matrix; null when none is built.
    CollisionModel3D* UpdateCollisionTransform();
    CollisionModel3D* GetCollisionModel() const { return m_pCollision.get(); }
    // Whether the two collision models meet: their surfaces cross, or a
    // collision box of one lies wholly inside one of the other. Refreshes
    // the other part's transform; the caller refreshes this part's.
    bool CollidesWith(CModel* other);
    bool Overlaps(const CModel* other, bool threeD, bool exact) const;
    bool ExtentsOverlap(const osg::Vec3Array& corners, bool threeD) const;
    bool ExactOverlap(const osg::Vec3Array& corners) const;
    // A world point in window pixels, clamped to the owner's viewport, z 0.
    osg::Vec3f ToWindow(const osg::Vec3f& world) const;

    // ---- physics solid --------------------------------------------------------------
    // Replaces the part's solid by one of its description's boxes (one shape
    // each), or one box round its bounding box. Kinds with other shapes
    // override it.
    virtual void CreateSolid(physics::PhysicsWorld* world, int contactGroup);
    // One box shape per description box (scaled), as offsets from a frame
    // with the transform's pose; geometry and offset only. False without boxes.
    bool GetBoxShape(std::vector<physics::ShapeDesc>& shapes, const scene::Transform& transform);
    void PushPoseToSolid();
    // The node follows the solid.
    virtual void UpdateFromSolid();
    // Null without one, and once the world is gone.
    physics::PhysicsWorld* GetSimulator() const { return m_pSimulator.get(); }
    physics::Solid* GetSolid() const { return m_pSolid.get(); }
    int GetContactGroup() const { return m_nContactGroup; }

    // ---- selection box --------------------------------------------------------------
    void CreateBox(const osg::Vec3f& min, const osg::Vec3f& max);
    void ShowBox(bool show, int colour);
    CModelBox* GetBox() const { return m_pBox.get(); }

protected:
    ~CModel() override;

    // Starts a solid as every kind does: nothing without a world; the old
    // solid goes; the world and group are kept; a new solid is made. Null
    // when there is none to build on.
    physics::Solid* BeginSolid(physics::PhysicsWorld* world, int contactGroup);
    void DestroySolid();

    PartContextPtr m_pContext;
    CModelRecord m_record;
    unsigned char m_cLocked = 0;
    SPartOwner* m_pOwner = nullptr; // not owned
    osg::ref_ptr<CModelBox> m_pBox;
    int m_nContactGroup = 0;
    // The solid is owned through its world; a part may outlive the world,
    // and then finds no solid.
    physics::Handle<physics::PhysicsWorld> m_pSimulator;
    physics::Handle<physics::Solid> m_pSolid;
    std::vector<SJoin> m_vecJoin;
    unsigned char m_cJoined = 0;
    std::unique_ptr<CollisionModel3D> m_pCollision;

private:
    // The search of SnapToModel.
    bool MatchGroups(CModel* other, SSnapState& s);
    bool MatchDirs(CModel* other, SSnapState& s, int ownTable, int ownGroup, int otherTable, int otherGroup);
    bool FindSnap(CModel* other, SSnapState& s, const SPortPath& own, const SPortPath& otherPath);
    void CornersOf(osg::Vec3Array& out, bool threeD) const;
    void PortCorners(osg::Vec3Array& out, int port, bool threeD) const;
};
