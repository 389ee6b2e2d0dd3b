#pragma once

#include "apps/CApp.h"
#include "apps/SEditState.h"
#include "elements/CModelRecord.h"
#include "elements/PartContext.h"
#include "platform/OwnWorkFile.h"
#include "simulation/PlaygroundFile.h"

#include <QObject>
#include <QString>

#include <osg/Quat>
#include <osg/Vec3f>
#include <osg/Vec4f>
#include <osg/ref_ptr>

#include <optional>
#include <string>
#include <vector>

class CConfig;
class CModel;
class Plane;

// The playground builder: the scene application of the playground page (kind
// 2). The teacher lays out a playground in its 3-D view: the ground picture,
// objects and trigger zones from the page's bars or the set-up file's object
// groups, and the scoring rules. Objects follow the pointer until a click
// puts them down, stand on the ground or on the objects under them, turn by
// quarter turns, 5-degree steps or with the pointer, are resized, selected
// by click or rectangle, copied, pasted and deleted; every change but a new
// size or ground picture can be undone and redone. The playground is saved
// to and loaded from playground files.
//
// A carried selection stays over the ground: where the pointer leaves the
// ground's box the objects stay where they were.
//
// Object ids are unique within the playground: new objects get ids above
// every id the playground holds, and a file's object whose id another one
// already has gets a new one.
class CPlaApp : public QObject, public CApp {
    Q_OBJECT

public:
    // Takes the configuration (texts, object groups, editing constants) and
    // the part context that objects are made over; the short form uses the
    // process's configuration and a context read from it.
    CPlaApp(const std::string& configName, scene::SceneView* window);
    CPlaApp(const std::string& configName, scene::SceneView* window, const CConfig& config,
        PartContextPtr context = nullptr);

    int GetAppKind() const override { return 2; }
    void PreFrame(double deltaTime) override;
    bool MouseButtonPressed(scene::Mouse* mouse, int button) override;
    bool MouseButtonReleased(scene::Mouse* mouse, int button) override;
    bool MouseMoved(scene::Mouse* mouse, float x, float y) override;
    bool MouseDragged(scene::Mouse* mouse, float x, float y) override;
    // A new playground: the default ground picture, no objects, no rules,
    // the camera at home, nothing to undo, saved.
    void Reset() override;

    // ---- playground and files -----------------------------------------------------
    // The camera looks at the ground from the front, above.
    void HomeCamera();
    // The ground shows the default picture again.
    void NewPlayground();
    // No objects and the default picture.
    bool IsDefaultGround() const;
    // Loads (load) or saves the playground file at path (local 8-bit;
    // relative paths from the program folder). A load that fails (a file
    // that cannot be read or is damaged, or whose ground picture the builder
    // cannot show) leaves the playground as it was; a save that fails leaves
    // the file at path as it was and the playground unsaved. Both give false,
    // with the reason in GetFileError. A saved playground keeps the bytes of
    // the picture the ground shows, whatever became of its file since.
    bool LoadOrSaveFile(const std::string& path, bool load);
    const std::string& GetFileError() const { return m_strFileError; }
    // Why the last load refused its file, for the user (None after a load
    // that did not fail for the file's sake).
    const PlaygroundFile::Refusal& GetFileRefusal() const { return m_fileRefusal; }
    // The errno value of the last file that could not be read or written
    // (0: none, or a failure of another kind).
    int GetFileSystemError() const { return m_nFileSystemError; }
    // Writes the playground to path as LoadOrSaveFile saves it, for another
    // page to use, leaving its saved state as it is: the playground being
    // edited is still the one to be saved to its own file.
    bool SaveCopy(const std::string& path);
    // The ground shows the picture in file, in any format GroundPicture
    // takes, kept as PNG. A picture it refuses, or a file that cannot be
    // read, leaves the picture as it was, and the result says why. A new
    // picture leaves the playground unsaved; it is no undo step.
    GroundPicture::Check ChangeGroundImage(const std::string& file);
    // The scoring rules: number, weight and the part limits.
    const std::vector<int>& GetRuleList() const { return m_vecRules; }
    // New rules leave the playground unsaved; they are no undo step.
    void SetRuleList(const std::vector<int>& rules);
    Plane* GetGround() const { return m_pGround.get(); }
    // The ground picture file name last asked for.
    const std::string& GetGroundImageName() const { return m_strGroundImage; }
    // x min, y min, x max, y max of the ground: carried selections keep over it.
    const osg::Vec4f& GetGroundBox() const { return m_vGroundBox; }
    const std::vector<osg::ref_ptr<CModel>>& GetObjectList() const { return m_edit.m_vecAllParts; }
    const SEditState& GetEditState() const { return m_edit; }
    const PartContextPtr& GetPartContext() const { return m_pPartContext; }
    // Reports the object count to the status bar.
    void ShowObjCount();

    // ---- selection and commands ---------------------------------------------------
    bool HasSel() const { return s_HasSel(m_edit); }
    CModel* GetSingleSel() const { return s_GetSingleSel(m_edit); }
    bool CanUndo() const { return s_CanUndo(m_edit); }
    bool CanRedo() const { return s_CanRedo(m_edit); }
    // One object, every object (object null, all true) or nothing; a carried
    // or turned selection is put down first.
    void SetSelected(CModel* object, bool all);
    // Editor commands: 0 back to no rotation (one object), 1-3 turn with the
    // pointer about x/y/z (the same code again stops), 4-9 quarter turns
    // (-/+ about x, y, z; about the view's axes with useView), 10 undo, 11
    // redo, 12/13 add-to-selection on/off, 14 cancel (new objects still
    // carried go), 17-20 5-degree turns about the view's z and x. The last
    // two arguments are the robot builder's. Ignored while paused.
    void DoCommand(int code, bool useView, int unused1 = 0, int unused2 = -1);
    int GetLastCommand() const { return m_edit.m_nLastCommand; }

