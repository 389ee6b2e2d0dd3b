#pragma once

#include <QDialog>
#include <QString>

class CConfig;
class CExTreeView;
class QPushButton;
class QStatusBar;
class QTreeWidgetItem;

// The user's own model library: the ".ive" and ".osg" files in "UserModels"
// under the program folder. Models are added by copying them in (never over
// a file of the same name), deleted after a question, and placed into the
// playground being edited through signal_ToGround. A copy that cannot be
// made whole (a full disk) leaves nothing in the library and is told with
// the system's reason.
class CUserDefineDlg : public QDialog {
    Q_OBJECT

public:
    // Texts, message boxes and the program folder come from `config`, which
    // must outlive the dialog.
    explicit CUserDefineDlg(const CConfig& config, QWidget* parent = nullptr);

    // Texts of ("CUserDefineDlg", "f_Language"): "sTitle", and "sOpen",
    // "sAdd", "sDel", "sRefresh", "sToMap" as each button's text and status tip.
    void f_Language();
    // Lists the folder afresh and runs the dialog.
    int Exec();

    const QString& ModelDir() const { return m_sModelDir; }
    CExTreeView* Tree() const { return m_pTree; }
    QStatusBar* StatusBar() const { return m_pStatusBar; }
    QPushButton* ButtonOpen() const { return m_pBtnOpen; }
    QPushButton* ButtonAdd() const { return m_pBtnAdd; }
    QPushButton* ButtonDel() const { return m_pBtnDel; }
    QPushButton* ButtonRefresh() const { return m_pBtnRefresh; }
    QPushButton* ButtonToMap() const { return m_pBtnToMap; }

signals:
    // The chosen model file, to be placed into the playground.
    void signal_ToGround(QString path);

private slots:
    void slot_ptn_OpenFolder_1();
    void slot_ptn_AddFile_1();
    void slot_ptn_Refresh_1();
    void slot_tree1_clicked(QTreeWidgetItem* item, int column);
    void slot_ptn_ToGround_1();
    void slot_ptn_DelFile_1();

private:
    // Creates the folder when it is missing: 0, or the errno value of why
    // it can't be.
    int MakeModelDir() const;

    const CConfig& m_config;
    QString m_sLastDir;
    QString m_sModelDir;
    QString m_sModelDirNative;
    CExTreeView* m_pTree = nullptr;
    QStatusBar* m_pStatusBar = nullptr;
    QPushButton* m_pBtnOpen = nullptr;
    QPushButton* m_pBtnAdd = nullptr;
    QPushButton* m_pBtnDel = nullptr;
    QPushButton* m_pBtnRefresh = nullptr;
    QPushButton* m_pBtnToMap = nullptr;
};
