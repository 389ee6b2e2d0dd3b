#include "dialogs/CAssignGEODlg.h"
#include "dialogs/CRuleDlg.h"
#include "dialogs/DialogTestSupport.h"
#include "elements/CModel.h"
#include "support/QtPrint.h"
#include "support/VisibleText.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <QValidator>

#include <gtest/gtest.h>

#include <tinyxml.h>

#include <vector>

using dialogstest::RunModal;

namespace {

class RuleAndAssign : public testing::Test {
protected:
    dialogstest::InstalledConfig m_installed;
    CConfig& m_config = m_installed.config();
};

const QStringList kSevenSensors = { QStringLiteral("光电"), QStringLiteral("触碰"), QStringLiteral("指南针"),
    QStringLiteral("测距"), QStringLiteral("灰度"), QStringLiteral("火焰"), QStringLiteral("声音") };

void Retype(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

// Grid row and column of a widget of the rule's grid.
std::pair<int, int> GridCell(QWidget* widget) {
    auto* grid = widget->parentWidget()->findChild<QGridLayout*>();
    int row = -1, column = -1, rowSpan = 0, columnSpan = 0;
    if (grid && grid->indexOf(widget) >= 0)
        grid->getItemPosition(grid->indexOf(widget), &row, &column, &rowSpan, &columnSpan);
    return { row, column };
}

// The row labels the robot page's sensor bar gives the dialog: the names of
// its models in the current language, in bar order.
QStringList SensorBarNames(const CConfig& config) {
    QStringList names;
    if (const TiXmlElement* bar = config.m_pViewGroup[2]) {
        for (const TiXmlElement* obj = bar->FirstChildElement("obj"); obj;
             obj = obj->NextSiblingElement("obj"))
            names << config.GetObjName(obj->Attribute("address"));
    }
    return names;
}

osg::ref_ptr<CModel> Element(int id, int type, const char* address, const char* objectName = "") {
    osg::ref_ptr<CModel> model = new CModel(nullptr, address);
    model->SetId(id);
    model->SetType(type);
    model->SetObjName(QString::fromUtf8(objectName));
    return model;
}

} // namespace

TEST_F(RuleAndAssign, AnEmptyRuleGetsItsDefaultsAndOkWritesTheEdits) {
    std::vector<int> values;
    CRuleDlg dialog(kSevenSensors, values, QStringLiteral("规则"), true, m_config);
    EXPECT_EQ(values, (std::vector<int> { 10000, 10000, 8, 8, 8, 8, 8, 8, 8 }));
    EXPECT_EQ(dialog.width(), 390);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("规则"));
    EXPECT_EQ(dialog.TitleLabel(), nullptr);
    ASSERT_NE(dialog.ButtonNo(), nullptr);
    ASSERT_EQ(dialog.RowEdits().size(), 7);
    EXPECT_EQ(dialog.RowLabels()[6]->text(), QStringLiteral("声音:"));
    // Three to a row below the number and weight: 3, 3 and 1.
    EXPECT_EQ(GridCell(dialog.RowLabels()[2]), std::make_pair(1, 4));
    EXPECT_EQ(GridCell(dialog.RowEdits()[3]), std::make_pair(2, 1));
    EXPECT_EQ(GridCell(dialog.RowLabels()[6]), std::make_pair(3, 0));
    EXPECT_EQ(dialog.NumberEdit()->text(), QStringLiteral("10000"));
    EXPECT_EQ(dialog.RowEdits()[4]->text(), QStringLiteral("8"));
    // Numbers and weights are 1 to 10000, counts 0 to 8.
    const auto state = [](const QLineEdit* edit, const char* text) {
        QString input = QString::fromLatin1(text);
        int position = 0;
        return edit->validator()->validate(input, position);
    };
    for (const QLineEdit* number : { dialog.NumberEdit(), dialog.WeightEdit() }) {
        EXPECT_EQ(state(number, "1"), QValidator::Acceptable);
        EXPECT_EQ(state(number, "10000"), QValidator::Acceptable);
        EXPECT_NE(state(number, "0"), QValidator::Acceptable);
        EXPECT_NE(state(number, "10001"), QValidator::Acceptable);
    }
    EXPECT_EQ(state(dialog.RowEdits()[0], "0"), QValidator::Acceptable);
    EXPECT_EQ(state(dialog.RowEdits()[6], "8"), QValidator::Acceptable);
    EXPECT_NE(state(dialog.RowEdits()[6], "9"), QValidator::Acceptable);

    // Cancel leaves the values as they are.
    EXPECT_EQ(RunModal(dialog,
                  [&] {
                      Retype(dialog.NumberEdit(), QStringLiteral("5"));
                      QTest::mouseClick(dialog.ButtonNo(), Qt::LeftButton);
                  }),
        QDialog::Rejected);
    EXPECT_EQ(values[0], 10000);

