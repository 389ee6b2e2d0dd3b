#pragma once

#include <QDialog>
#include <QString>

#include <osg/ref_ptr>

#include <vector>

class CConfig;
class CModel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// Chooses which geometry objects (type 9) of the playground an
// object-delivery trigger is about. It lists them with their names, marks the
// ones whose id is in the trigger's list, toggles a row on a click, and on OK
// gives the trigger the new list. Ids in the list that name no listed object
// (one deleted since) stay in it.
class CAssignGEODlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kGeometryType = 9;

    // element: the trigger; playground: every element of the playground, in
    // its order. Names and texts come from `config`, which must outlive the
    // dialog.
    CAssignGEODlg(osg::ref_ptr<CModel> element, std::vector<osg::ref_ptr<CModel>> playground,
        const QString& title, const CConfig& config, QWidget* parent = nullptr);
    ~CAssignGEODlg() override;

    QTreeWidget* Tree() const { return m_pTree; }
    QPushButton* ButtonOK() const { return m_pButtonOK; }
    QPushButton* ButtonNo() const { return m_pButtonNo; }
    // The list as it is being edited.
    const std::vector<int>& WorkingList() const { return m_workingList; }

public slots:
    void slot_ClickTree(QTreeWidgetItem* item, int column);
    void slot_ButtonOK();
    void slot_ButtonNo();

private:
    void FillTree();
    bool IsAssigned(int id) const;

    const CConfig& m_config;
    osg::ref_ptr<CModel> m_element;
    std::vector<osg::ref_ptr<CModel>> m_playground;
    std::vector<int> m_workingList;
    QTreeWidget* m_pTree = nullptr;
    QPushButton* m_pButtonOK = nullptr;
    QPushButton* m_pButtonNo = nullptr;
};
