#pragma once

#include <QDialog>

class LanguageTexts;
class QCheckBox;
class QLabel;
class QPushButton;

// Asks, before an example is loaded, whether to load its robot, its
// playground, or both; notes warn that the current robot or playground has
// unsaved changes. Both flags are true until OK sets them from the boxes:
// callers read them only when exec() returned Accepted.
class CLoadDlg : public QDialog {
    Q_OBJECT

public:
    // The texts come from `texts`, which must outlive the dialog.
    CLoadDlg(bool robotUnsaved, bool mapUnsaved, const LanguageTexts& texts, QWidget* parent = nullptr);

    bool m_bLoadRobot = true;
    bool m_bLoadMap = true;

    QCheckBox* RobotBox() const { return m_pRobotBox; }
    QCheckBox* MapBox() const { return m_pMapBox; }
    QLabel* RobotNote() const { return m_pRobotNote; }
    QLabel* MapNote() const { return m_pMapNote; }
    QPushButton* ButtonOK() const { return m_pButtonOK; }
    QPushButton* ButtonNo() const { return m_pButtonNo; }

public slots:
    void slot_ButtonOK();
    void slot_ButtonNo();

private:
    QLabel* m_pRobotNote = nullptr;
    QLabel* m_pMapNote = nullptr;
    QCheckBox* m_pRobotBox = nullptr;
    QCheckBox* m_pMapBox = nullptr;
    QPushButton* m_pButtonOK = nullptr;
    QPushButton* m_pButtonNo = nullptr;
};
