#pragma once

#include <QDialog>
#include <QString>

#include <string>
#include <vector>

class CConfig;
class QComboBox;
class QLabel;
class QPushButton;

// Sets up a run with up to six robots: each row pairs a robot file with the
// program that drives it. A combo box shows nothing (item 0), the browse
// item (1) or the chosen file's base name (2, its full path in the tool tip).
// Two rows may not hold robots of the same base name: the score table and
// the robot data panel tell robots apart by it.
class CMultiRobDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kRows = 6;

    // Texts, the message box and the start folders of the file dialogs come
    // from `config`, which must outlive the dialog.
    explicit CMultiRobDlg(const CConfig& config, QWidget* parent = nullptr);

    // Texts of ("CMultiRobDlg", "f_Language"): "sTitle", the captions
    // "slabel", "slabel2", "slabel3", the browse items "sCombo" (robots) and
    // "sCombo2" (programs), and "sOK", "sNo" for the buttons.
    void f_Language();

    // Shows robots[i] and programs[i] in row i and runs the dialog. OK
    // rewrites both lists from the rows that hold a robot, in row order (""
    // for a robot without a program); anything else leaves them alone.
    int Exec(std::vector<std::string>* robots, std::vector<std::string>* programs);

    // The six rows as they stand, gaps and all: each row's robot and
    // program path ("" for none).
    void EnteredRows(std::vector<std::string>& robots, std::vector<std::string>& programs) const;

    QComboBox* Combo(int row, int column) const { return m_pCombos[row][column]; }
    QPushButton* ButtonOK() const { return m_pButtonOK; }
    QPushButton* ButtonNo() const { return m_pButtonNo; }

public slots:
    // OK.
    void f_Load_MultiRobDlgToUi();

private:
    // A combo of row `row`, column `column` (0 robot, 1 program) changed.
    void f_SelCombo(int row, int column);
    // Empties the combo, or shows the file at `path` in it.
    void FillCombo(QComboBox* combo, int column, const QString& path);
    // A robot of another row already has the base name.
    bool RobotNameTaken(int row, const QString& baseName) const;

    const CConfig& m_config;
    QComboBox* m_pCombos[kRows][2] = {};
    QLabel* m_pCaptions[3] = {};
    QPushButton* m_pButtonOK = nullptr;
    QPushButton* m_pButtonNo = nullptr;
    QString m_strBrowse[2];
    bool m_bFilling = false;
    std::vector<std::string>* m_pRobots = nullptr;
    std::vector<std::string>* m_pPrograms = nullptr;
};
