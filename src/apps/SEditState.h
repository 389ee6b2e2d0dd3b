#pragma once

#include "elements/CModel.h"
#include "elements/CModelRecord.h"
#include "elements/PartContext.h"
#include "elements/SPartOwner.h"
#include "scene/Picking.h"
#include "simulation/SRobotFileState.h"

#include <QString>
#include <QUndoStack>

#include <osg/Quat>
#include <osg/Vec2f>
#include <osg/Vec3f>
#include <osg/observer_ptr>
#include <osg/ref_ptr>

#include <vector>

class CApp;
class CCam;
class CSU_Flat;
class LanguageTexts;

// The editing state that both builders embed (the robot builder and the
// playground builder): what editing needs besides the scene itself. The
// s_* functions below are the editors' shared operations on it.
//
// It extends what a placed part reads of its editor (SPartOwner: the
// builder's kind, the camera and window that snapping measures in, the
// snapping state) and what the robot builder's file worker works on
// (SRobotFileState: the file, the busy state and progress, the list of all
// parts, the build-order counter, the part context). Positions of the
// pointer are window pixels from the bottom left. Everything runs in the GUI
// thread, but for the file worker's jobs, while the builder is busy.
struct SEditState : SPartOwner, SRobotFileState {
    // Follow-up actions of the robot builder's file worker.
    enum Action { ActionToSimulation = 0, ActionOpenFile = 1, ActionNewRobot = 2, ActionCount = 3 };
    // The builder's drag modes.
    enum DragMode { DragIdle = 0, DragPressed = 1, DragDragging = 2 };
    // The file worker's busy states: 0 idle, 1 loading and 2 saving while it
    // runs; then its result until the builder's end slot has taken it.
    enum Busy { BusyIdle = 0, BusyLoading = 1, BusySaving = 2 };

    SEditState();
    ~SEditState();
    SEditState(const SEditState&) = delete;
    SEditState& operator=(const SEditState&) = delete;

    // The builder, which owns this state (not owned).
    CApp* m_pApp = nullptr;

    std::vector<CModelInfo> m_vecClipboard;
    // The ids of the objects the clipboard's records were copied from, in
    // the same order (-1 where a record came from no object, as an object
    // group's do): a paste maps a delivery zone's objects onto their copies.
    std::vector<int> m_vecClipboardIds;
    // The intersections of the last pick under the pointer, nearest first.
    std::vector<scene::PickHit> m_vecPickResults;
    double m_dLowestBottom = 0.0;
    bool m_bActions[ActionCount] = {};
    // The camera's forward and up, fetched before an axis choice.
    osg::Vec3f m_vCameraForward;
    osg::Vec3f m_vCameraUp;
    // Draws the selection rectangle; gives pointer pixels and the window matrix.
    osg::ref_ptr<CCam> m_pCam;
    // Faces the view through the origin: the pointer ray meets it where it
    // hits no part, which gives the point carried parts follow.
    osg::ref_ptr<CSU_Flat> m_pFlat;

    osg::Vec2f m_vPressPoint;
    int m_nDragMode = DragIdle;
    bool m_bMiddleDown = false;
    bool m_bRightDown = false;
    osg::Vec2f m_vPointer;
    osg::Vec2f m_vLastPointer;
    bool m_bPlaneHit = false;
    osg::Vec3f m_vPlanePoint;
    // Height of the carried parts' reference point above their lowest bottom.
    double m_dCarryHeight = 0.0;
    bool m_bCarrying = false;
    osg::Vec3f m_vHoverPoint;
    int m_nLastCommand = 0;
    bool m_bAddToSel = false;

    std::vector<osg::ref_ptr<CModel>> m_vecSel;
    // The selection when add-to-selection was switched on, or at the end of a
    // rectangle: clicks and rectangles toggle parts against it.
    std::vector<osg::ref_ptr<CModel>> m_vecSelSnapshot;
    osg::observer_ptr<CModel> m_pHovered;
    osg::observer_ptr<CModel> m_pPressed;
    // The playground builder's support: the unselected object a carried
    // selection stands on.
    osg::observer_ptr<CModel> m_pSupport;

    bool m_bRotating = false;
    int m_nRotationAxis = 0; // 0 x, 1 y, 2 z
    osg::Vec2f m_vRotationStartPointer;
    osg::Quat m_qRotationStart;

    // The document equals its saved form. The undo stack keeps the saved
    // state's place itself (its clean index), so a push that cuts that state
    // off forgets it for good.
    bool m_bClean = true;
    // A change that no undo step records (turn sliders): the document stays
    // unclean whatever undo and redo do, until the next load or save.
    bool m_bChangedOffStack = false;
    // Set only while the editor itself runs an undo or redo.
    bool m_bUndoReentry = false;
    QUndoStack m_undoStack;

