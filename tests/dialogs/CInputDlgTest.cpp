#include "dialogs/CInputDlg.h"
#include "foundation/CConfig.h"
#include "platform/ProgramDir.h"
#include "support/QtPrint.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

using testsupport::TempDir;

namespace {

// The language has a title and an OK text for the dialog, but no "sNo".
const char* const kSetUp = R"(<?xml version="1.0" encoding="UTF-8"?>
<data>
  <program><studio0/></program>
  <language><language name="中文"><class>
    <CInputDlg><f_Language sTitle="输入" sOK="确定"/></CInputDlg>
  </class></language></language>
</data>)";

// Runs the dialog modally while `act` plays the user.
int RunModal(CInputDlg& dialog, const std::function<void()>& act) {
    QTimer::singleShot(0, &dialog, act);
    return dialog.exec();
}

} // namespace

TEST(CInputDlg, ShowsPromptTextsAndTheCallersString) {
    QString result = QStringLiteral("robot1");
    CInputDlg dialog(QStringLiteral("名字:"), &result);
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

TEST(CInputDlg, OkWritesBackTheTextEvenUnchanged) {
    QString unchanged = QStringLiteral("192.168.0.7");
    CInputDlg first(QString(), &unchanged);
    EXPECT_EQ(
        RunModal(first, [&] { QTest::mouseClick(first.ButtonOK(), Qt::LeftButton); }), QDialog::Accepted);
    EXPECT_EQ(unchanged, QStringLiteral("192.168.0.7"));

    QString edited = QStringLiteral("old");
    CInputDlg second(QString(), &edited);
    EXPECT_EQ(RunModal(second,
                  [&] {
                      second.LineEdit()->setText(QStringLiteral("教师机"));
                      QTest::mouseClick(second.ButtonOK(), Qt::LeftButton);
                  }),
        QDialog::Accepted);
    EXPECT_EQ(edited, QStringLiteral("教师机"));
}

TEST(CInputDlg, NoAndTheCloseButtonLeaveTheStringAlone) {
    QString result = QStringLiteral("kept");
    CInputDlg no(QString(), &result);
    EXPECT_EQ(RunModal(no,
                  [&] {
                      no.LineEdit()->setText(QStringLiteral("typed"));
                      QTest::mouseClick(no.ButtonNo(), Qt::LeftButton);
                  }),
        QDialog::Rejected);
    EXPECT_EQ(result, QStringLiteral("kept"));

    CInputDlg closed(QString(), &result);
    EXPECT_EQ(RunModal(closed,
                  [&] {
                      closed.LineEdit()->setText(QStringLiteral("typed"));
                      closed.close();
                  }),
        QDialog::Rejected);
    EXPECT_EQ(result, QStringLiteral("kept"));
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    TempDir programDir;
    programDir.write("XML/SetUp_View.xml", kSetUp);
    platform::OverrideProgramDir(programDir.path());
    CConfig::Instance();
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
