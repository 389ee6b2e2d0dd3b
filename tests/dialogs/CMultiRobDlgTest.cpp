#include "dialogs/CMultiRobDlg.h"
#include "dialogs/DialogTestSupport.h"
#include "support/QtPrint.h"

#include <QComboBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using dialogstest::AnswerFileDialog;
using dialogstest::AnswerMessageBox;
using dialogstest::RunModal;

namespace {

class CMultiRobDlgTest : public testing::Test {
protected:
    CMultiRobDlgTest() {
        for (const char* file : { "mine/car.rob", "theirs/car.rob", "mine/truck.rob", "programs/drive.so",
                 "robot/other.rob", "XML/studio0/programs/other.so" })
            m_installed.dir().write(file, "x");
    }
    QString Path(const char* relative) const {
        return m_installed.dir().qpath() + QLatin1Char('/') + relative;
    }
    std::string StdPath(const char* relative) const { return Path(relative).toStdString(); }

    // Picks a file in a combo as a user does: the browse item, then the file.
    static void Choose(QComboBox* combo, const QString& path, QString* folder = nullptr) {
        const auto answered = AnswerFileDialog(path, folder);
        // The browse item is next to both the empty item and a chosen file.
        QTest::keyClick(combo, combo->currentIndex() == 0 ? Qt::Key_Down : Qt::Key_Up);
        EXPECT_TRUE(*answered);
    }

    dialogstest::InstalledConfig m_installed;
    CConfig& m_config = m_installed.config();
};

} // namespace

TEST_F(CMultiRobDlgTest, OkListsTheRowsWithARobotAndRefusesATakenName) {
    std::vector<std::string> robots = { StdPath("mine/car.rob") };
    std::vector<std::string> programs = { StdPath("programs/drive.so") };
    CMultiRobDlg dialog(m_config);
    EXPECT_EQ(dialog.size(), QSize(550, 290));
    QString refusal;
    QString robotFolder;
    QString programFolder;
    const int result = RunModal(
        dialog,
        [&] {
            // The callers' lists are shown by base name, full path in the tool tip.
            QComboBox* car = dialog.Combo(0, 0);
            EXPECT_EQ(car->currentIndex(), 2);
            EXPECT_EQ(car->currentText(), QStringLiteral("car"));
            EXPECT_EQ(car->toolTip(), Path("mine/car.rob"));
            EXPECT_EQ(car->itemText(1), m_config.GetText("CMultiRobDlg", "f_Language", "sCombo"));
            EXPECT_EQ(
                dialog.Combo(0, 1)->itemText(1), m_config.GetText("CMultiRobDlg", "f_Language", "sCombo2"));
            EXPECT_EQ(dialog.Combo(1, 0)->currentIndex(), 0);

            // Another robot named "car" is refused with the message; the row
            // shows what it held before, also while the message is up.
            QString rowWhileTold;
            const auto told = dialogstest::WhenModal<QMessageBox>([&](QMessageBox* box) {
                refusal = box->text();
                rowWhileTold = dialog.Combo(1, 0)->currentText();
                box->buttons().value(0)->click();
            });
            Choose(dialog.Combo(1, 0), Path("theirs/car.rob"), &robotFolder);
            EXPECT_TRUE(*told);
            EXPECT_EQ(rowWhileTold, QString());
            EXPECT_EQ(dialog.Combo(1, 0)->currentIndex(), 0);
            EXPECT_EQ(dialog.Combo(1, 0)->count(), 2);

            // Row 2: a robot without a program; row 3: a program without a robot.
            Choose(dialog.Combo(2, 0), Path("mine/truck.rob"));
            EXPECT_EQ(dialog.Combo(2, 0)->currentText(), QStringLiteral("truck"));
            Choose(dialog.Combo(3, 1), Path("programs/drive.so"), &programFolder);
            // Browsing again and cancelling keeps the file.
            Choose(dialog.Combo(2, 0), QString());
            EXPECT_EQ(dialog.Combo(2, 0)->currentIndex(), 2);
            EXPECT_EQ(dialog.Combo(2, 0)->toolTip(), Path("mine/truck.rob"));
            // So does a name taken, in a row that had a file.
            QString truckWhileTold;
            const auto toldAgain = dialogstest::WhenModal<QMessageBox>([&](QMessageBox* box) {
                truckWhileTold = dialog.Combo(2, 0)->currentText();
                box->buttons().value(0)->click();
            });
            Choose(dialog.Combo(2, 0), Path("theirs/car.rob"));
            EXPECT_TRUE(*toldAgain);
            EXPECT_EQ(truckWhileTold, QStringLiteral("truck"));
            EXPECT_EQ(dialog.Combo(2, 0)->currentText(), QStringLiteral("truck"));
            EXPECT_EQ(dialog.Combo(2, 0)->toolTip(), Path("mine/truck.rob"));
            QTest::mouseClick(dialog.ButtonOK(), Qt::LeftButton);
        },
        [&] { return dialog.Exec(&robots, &programs); });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(refusal,
        m_config.GetText("CMultiRobDlg", "f_SelCombo", "s") + QStringLiteral("\"car\"")
            + m_config.GetText("CMultiRobDlg", "f_SelCombo", "s2") + QStringLiteral("!"));
    // Empty combos browse in the program folder's "robot" and the studio's
    // program folder.
    EXPECT_EQ(robotFolder, Path("robot"));
    EXPECT_EQ(programFolder, Path("XML/studio0/programs"));
    EXPECT_EQ(robots, (std::vector<std::string> { StdPath("mine/car.rob"), StdPath("mine/truck.rob") }));
    EXPECT_EQ(programs, (std::vector<std::string> { StdPath("programs/drive.so"), std::string() }));
}

