#include "dialogs/CDriveSetDlg.h"
#include "dialogs/CLoadDlg.h"
#include "dialogs/CProgressDlg.h"
#include "dialogs/CRobDataDlg.h"
#include "dialogs/DialogTestSupport.h"
#include "support/QtPrint.h"
#include "support/VisibleText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <QTextEdit>

#include <gtest/gtest.h>

using dialogstest::RunModal;

namespace {

class SmallDialogs : public testing::Test {
protected:
    dialogstest::InstalledConfig m_installed;
    CConfig& m_config = m_installed.config();
};

// Replaces an edit's text as a user does: select all, type.
void Retype(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

// Clicks a check box where a user does: on its box.
void ClickBox(QCheckBox* box) {
    QStyleOptionButton option;
    option.initFrom(box);
    const QRect indicator = box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
    QTest::mouseClick(box, Qt::LeftButton, {}, indicator.center());
}

} // namespace

TEST_F(SmallDialogs, ProgressShowsBelowAHundredAndHidesAtAHundred) {
    CProgressDlg progress(m_config);
    EXPECT_EQ(progress.size(), QSize(300, 100));
    EXPECT_TRUE(progress.isModal());
    // No title bar and no close button: only its own button hides it.
    EXPECT_TRUE(progress.windowFlags().testFlag(Qt::CustomizeWindowHint));
    EXPECT_FALSE(progress.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    EXPECT_EQ(progress.ProgressBar()->value(), 0);
    EXPECT_FALSE(progress.isVisible());
    for (int percent : { 0, 50, 99 }) {
        progress.SetValue(percent);
        EXPECT_TRUE(progress.isVisible()) << percent;
        EXPECT_EQ(progress.ProgressBar()->value(), percent);
    }
    progress.SetValue(100);
    EXPECT_FALSE(progress.isVisible());
    progress.SetValue(10);
    EXPECT_TRUE(progress.isVisible());
    EXPECT_EQ(progress.ProgressBar()->value(), 10);

    // The button only hides the dialog.
    EXPECT_EQ(progress.Button()->text(), m_config.GetText("CProgressDlg", "f_Language", "sNo"));
    QTest::mouseClick(progress.Button(), Qt::LeftButton);
    EXPECT_FALSE(progress.isVisible());
    EXPECT_EQ(progress.result(), 0);
    EXPECT_EQ(progress.ProgressBar()->value(), 10);
}

TEST_F(SmallDialogs, RobotDataPanelShowsItsTexts) {
    CRobDataDlg panel(m_config);
    EXPECT_EQ(panel.size(), QSize(350, 300));
    EXPECT_EQ(panel.windowTitle(), m_config.GetText("CRobDataDlg", "f_Language", "sTitle"));
    EXPECT_EQ(panel.Label()->text(), m_config.GetText("CRobDataDlg", "f_Language", "s"));
    panel.GetComboBox()->addItems({ QStringLiteral("a.rob"), QStringLiteral("b.rob") });
    panel.GetComboBox()->setCurrentIndex(1);
    panel.SetText(QStringLiteral("端口\t值\r\n1\t50_M"));
    EXPECT_EQ(panel.TextEdit()->toPlainText(), QStringLiteral("端口\t值\n1\t50_M"));
    EXPECT_EQ(panel.GetComboBox()->currentIndex(), 1);
}

TEST_F(SmallDialogs, DriveSpeedsAreWrittenBackInBaseTenWithinTheirRange) {
    int speeds[4] = { 40, 25, 65, 15 };
    CDriveSetDlg dialog(QStringLiteral("驾驶设置"), speeds, m_config);
    EXPECT_EQ(dialog.size(), QSize(200, 180));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("驾驶设置"));
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(dialog.SpeedEdit(i)->text(), QString::number(speeds[i]));
    EXPECT_EQ(dialog.ButtonOK()->text(), m_config.GetText("CDriveSetDlg", "f_Language", "sOK"));
    // Straight, turn and the two wheels of a curve, captioned "s0" to "s3".
    const char* const captions[4] = { "s0", "s1", "s2", "s3" };
    for (int i = 0; i < 4; ++i) {
        auto* caption = qobject_cast<QLabel*>(qobject_cast<QFormLayout*>(dialog.layout()->itemAt(0)->layout())
                                                  ->labelForField(dialog.SpeedEdit(i)));
        ASSERT_NE(caption, nullptr);
        EXPECT_EQ(caption->text(), m_config.GetText("CDriveSetDlg", "f_Language", captions[i])) << i;
        EXPECT_FALSE(caption->text().isEmpty()) << i;
    }

    // Cancel after typing leaves the speeds alone.
    EXPECT_EQ(RunModal(dialog,
                  [&] {
                      Retype(dialog.SpeedEdit(0), QStringLiteral("99"));
                      QTest::mouseClick(dialog.ButtonNo(), Qt::LeftButton);
                  }),
        QDialog::Rejected);
    EXPECT_EQ(speeds[0], 40);

    // The validator lets "150" stand on the way to "15"; it still can't pass
    // 100. "012" is twelve, not octal ten; an emptied edit is 0.
    EXPECT_EQ(RunModal(dialog,
                  [&] {
                      Retype(dialog.SpeedEdit(0), QStringLiteral("150"));
                      Retype(dialog.SpeedEdit(1), QString());
                      Retype(dialog.SpeedEdit(2), QStringLiteral("012"));
                      Retype(dialog.SpeedEdit(3), QStringLiteral("7"));
                      QTest::mouseClick(dialog.ButtonOK(), Qt::LeftButton);
                  }),
        QDialog::Accepted);
    EXPECT_EQ(speeds[0], 100);
    EXPECT_EQ(speeds[1], 0);
    EXPECT_EQ(speeds[2], 12);
    EXPECT_EQ(speeds[3], 7);
}

// Both notes, the boxes and the buttons show whole in every look; the form's
// size holds where the texts leave room.
TEST_F(SmallDialogs, LoadOptionsShowTheirNotesWhole) {
    dialogstest::InEveryLook(m_config, [&](int, bool, const QString& look) {
        SCOPED_TRACE(look.toStdString());
        CLoadDlg dialog(true, true, m_config);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        EXPECT_EQ(dialog.RobotNote()->text(), m_config.GetText("CLoadDlg", "CLoadDlg", "sRob2"));
        EXPECT_EQ(dialog.MapNote()->text(), m_config.GetText("CLoadDlg", "CLoadDlg", "sMap2"));
        EXPECT_FALSE(dialog.MapNote()->text().isEmpty());
        for (const QWidget* widget : std::initializer_list<const QWidget*> { dialog.RobotNote(),
                 dialog.MapNote(), dialog.RobotBox(), dialog.MapBox(), dialog.ButtonOK(), dialog.ButtonNo() })
            EXPECT_EQ(testsupport::CutText(*widget), QString());
        EXPECT_GE(dialog.width(), 300);
        EXPECT_GE(dialog.height(), 100);
    });
}

TEST_F(SmallDialogs, LoadOptionsAreReadOnlyOnOk) {
    CLoadDlg saved(false, false, m_config);
    EXPECT_EQ(saved.size(), QSize(300, 100));
    EXPECT_TRUE(saved.RobotNote()->text().isEmpty());
    EXPECT_TRUE(saved.MapNote()->text().isEmpty());

    CLoadDlg dialog(true, false, m_config);
    EXPECT_EQ(dialog.RobotNote()->text(), m_config.GetText("CLoadDlg", "CLoadDlg", "sRob2"));
    EXPECT_TRUE(dialog.MapNote()->text().isEmpty());
    EXPECT_TRUE(dialog.RobotBox()->isChecked());
    EXPECT_TRUE(dialog.MapBox()->isChecked());

    const auto uncheckBoth = [&] {
        ClickBox(dialog.RobotBox());
        ClickBox(dialog.MapBox());
        EXPECT_FALSE(dialog.RobotBox()->isChecked());
    };
    EXPECT_EQ(RunModal(dialog,
                  [&] {
                      uncheckBoth();
                      QTest::mouseClick(dialog.ButtonNo(), Qt::LeftButton);
                  }),
        QDialog::Rejected);
    EXPECT_TRUE(dialog.m_bLoadRobot);
    EXPECT_TRUE(dialog.m_bLoadMap);

    EXPECT_EQ(
        RunModal(dialog, [&] { QTest::mouseClick(dialog.ButtonOK(), Qt::LeftButton); }), QDialog::Accepted);
    EXPECT_FALSE(dialog.m_bLoadRobot);
    EXPECT_FALSE(dialog.m_bLoadMap);

    // Each box answers for its own part of the example.
    EXPECT_EQ(RunModal(dialog,
                  [&] {
                      ClickBox(dialog.MapBox());
                      QTest::mouseClick(dialog.ButtonOK(), Qt::LeftButton);
                  }),
        QDialog::Accepted);
    EXPECT_FALSE(dialog.m_bLoadRobot);
    EXPECT_TRUE(dialog.m_bLoadMap);
}
