#pragma once

#include "elements/CModel.h"
#include "elements/CModelRecord.h"

#include <QUndoCommand>

#include <osg/ref_ptr>

#include <vector>

struct SEditState;

// The one undo command of both builders. It records, for every part or
// object an edit touched, the part and a copy of its data: at the time of the
// push the current state is the pose after the edit and the placed state the
// pose before it, so the copy holds both.
//
// The robot builder keeps its parts: undo and redo pose the very same parts
// again, or take them out of the robot and put them back. The playground
// builder re-creates its objects from the records.
//
// Undo and redo act only while the editor runs them itself (the editing
// state's re-entry flag): the push's own redo finds the edit already made.
class CStep : public QUndoCommand {
public:
    enum Kind { KindTransform = 0, KindAdd = 1, KindDelete = 2 };

    struct Entry {
        // Keeps the part alive while the step exists, also out of the scene.
        osg::ref_ptr<CModel> part;
        CModelData data;
    };

    explicit CStep(SEditState* state);

    void undo() override;
    void redo() override;

    // The playground builder's re-creation of one object: a new object of the
    // entry's kind in the state after (useAfter) or before the edit.
    void Apply(const Entry& entry, bool useAfter);

    int m_nKind = KindTransform;
    std::vector<Entry> m_vecEntries;

private:
    // The robot builder: the part's data as recorded, current state the
    // state after or before the edit, posed there.
    void Restore(const Entry& entry, bool after);
    void Remove(CModel* part);
    void PutBack(const Entry& entry);
    void RemoveById(int id);

    SEditState* m_pState; // not owned
};