    // The robot builder's assembly show: on, its step, and the parts'
    // indices in the all-parts list sorted by build order.
    bool m_bShowMode = false;
    int m_nShowStep = 0;
    std::vector<int> m_vecShowOrder;
};

// Called once from the builder's constructor, with the part context set:
// the overlay camera and the see-through quad (the grid area ten times over)
// join the owner's scene; then a reset.
void s_SetUpEditor(SEditState& s, CApp& owner);
// Back to a new document's editing state; the all-parts list is the
// builder's to clear.
void s_ResetEditor(SEditState& s);
// Every frame: the quad faces the view and the overlay camera follows it.
void s_UpdateOverlays(SEditState& s);
// The status bar's count text: selected and all (in the show, the step + 1 as
// all and none selected), counted as a robot's parts or, with objects, as a
// playground's objects.
QString s_AppearObjL(const SEditState& s, const LanguageTexts& texts, bool objects = false);
// Picks under the pointer (normalised window coordinates): the pointer's
// pixels, where the pointer ray meets the see-through quad, and the hovered
// part, which is left alone while the selection is carried or turned or a
// rectangle is dragged.
void s_PickAtMouse(SEditState& s, float x, float y);
void s_SetAddToSel(SEditState& s, bool on);
// Sets x, y or z (index 0-2) or the three angles (pitch, roll, heading, in
// degrees, about x, y and z) of the single selected part; false when there is
// none or the value differs from the present one by less than the tolerance.
bool s_SetTransformComponent(SEditState& s, int index, double value, const osg::Vec3f& rotation);
// The selection starts to follow the pointer, each part keeping its offset
// from the hover point (atHover) or from the selection's centroid.
void s_MoveSelToTarget(SEditState& s, bool force, bool atHover);
CModel* s_GetSingleSel(const SEditState& s);
bool s_IsSelected(const SEditState& s, const CModel* part, bool singleOnly);
bool s_HasSel(const SEditState& s);
void s_EnableSelNodes(SEditState& s, bool on);
// Selection boxes: 0 all off (and the snap partner's), 1 the selection's on,
// 2 the hovered part's off, 3 the hovered part's on.
void s_Highlight(SEditState& s, int mode);
// Remaps the rotation axis to how the camera looks at the scene.
void s_ChooseAxis(SEditState& s);
bool s_CanUndo(const SEditState& s);
bool s_CanRedo(const SEditState& s);
void s_UndoRedo(SEditState& s, bool undo);
// After a load or a save: the document is clean at the undo stack's present
// index, which is returned.
int s_MarkUndoClean(SEditState& s);
// After every push of an undo step.
void s_OnStepPushed(SEditState& s);
// The window matrix and its viewport from the overlay camera, for window-space
// overlap and snapping.
void s_RefreshWindowMatrix(SEditState& s);
// A rectangle selection from the press point to the pointer. The first step
// draws the rectangle while dragging (and hides it otherwise); with
// add-to-selection on, a rectangle that starts takes the selection as the
// snapshot it toggles against. False when the overlay camera took no
// rectangle: the selection then stays as it is. Otherwise the builder drops
// its selection and takes the second step, which selects the parts whose
// point (given by the builder, in world coordinates) lies strictly inside the
// rectangle: those alone, or toggled against the snapshot. Nothing is then
// carried or turned.
bool s_ShowSelRect(SEditState& s, bool dragging);
void s_SelectInRect(SEditState& s, osg::Vec3f (*pointOf)(const CModel& part));
// A click with add-to-selection on: the part is toggled against the
// snapshot, and the result becomes the selection and the new snapshot,
// highlighted. The builder has dropped its selection before.
void s_ToggleInSnapshot(SEditState& s, CModel* part);
// The clipboard's records around their middle: the mean of their positions,
// at height 0, becomes their origin, which a paste puts under the pointer.
void s_CentreClipboard(SEditState& s);
// The unit vector along axis 0 (x), 1 (y) or 2 (z, also for any other).
osg::Vec3d s_UnitAxis(int axis);
// Turning the selection with the pointer about axis (0 x, 1 y, 2 z) starts
// from the pointer's place now and the first selected part's attitude.
void s_StartPointerTurn(SEditState& s, int axis);
// The turn that brings the first selected part (there must be one) to the
// attitude the pointer has turned it to since the start: degreesPerPixel for
// every pixel to the right. It goes about pivot, set to that part's
// reference point.
osg::Quat s_PointerTurn(const SEditState& s, double degreesPerPixel, osg::Vec3f& pivot);