    // Counts stop at 8 and numbers at 10000, however typed: "10" and "150"
    // are typed whole and the edit shows the nearer end, 8, once it is left
    // (as it does an emptied number's lowest, 1).
    QStringList shown;
    EXPECT_EQ(RunModal(dialog,
                  [&] {
                      // The user's dialog is the active window: focus moves in it.
                      dialog.activateWindow();
                      if (!QTest::qWaitForWindowActive(&dialog)) {
                          ADD_FAILURE() << "the dialog never became the active window";
                          dialog.reject();
                          return;
                      }
                      Retype(dialog.NumberEdit(), QStringLiteral("250"));
                      Retype(dialog.WeightEdit(), QString());
                      Retype(dialog.RowEdits()[0], QStringLiteral("9"));
                      Retype(dialog.RowEdits()[1], QStringLiteral("10"));
                      Retype(dialog.RowEdits()[2], QStringLiteral("150"));
                      Retype(dialog.RowEdits()[6], QStringLiteral("3"));
                      for (const QLineEdit* edit : { dialog.WeightEdit(), dialog.RowEdits()[0],
                               dialog.RowEdits()[1], dialog.RowEdits()[2] })
                          shown << edit->text();
                      QTest::mouseClick(dialog.ButtonOK(), Qt::LeftButton);
                  }),
        QDialog::Accepted);
    EXPECT_EQ(shown, QStringList({ "1", "8", "8", "8" }));
    EXPECT_EQ(values, (std::vector<int> { 250, 1, 8, 8, 8, 8, 8, 8, 3 }));
}

TEST_F(RuleAndAssign, AReadOnlyRuleShowsItsTitleAndWritesNothing) {
    std::vector<int> values = { 30, 20, 1, 2 };
    CRuleDlg dialog(kSevenSensors.mid(0, 3), values, QString(), false, m_config);
    // The third count was missing: its default is appended.
    EXPECT_EQ(values, (std::vector<int> { 30, 20, 1, 2, 8 }));
    ASSERT_NE(dialog.TitleLabel(), nullptr);
    EXPECT_EQ(dialog.TitleLabel()->text(), m_config.GetText("CRuleDlg", "f_Language", "sRule"));
    EXPECT_EQ(dialog.ButtonNo(), nullptr);
    EXPECT_FALSE(dialog.NumberEdit()->isEnabled());
    EXPECT_FALSE(dialog.RowEdits()[1]->isEnabled());
    EXPECT_EQ(dialog.RowEdits()[1]->text(), QStringLiteral("2"));
    dialog.NumberEdit()->setText(QStringLiteral("1"));
    EXPECT_EQ(
        RunModal(dialog, [&] { QTest::mouseClick(dialog.ButtonOK(), Qt::LeftButton); }), QDialog::Accepted);
    EXPECT_EQ(values, (std::vector<int> { 30, 20, 1, 2, 8 }));
}

// Each label, each field with the largest value it takes and each button
// shows whole in both languages, with the sensor bar's own names, in every
// look. Number and weight have rows of their own, the label before the
// field; the dialog keeps its width where that is enough.
TEST_F(RuleAndAssign, EveryLabelFieldAndButtonShowsWholeInBothLanguages) {
    dialogstest::InEveryLook(m_config, [&](int language, bool programLook, const QString& look) {
        const QStringList rows = SensorBarNames(m_config);
        ASSERT_EQ(rows.size(), 12);
        for (bool editable : { true, false }) {
            SCOPED_TRACE(look.toStdString() + (editable ? ", editable" : ", read-only"));
            std::vector<int> values;
            CRuleDlg dialog(rows, values, QStringLiteral("Rule"), editable, m_config);
            // Read-only, it tells why it is shown: the longest of those
            // notes, wrapped within the form's width.
            if (!editable) {
                const auto text = [&](const char* key) {
                    return m_config.GetText("CMainDlg", "f_Ui_ReloadToEmuApp", key);
                };
                dialog.SetNote(text("sLeftOut")
                    + text("sRuleSensors")
                          .arg(text("sRowName").arg(QStringLiteral("second_robot_of_the_blue_team")).arg(6))
                          .arg(8)
                          .arg(rows.back())
                          .arg(7)
                    + QLatin1Char(' ') + text("sRuleRest"));
            }
            dialog.show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
            QList<QWidget*> shown = { dialog.NumberEdit(), dialog.WeightEdit(), dialog.ButtonOK() };
            if (editable)
                shown << dialog.ButtonNo();
            for (QLabel* label : dialog.findChildren<QLabel*>()) {
                EXPECT_FALSE(label->text().isEmpty());
                shown << label;
            }
            for (int i = 0; i < dialog.RowEdits().size(); ++i) {
                EXPECT_EQ(dialog.RowLabels()[i]->text(), rows[i] + QStringLiteral(":"));
                dialog.RowEdits()[i]->setText(QString::number(CRuleDlg::kMaxCount));
                shown << dialog.RowEdits()[i];
            }
            EXPECT_EQ(shown.size(), 2 * rows.size() + (editable ? 6 : 7));
            for (const QWidget* widget : shown)
                EXPECT_EQ(testsupport::CutText(*widget), QString());
            EXPECT_GE(dialog.width(), 390);
            const QRect number = dialog.NumberEdit()->geometry();
            const QRect weight = dialog.WeightEdit()->geometry();
            EXPECT_LT(number.bottom(), weight.top());
            EXPECT_LT(weight.bottom(), dialog.RowEdits()[0]->geometry().top());
            for (auto [label, edit] :
                { std::pair(dialog.NumberLabel(), number), std::pair(dialog.WeightLabel(), weight) }) {
                EXPECT_LT(label->geometry().right(), edit.left());
                EXPECT_TRUE(
                    label->geometry().intersects(QRect(0, edit.top(), dialog.width(), edit.height())));
            }
            // As the program shows it, for the test's artefacts.
            if (editable && programLook) {
                EXPECT_TRUE(testsupport::SaveArtefact(dialog.grab().toImage(),
                    language == 0 ? QStringLiteral("rule_dialog_zh.png")
                                  : QStringLiteral("rule_dialog_en.png")));
            }
        }
    });
}