    // ---- editing operations -------------------------------------------------------
    // Adds an object built by the page: it gets the next id, becomes the
    // selection and follows the pointer until it is put down. False for null
    // or a model that does not load.
    bool AddObject(CModel* object);
    // Builds an object of the record's kind at the record's pose and places
    // it: from a file locked where it stands, otherwise free to be carried.
    // With a negative id, or one another object has, it gets the next id.
    // Null for a kind that is no playground object or a model that does not
    // load.
    CModel* CreateObject(const CModelInfo& record, int id, bool fromFile);
    // Without force only a selection never put down is deleted. True when
    // something was deleted.
    bool DeleteSel(bool force);
    // True when the selection was copied: the clipboard holds it about its
    // centre on the ground.
    bool CopySel();
    // The clipboard's objects are built about their place and carried.
    void PasteSel();
    // The selection starts to follow the pointer.
    void MoveSel();
    // Component 0-2 a position from value; 3 the angles (about x, y, z) from
    // the angle boxes, 4 from the turn sliders while they move (no undo
    // step). False when there is no single selection or the change is less
    // than the tolerance.
    bool SetSelTransform(int component, double value, const osg::Vec3f& angles);
    // Resizes the single selected object by rebuilding it at the new size.
    // Only slopes, loaded models and zones have a size of their own; no undo
    // step is recorded, and the playground is unsaved.
    void SetSelScale(float x, float y, float z);
    // Commits the selection's pose (an undo step unless noUndoStep) and
    // lifts a carried selection that went below the ground (or, when an
    // object of it lay deeper when it was picked up, below that depth).
    void KeepSelOnGround(bool noUndoStep);

    // ---- turns and object groups --------------------------------------------------
    void TurnSel(int code, bool useView);
    void StepTurnSel(int variant);
    void DragTurnSel(int code);
    // Inserts object group n of the set-up file (0 walls, 1 dominoes) as a
    // paste of its objects; the clipboard then holds the group. False when
    // there is no such group.
    bool InsertGroup(int n);

signals:
    void signal_Ui_SaveFlag(bool saved);
    void signal_Ui_StepChange();
    void signal_Ui_StatusBar_ShowObjName(std::string* name);
    void signal_Ui_StatusBar_ShowObjL(QString text);
    void signal_Ui_NoSel();
    void signal_Ui_Set();

protected:
    ~CPlaApp() override;

private:
    // ---- builder ------------------------------------------------------------------
    bool IsBusy() const;
    void BeginLoad();
    void ClearPlayground();
    void FinishFileOp(bool saved);
    // Shows a picture on the ground and keeps its bytes (none: read from
    // the file at a save); false when the ground could not show it (it
    // keeps the picture and the bytes it had).
    bool ShowGroundPicture(const std::string& file, std::optional<std::string> bytes);
    bool LoadFile(const std::string& path);
    bool SaveFile(const std::string& path, bool copy = false);
    void PickAndDrag(bool dragging);
    // ---- editing ------------------------------------------------------------------
    void PushUndoStep(int kind);
    // The selection starts to follow the pointer (s_MoveSelToTarget), each
    // object keeping its height above the ground.
    void StartCarrying(bool force, bool atHover);
    void DragMoveSel();
    bool FindSupport();
    bool DropOntoSupport(CModel* support);
    // Where the line from the eye through the pointer reaches height z;
    // false when it runs level.
    bool PointerAtHeight(double z, osg::Vec3f& point) const;
    bool InsideGroundBox(const osg::Vec3f& point) const;
    // Every selected object to target plus its offset, its state before kept
    // as its backup.
    void MoveSelTo(const osg::Vec3f& target);
    void RestoreSel();
    bool SelTouches(CModel* support);
    void RefreshCameraPosition();
    // ---- turns --------------------------------------------------------------------
    osg::Vec3f PreparePivot();
    void TurnAbout(const osg::Vec3f& pivot, const osg::Quat& turn);

    const CConfig& m_config;
    PartContextPtr m_pPartContext;
    std::vector<int> m_vecRules;
    SEditState m_edit;
    osg::ref_ptr<Plane> m_pGround;
    std::string m_strGroundImage;
    // The bytes of the picture the ground shows: a save writes them even
    // when its file is gone.
    std::optional<std::string> m_strGroundBytes;
    // The working copy of a loaded file's ground picture, this builder's own
    // ("Temp/tempPlaApp-<process>-<n>.png").
    platform::OwnWorkFile m_groundPictureCopy { "tempPlaApp", ".png" };
    osg::ref_ptr<scene::SceneObject> m_pGrid;
    osg::Vec4f m_vGroundBox;
    // The model address the status bar shows for a single selection.
    std::string m_strSelName;
    std::string m_strFileError;
    PlaygroundFile::Refusal m_fileRefusal;
    int m_nFileSystemError = 0;
};
