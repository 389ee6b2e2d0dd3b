#include "dialogs/CInputDlg.h"
#include "foundation/CConfig.h"
#include "support/CapturedWarnings.h"
#include "support/QtPrint.h"
#include "support/TempDir.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using testsupport::TempDir;

namespace {

// The first language has a title and an OK text for the dialog, but no
// "sNo"; the second gives an empty OK text; the third has no texts for it.
const char* const kSetUp = R"(<?xml version="1.0" encoding="UTF-8"?>
<data>
  <program><studio0/></program>
  <language>
    <language name="中文"><class>
      <CInputDlg><f_Language sTitle="输入" sOK="确定"/></CInputDlg>
    </class></language>
    <language name="English"><class>
      <CInputDlg><f_Language sTitle="Input" sOK="" sNo="Cancel"/></CInputDlg>
    </class></language>
    <language name="Deutsch"><class/></language>
  </language>
</data>)";

// Runs the dialog modally while `act` plays the user.
int RunModal(CInputDlg& dialog, const std::function<void()>& act) {
    QTimer::singleShot(0, &dialog, act);
    return dialog.exec();
}

// The texts of a simulator installed in a folder of the test's own.
class CInputDlgTest : public testing::Test {
protected:
    CInputDlgTest() {
        m_dir.write("XML/SetUp_View.xml", kSetUp);
        m_config = std::make_unique<CConfig>(m_dir.qpath());
    }

    TempDir m_dir;
    std::unique_ptr<CConfig> m_config;
};

} // namespace

TEST_F(CInputDlgTest, ShowsPromptTextsAndTheCallersString) {
    QString result = QStringLiteral("robot1");
    CInputDlg dialog(QStringLiteral("名字:"), &result, *m_config);
    EXPECT_EQ(dialog.size(), QSize(300, 100));
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
    EXPECT_TRUE(dialog.isModal());
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("输入"));
    EXPECT_EQ(dialog.ButtonOK()->text(), QStringLiteral("确定"));
    // No text in the language: the button keeps its own.
    EXPECT_EQ(dialog.ButtonNo()->text(), QStringLiteral("No"));
    EXPECT_EQ(dialog.LineEdit()->text(), QStringLiteral("robot1"));
    EXPECT_TRUE(dialog.findChild<QLabel*>()->text() == QStringLiteral("名字:"));
}

TEST_F(CInputDlgTest, AnEmptyTextIsShownAMissingOneLeavesTheCaption) {
    m_config->SetLanguage(1, false);
    QString result;
    CInputDlg english(QString(), &result, *m_config);
    EXPECT_EQ(english.windowTitle(), QStringLiteral("Input"));
    EXPECT_EQ(english.ButtonOK()->text(), QString());
    EXPECT_EQ(english.ButtonNo()->text(), QStringLiteral("Cancel"));

    // A language without the dialog's texts: the dialog keeps its own, and
    // the gap in the set-up file is reported.
    m_config->SetLanguage(2, false);
    testsupport::CapturedWarnings warnings("morvane.dialogs");
    CInputDlg german(QString(), &result, *m_config);
    EXPECT_EQ(german.ButtonOK()->text(), QStringLiteral("OK"));
    EXPECT_EQ(german.ButtonNo()->text(), QStringLiteral("No"));
    EXPECT_EQ(warnings.count(), 1);
}

TEST_F(CInputDlgTest, OkWritesBackTheTextEvenUnchanged) {
    QString unchanged = QStringLiteral("192.168.0.7");
    CInputDlg first(QString(), &unchanged, *m_config);
    EXPECT_EQ(
        RunModal(first, [&] { QTest::mouseClick(first.ButtonOK(), Qt::LeftButton); }), QDialog::Accepted);
    EXPECT_EQ(unchanged, QStringLiteral("192.168.0.7"));

    QString edited = QStringLiteral("old");
    CInputDlg second(QString(), &edited, *m_config);
    EXPECT_EQ(RunModal(second,
                  [&] {
                      second.LineEdit()->setText(QStringLiteral("教师机"));
                      QTest::mouseClick(second.ButtonOK(), Qt::LeftButton);
                  }),
        QDialog::Accepted);
    EXPECT_EQ(edited, QStringLiteral("教师机"));

    // The text goes back as typed; the caller reads it its own way.
    QString spaced;
    CInputDlg third(QString(), &spaced, *m_config);
    EXPECT_EQ(RunModal(third,
                  [&] {
                      QTest::keyClicks(third.LineEdit(), QStringLiteral(" 12 "));
                      QTest::mouseClick(third.ButtonOK(), Qt::LeftButton);
                  }),
        QDialog::Accepted);
    EXPECT_EQ(spaced, QStringLiteral(" 12 "));
}

TEST_F(CInputDlgTest, NoAndTheCloseButtonLeaveTheStringAlone) {
    QString result = QStringLiteral("kept");
    CInputDlg no(QString(), &result, *m_config);
    EXPECT_EQ(RunModal(no,
                  [&] {
                      no.LineEdit()->setText(QStringLiteral("typed"));
                      QTest::mouseClick(no.ButtonNo(), Qt::LeftButton);
                  }),
        QDialog::Rejected);
    EXPECT_EQ(result, QStringLiteral("kept"));

    CInputDlg closed(QString(), &result, *m_config);
    EXPECT_EQ(RunModal(closed,
                  [&] {
                      closed.LineEdit()->setText(QStringLiteral("typed"));
                      closed.close();
                  }),
        QDialog::Rejected);
    EXPECT_EQ(result, QStringLiteral("kept"));
}