TEST_F(RuleAndAssign, AssigningTogglesGeometryObjectsAndKeepsUnlistedIds) {
    osg::ref_ptr<CModel> trigger = Element(1, 8, "models/trigger/delivery.ive");
    // 3 is listed and assigned (twice, as a damaged file may have it); 99
    // was deleted since.
    trigger->SetObjList({ 3, 99, 3 });
    const std::vector<osg::ref_ptr<CModel>> playground
        = { trigger, Element(3, 9, "models/playground/cube.ive", "红块"),
              Element(4, 9, "models/playground/ball.ive", "球一"),
              Element(5, 6, "models/playground/slope.ive"), Element(6, 7, "models/playground/candle.ive") };

    CAssignGEODlg dialog(trigger, playground, QStringLiteral("投放"), m_config);
    EXPECT_EQ(dialog.size(), QSize(350, 600));
    QTreeWidget* tree = dialog.Tree();
    const QString mark = m_config.GetText("CAssignGEODlg", "f_Language", "s2");
    ASSERT_FALSE(mark.isEmpty());
    EXPECT_EQ(tree->headerItem()->text(2), mark);
    const auto row = [&](int id) -> QTreeWidgetItem* {
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            if (tree->topLevelItem(i)->statusTip(0) == QString::number(id))
                return tree->topLevelItem(i);
        }
        return nullptr;
    };
    const auto click = [&](int id) {
        QTreeWidgetItem* item = row(id);
        ASSERT_NE(item, nullptr);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item).center());
    };

    // Only the geometry objects are listed, with their names.
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    ASSERT_NE(row(3), nullptr);
    EXPECT_EQ(row(3)->text(0), m_config.GetObjName("models/playground/cube.ive"));
    EXPECT_EQ(row(3)->text(1), QStringLiteral("红块"));
    EXPECT_EQ(row(3)->text(2), mark);
    EXPECT_EQ(row(4)->text(2), QString());

    // A cancelled dialog leaves the trigger's list alone.
    EXPECT_EQ(RunModal(dialog,
                  [&] {
                      click(4);
                      EXPECT_EQ(row(4)->text(2), mark);
                      QTest::mouseClick(dialog.ButtonNo(), Qt::LeftButton);
                  }),
        QDialog::Rejected);
    EXPECT_EQ(trigger->GetObjList(), (std::vector<int> { 3, 99, 3 }));

    CAssignGEODlg again(trigger, playground, QString(), m_config);
    tree = again.Tree();
    EXPECT_EQ(RunModal(again,
                  [&] {
                      // Twice on a row: as before.
                      click(4);
                      click(4);
                      EXPECT_EQ(again.WorkingList(), (std::vector<int> { 3, 99, 3 }));
                      EXPECT_EQ(row(4)->text(2), QString());
                      click(3);
                      EXPECT_EQ(row(3)->text(2), QString());
                      QTest::mouseClick(again.ButtonOK(), Qt::LeftButton);
                  }),
        QDialog::Accepted);
    EXPECT_EQ(trigger->GetObjList(), (std::vector<int> { 99 }));
}
