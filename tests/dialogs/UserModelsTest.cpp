#include "dialogs/CExTreeView.h"
#include "dialogs/CUserDefineDlg.h"
#include "dialogs/DialogTestSupport.h"
#include "support/FileSizeLimit.h"
#include "support/QtPrint.h"
#include "support/TempDir.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

using dialogstest::AnswerFileDialog;
using dialogstest::AnswerMessageBox;
using dialogstest::RunModal;
using dialogstest::WhenModal;

namespace {

// Sets a file's modification time.
void Touch(const QString& path, const QDateTime& time) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(time, QFileDevice::FileModificationTime));
}

QStringList Column(const QTreeWidget& tree, int column) {
    QStringList texts;
    for (int i = 0; i < tree.topLevelItemCount(); ++i)
        texts << tree.topLevelItem(i)->text(column);
    return texts;
}

// A language without the file list's type texts.
const char* const kSetUpWithoutTypes = R"(<?xml version="1.0" encoding="UTF-8"?>
<data><program><studio0/></program><language><language name="x"><class/></language></language></data>)";

QByteArray Model() {
    QFile file(QStringLiteral(MORVANE_PROGRAM_DIR "/models/playground/cube.ive"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST(CExTreeView, ListsTheModelFilesOfARealFolder) {
    dialogstest::InstalledConfig installed;
    testsupport::TempDir folder;
    folder.write("empty.osg", QByteArray());
    folder.write("Robot.IVE", QByteArray(1024, 'x'));
    folder.write("nine.ive", QByteArray(8 * 1024 + 1, 'x'));
    folder.write("large.osg", QByteArray(1199 * 1024, 'x'));
    for (const char* other : { "x.ive.bak", ".ive", "ive", "notes.txt", "a.iv" })
        folder.write(other, "x");
    folder.write("folder.ive/inside.ive", "x");
    Touch(folder.qpath() + QStringLiteral("/nine.ive"), QDateTime(QDate(2011, 5, 3), QTime(9, 7, 2)));

    CExTreeView view(folder.qpath(), installed.config());
    EXPECT_EQ(Column(view, 0),
        (QStringList { QStringLiteral("empty.osg"), QStringLiteral("large.osg"), QStringLiteral("nine.ive"),
            QStringLiteral("Robot.IVE") }));
    const CConfig& config = installed.config();
    EXPECT_EQ(view.headerItem()->text(3), config.GetText("CExTreeView", "CExTreeView", "s3"));
    EXPECT_EQ(Column(view, 1),
        (QStringList { config.GetText("CExTreeView", "f_IsIveOrOsg", "sOsg"),
            config.GetText("CExTreeView", "f_IsIveOrOsg", "sOsg"),
            config.GetText("CExTreeView", "f_IsIveOrOsg", "sIve"),
            config.GetText("CExTreeView", "f_IsIveOrOsg", "sIve") }));
    // Whole kilobytes plus one, padded to the longest.
    EXPECT_EQ(Column(view, 2),
        (QStringList { QStringLiteral("   1 KB"), QStringLiteral("1200 KB"), QStringLiteral("   9 KB"),
            QStringLiteral("   2 KB") }));
    EXPECT_EQ(view.topLevelItem(2)->text(3), QStringLiteral("2011-5-3 09:07:02"));
    EXPECT_EQ(view.GetCurrentName(), QStringLiteral("empty.osg"));
    // A name is a model's with a letter before its four-letter ending.
    EXPECT_EQ(
        view.f_IsIveOrOsg(QStringLiteral("a.IvE")), config.GetText("CExTreeView", "f_IsIveOrOsg", "sIve"));
    for (const char* name : { ".ive", ".OSG", "aive", "a.ive.bak" })
        EXPECT_EQ(view.f_IsIveOrOsg(QString::fromLatin1(name)), QString()) << name;

    view.Refresh(QStringLiteral("nine.ive"));
    EXPECT_EQ(view.GetCurrentName(), QStringLiteral("nine.ive"));
    ASSERT_TRUE(view.RemoveFile());
    EXPECT_FALSE(folder.exists("nine.ive"));
    EXPECT_EQ(view.topLevelItemCount(), 3);

    // A language without the type texts still lists the models.
    testsupport::TempDir bare;
    bare.write("XML/SetUp_View.xml", kSetUpWithoutTypes);
    CConfig bareConfig(bare.qpath());
    CExTreeView untexted(folder.qpath(), bareConfig);
    EXPECT_EQ(Column(untexted, 1),
        (QStringList { QStringLiteral("OSG"), QStringLiteral("OSG"), QStringLiteral("IVE") }));

    // No folder, no rows, nothing to remove.
    CExTreeView missing(folder.qpath() + QStringLiteral("/none"), installed.config());
    EXPECT_EQ(missing.topLevelItemCount(), 0);
    EXPECT_FALSE(missing.RemoveFile());
}

TEST(CUserDefineDlg, AddsPlacesAndDeletesARealModelFile) {
    dialogstest::InstalledConfig installed;
    const CConfig& config = installed.config();
    const QByteArray model = Model();
    ASSERT_FALSE(model.isEmpty());
    const testsupport::TempDir& dir = installed.dir();
    dir.write("elsewhere/car.ive", model);
    dir.write("other/car.ive", "another car");
    const QString source = dir.qpath() + QStringLiteral("/elsewhere");

    CUserDefineDlg dialog(config);
    dialog.f_Language();
    EXPECT_EQ(dialog.size(), QSize(684, 455));
    EXPECT_EQ(dialog.ButtonDel()->text(), config.GetText("CUserDefineDlg", "f_Language", "sDel"));
    EXPECT_EQ(dialog.ModelDir(), dir.qpath() + QStringLiteral("/UserModels/"));
    QSignalSpy placed(&dialog, &CUserDefineDlg::signal_ToGround);
    QString refusal;
    QString secondFolder;
    const auto answerDelete = [](Qt::Key key) {
        return WhenModal<QMessageBox>([key](QMessageBox* box) { QTest::keyClick(box, key); });
    };

    const int result = RunModal(
        dialog,
        [&] {
            // An empty library places nothing.
            QTest::mouseClick(dialog.ButtonToMap(), Qt::LeftButton);
            EXPECT_EQ(placed.count(), 0);

            // Adding copies the file into the library, which is made when missing.
            const auto added = AnswerFileDialog(source + QStringLiteral("/car.ive"));
            QTest::mouseClick(dialog.ButtonAdd(), Qt::LeftButton);
            EXPECT_TRUE(*added);
            EXPECT_EQ(dir.read("UserModels/car.ive"), model);
            EXPECT_EQ(dialog.Tree()->GetCurrentName(), QStringLiteral("car.ive"));

            // A second car.ive is refused; the next add opens where the last one came from.
            const auto told = AnswerMessageBox(&refusal);
            const auto second
                = AnswerFileDialog(dir.qpath() + QStringLiteral("/other/car.ive"), &secondFolder);
            QTest::mouseClick(dialog.ButtonAdd(), Qt::LeftButton);
            EXPECT_TRUE(*second);
            EXPECT_TRUE(*told);
            EXPECT_EQ(dir.read("UserModels/car.ive"), model);

            QTest::mouseClick(dialog.ButtonToMap(), Qt::LeftButton);
            ASSERT_EQ(placed.count(), 1);
            EXPECT_EQ(placed.at(0).at(0).toString(), dialog.ModelDir() + QStringLiteral("car.ive"));

            const QTreeWidgetItem* row = dialog.Tree()->topLevelItem(0);
            QTest::mouseClick(
                dialog.Tree()->viewport(), Qt::LeftButton, {}, dialog.Tree()->visualItemRect(row).center());
            EXPECT_EQ(
                dialog.StatusBar()->currentMessage(), dir.qpath() + QStringLiteral("/UserModels/car.ive"));

            // The question: C keeps the file, O deletes it.
            auto asked = answerDelete(Qt::Key_C);
            QTest::mouseClick(dialog.ButtonDel(), Qt::LeftButton);
            EXPECT_TRUE(*asked);
            EXPECT_TRUE(dir.exists("UserModels/car.ive"));
            asked = answerDelete(Qt::Key_O);
            QTest::mouseClick(dialog.ButtonDel(), Qt::LeftButton);
            EXPECT_TRUE(*asked);
            EXPECT_FALSE(dir.exists("UserModels/car.ive"));
            EXPECT_EQ(dialog.Tree()->topLevelItemCount(), 0);
            dialog.close();
        },
        [&] { return dialog.Exec(); });
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_EQ(refusal, config.GetText("CUserDefineDlg", "slot_ptn_AddFile_1", "s"));
    EXPECT_EQ(secondFolder, source);
}

// The delete question's buttons, as each language writes their keys:
// English marks a letter of the word, Chinese puts the key after it. The
// cancel key keeps the file, the delete key deletes it.
TEST(CUserDefineDlg, TheDeleteQuestionsButtonsCarryTheirKeysAsTheLanguageWritesThem) {
    struct Case {
        int language;
        QStringList buttons;
        Qt::Key keep;
        Qt::Key remove;
    };
    const Case cases[] = {
        { 0, { QStringLiteral("删除(O)"), QStringLiteral("取消(C)") }, Qt::Key_C, Qt::Key_O },
        { 1, { QStringLiteral("&Delete"), QStringLiteral("&Cancel") }, Qt::Key_C, Qt::Key_D },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.language);
        dialogstest::InstalledConfig installed;
        installed.config().SetLanguage(c.language, false);
        const testsupport::TempDir& dir = installed.dir();
        dir.write("UserModels/car.ive", Model());
        CUserDefineDlg dialog(installed.config());
        QStringList shown;
        // A key that answers nothing leaves the question open: the case
        // fails, and the question goes.
        const auto press = [](QMessageBox* box, Qt::Key key) {
            QTest::keyClick(box, key);
            QTimer::singleShot(2000, box, [box] {
                ADD_FAILURE() << "the key answered nothing";
                box->reject();
            });
        };
        RunModal(
            dialog,
            [&] {
                auto asked = WhenModal<QMessageBox>([&](QMessageBox* box) {
                    for (QAbstractButton* button : box->buttons())
                        shown << button->text();
                    press(box, c.keep);
                });
                QTest::mouseClick(dialog.ButtonDel(), Qt::LeftButton);
                EXPECT_TRUE(*asked);
                EXPECT_TRUE(dir.exists("UserModels/car.ive"));
                asked = WhenModal<QMessageBox>([&](QMessageBox* box) { press(box, c.remove); });
                QTest::mouseClick(dialog.ButtonDel(), Qt::LeftButton);
                EXPECT_TRUE(*asked);
                EXPECT_FALSE(dir.exists("UserModels/car.ive"));
                dialog.close();
            },
            [&] { return dialog.Exec(); });
        EXPECT_EQ(shown, c.buttons);
    }
}

// A copy that cannot be made whole leaves the library as it was, nothing
// cut and nothing hidden in it, and says which file and the system's
// reason.
TEST(CUserDefineDlg, AFailedCopyIsToldWithTheReasonAndLeavesTheLibraryAsItWas) {
    struct Case {
        const char* what;
        bool fileForFolder; // a file where the library folder should be
        bool full; // a disk that takes half the model
        const char* reason;
    };
    const Case cases[] = {
        { "a file where the folder should be", true, false, "Not a directory" },
        { "a disk without room for the model", false, true, "File too large" },
    };
    const QByteArray model = Model();
    ASSERT_GT(model.size(), 100);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        dialogstest::InstalledConfig installed;
        const CConfig& config = installed.config();
        const testsupport::TempDir& dir = installed.dir();
        dir.write("elsewhere/car.ive", model);
        if (c.fileForFolder)
            dir.write("UserModels", "not a folder");
        else
            ASSERT_TRUE(QDir().mkpath(dir.qpath() + QStringLiteral("/UserModels")));
        CUserDefineDlg dialog(config);
        QString told;
        RunModal(
            dialog,
            [&] {
                std::optional<testsupport::FileSizeLimit> full;
                if (c.full)
                    full.emplace(rlim_t(model.size() / 2));
                const auto failed = AnswerMessageBox(&told);
                const auto added = AnswerFileDialog(dir.qpath() + QStringLiteral("/elsewhere/car.ive"));
                QTest::mouseClick(dialog.ButtonAdd(), Qt::LeftButton);
                EXPECT_TRUE(*added);
                EXPECT_TRUE(*failed);
                dialog.close();
            },
            [&] { return dialog.Exec(); });
        EXPECT_EQ(told,
            config.GetText("CUserDefineDlg", "slot_ptn_AddFile_1", "sFail") + QLatin1Char('\n') + dir.qpath()
                + QStringLiteral("/elsewhere/car.ive\n")
                + config.GetText("CUserDefineDlg", "slot_ptn_AddFile_1", "sSystem")
                      .arg(QString::fromLatin1(c.reason)));
        if (c.fileForFolder) {
            EXPECT_EQ(dir.read("UserModels"), QByteArray("not a folder"));
        } else {
            EXPECT_EQ(QDir(dir.qpath() + QStringLiteral("/UserModels"))
                          .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                QStringList())
                << "nothing cut, nothing hidden";
            EXPECT_EQ(dialog.Tree()->topLevelItemCount(), 0);
        }
    }
}

TEST(CUserDefineDlg, AModelThatCannotBeDeletedIsTold) {
    dialogstest::InstalledConfig installed;
    const testsupport::TempDir& dir = installed.dir();
    dir.write("UserModels/car.ive", Model());
    CUserDefineDlg dialog(installed.config());
    QString told;
    std::shared_ptr<bool> failed;
    RunModal(
        dialog,
        [&] {
            ASSERT_EQ(dialog.Tree()->GetCurrentName(), QStringLiteral("car.ive"));
            // Gone from the folder behind the library's back.
            ASSERT_TRUE(QFile::remove(dir.qpath() + QStringLiteral("/UserModels/car.ive")));
            const auto asked = WhenModal<QMessageBox>([&](QMessageBox* box) {
                box->buttons().front()->click();
                failed = AnswerMessageBox(&told);
            });
            QTest::mouseClick(dialog.ButtonDel(), Qt::LeftButton);
            EXPECT_TRUE(*asked);
            EXPECT_TRUE(QTest::qWaitFor([&] { return failed && *failed; }, 5000));
            dialog.close();
        },
        [&] { return dialog.Exec(); });
    EXPECT_EQ(told, installed.config().GetText("CUserDefineDlg", "slot_ptn_DelFile_1", "sFail"));
}