// Up to six robots, each in a row of its own.
TEST_F(CMultiRobDlgTest, SixRowsHoldSixRobots) {
    std::vector<std::string> robots;
    std::vector<std::string> programs;
    for (const char* robot :
        { "six/a.rob", "six/b.rob", "six/c.rob", "six/d.rob", "six/e.rob", "six/f.rob" }) {
        m_installed.dir().write(robot, "x");
        robots.push_back(StdPath(robot));
        programs.push_back(StdPath("programs/drive.so"));
    }
    programs[5].clear();
    const std::vector<std::string> given = robots;
    CMultiRobDlg dialog(m_config);
    const int result = RunModal(
        dialog,
        [&] {
            EXPECT_EQ(dialog.Combo(5, 0)->currentText(), QStringLiteral("f"));
            EXPECT_EQ(dialog.Combo(5, 1)->currentIndex(), 0);
            QTest::mouseClick(dialog.ButtonOK(), Qt::LeftButton);
        },
        [&] { return dialog.Exec(&robots, &programs); });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(robots, given);
    ASSERT_EQ(programs.size(), 6u);
    EXPECT_EQ(programs[4], StdPath("programs/drive.so"));
    EXPECT_EQ(programs[5], std::string());
}

TEST_F(CMultiRobDlgTest, CancelLeavesTheListsAlone) {
    std::vector<std::string> robots = { StdPath("mine/car.rob") };
    std::vector<std::string> programs = { StdPath("programs/drive.so") };
    CMultiRobDlg dialog(m_config);
    const int result = RunModal(
        dialog,
        [&] {
            Choose(dialog.Combo(1, 0), Path("mine/truck.rob"));
            // The empty item drops a file.
            QTest::keyClick(dialog.Combo(0, 1), Qt::Key_Home);
            EXPECT_EQ(dialog.Combo(0, 1)->count(), 2);
            EXPECT_TRUE(dialog.Combo(0, 1)->toolTip().isEmpty());
            QTest::mouseClick(dialog.ButtonNo(), Qt::LeftButton);
        },
        [&] { return dialog.Exec(&robots, &programs); });
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_EQ(robots, (std::vector<std::string> { StdPath("mine/car.rob") }));
    EXPECT_EQ(programs, (std::vector<std::string> { StdPath("programs/drive.so") }));
}
