// The playground page as a teacher uses it, under Xvfb: objects and zones
// taken from the bars and put down in the 3-D view with the mouse, set up
// through the side panel and its dialogs, walls, dominoes, a ground picture
// and a model of the user's library; the playground saved, opened and handed
// to the simulation through the menus and file dialogs. Real models, real
// files.

#include "OwnProgramFolder.h"
#include "PageFixture.h"
#include "apps/CEmuApp.h"
#include "apps/CPlaApp.h"
#include "apps/PlaygroundObjects.h"
#include "dialogs/CAssignGEODlg.h"
#include "dialogs/CExTreeView.h"
#include "dialogs/CLoadDlg.h"
#include "dialogs/CRuleDlg.h"
#include "dialogs/CUserDefineDlg.h"
#include "elements/CGeo.h"
#include "elements/CModel.h"
#include "elements/Plane.h"
#include "foundation/CConfig.h"
#include "platform/ProgramDir.h"
#include "scene/Camera.h"
#include "scene/SceneView.h"
#include "scene/Transform.h"
#include "simulation/CPlayground.h"
#include "simulation/CTrigger.h"
#include "simulation/PlaygroundFile.h"
#include "simulation/SRobThreadData.h"
#include "support/FileSizeLimit.h"
#include "support/ModalWatcher.h"
#include "support/QtPrint.h"
#include "support/TempDir.h"
#include "widgets/CBrickBox.h"
#include "widgets/CExWidget.h"
#include "widgets/CImageViewer.h"
#include "widgets/MyPushButton.h"
#include "window/CMainDlg.h"
#include "window/PoseBoxes.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHelpEvent>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSlider>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QToolTip>
#include <QTreeWidget>

#include <tinyxml.h>

#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace fs = std::filesystem;
using testsupport::ModalWatcher;
using testsupport::TempDir;

namespace {

TempDir* g_programDir = nullptr;

QString InFolder(const std::string& relative) {
    return QString::fromStdString((g_programDir->path() / relative).string());
}

// What a bar's picture of each kind number must give: the object's model
// type and sub-type, and the size it starts with.
struct Made {
    int type;
    int sub;
    osg::Vec3f scale;
};

const std::map<int, Made>& Expected() {
    const osg::Vec3f own(1, 1, 1);
    const osg::Vec3f cube(15, 15, 15);
    const osg::Vec3f zone(22, 22, 1);
    static const std::map<int, Made> made = {
        { 100, { ModelTypeSlope, 0, cube } },
        { 101, { ModelTypeSlope, 0, { 20, 20, 5 } } },
        { 106, { ModelTypeSlope, 0, cube } },
        { 107, { ModelTypeSlope, 0, cube } },
        { 111, { ModelTypeSlope, 0, { 20, 20, 1 } } },
        { 102, { ModelTypeCandle, 0, own } },
        { 105, { ModelTypeGeo, 0, cube } },
        { 108, { ModelTypeGeo, 0, cube } },
        { 112, { ModelTypeGeo, 0, cube } },
        { 115, { ModelTypeGeo, 0, own } },
        { 113, { ModelTypeWounded, 0, own } },
        { 116, { ModelTypeTakenObj, 0, own } },
        { 118, { ModelTypeAlarm, 0, own } },
        { 103, { ModelTypeTrigger, TriggerStart, zone } },
        { 104, { ModelTypeTrigger, TriggerEnd, zone } },
        { 109, { ModelTypeTrigger, TriggerScore, zone } },
        { 110, { ModelTypeTrigger, TriggerPath, zone } },
        { 114, { ModelTypeTrigger, TriggerDelivery, zone } },
        { 117, { ModelTypeTrigger, TriggerRescue, zone } },
    };
    return made;
}

class PlaygroundPage : public windowtest::PageFixture {
protected:
    QWidget* OpenPage() override {
        W().tabWidget->setCurrentWidget(W().tab2);
        return W().mygroundwidget;
    }
    scene::SceneApp& PageApp() const override { return *m_window->GetPlaApp(); }

    CPlaApp& Pla() { return *m_window->GetPlaApp(); }

    // The side button of each bar: 0 static, 1 dynamic, 2 trigger.
    MyPushButton* BarButton(int bar) {
        MyPushButton* const buttons[3] = { W().pushButton_ModelGroundStatic,
            W().pushButton_ModelGroundDynamic, W().pushButton_ModelGroundTrigger };
        return buttons[bar];
    }
    CImageViewer* Picture(int kind) {
        for (int bar = 0; bar < 3; ++bar) {
            for (CImageViewer* picture : W().PlaygroundObjectBar(bar)->GetPictures()) {
                if (picture->GetKind() == kind)
                    return picture;
            }
        }
        return nullptr;
    }
    int BarOf(const CImageViewer* picture) {
        for (int bar = 0; bar < 3; ++bar) {
            const auto& pictures = W().PlaygroundObjectBar(bar)->GetPictures();
            if (std::find(pictures.begin(), pictures.end(), picture) != pictures.end())
                return bar;
        }
        return -1;
    }

    // Takes the picture from its bar and puts the object down on the ground
    // at (x, y).
    CModel* AddFromBar(CImageViewer* picture, float x, float y) {
        QTest::mouseClick(BarButton(BarOf(picture)), Qt::LeftButton);
        EXPECT_TRUE(picture->isVisible());
        QTest::mouseClick(picture, Qt::LeftButton, {}, QPoint(30, 30));
        Step();
        CModel* object = Pla().GetSingleSel();
        if (!object)
            return nullptr;
        Click(PixelOf({ x, y, 0.0f }));
        EXPECT_TRUE(object->IsLocked()) << object->GetAddress();
        return object;
    }
    CModel* Add(int kind, float x, float y) { return AddFromBar(Picture(kind), x, y); }

    // A right click on an object chooses it and fills the panel.
    void Choose(CModel* object) {
        osg::Vec3f min, max;
        object->GetBoundingBox(min, max, false);
        Click(PixelOf((min + max) / 2.0f), Qt::RightButton);
        ASSERT_EQ(Pla().GetSingleSel(), object) << object->GetAddress();
    }

    // Types text into an edit as the teacher does, ending with Return.
    void Type(QLineEdit* edit, const QString& text) {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
    }
    void Tick(QAbstractButton* box) {
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
    }
    bool WaitForFiles() {
        return QTest::qWaitFor([&] { return m_files.empty(); }, 5000);
    }
};

} // namespace

// Every picture of the three bars (its kind number read from the set-up
// file) becomes the object its number stands for, at the size that kind
// starts with; the first one already leaves the playground unsaved.
TEST_F(PlaygroundPage, EveryPictureOfTheBarsBecomesItsObjectAtItsStartingSize) {
    EXPECT_TRUE(W().IsPlaygroundSaved());
    std::set<int> kinds;
    float x = -210.0f;
    float y = -150.0f;
    for (int bar = 0; bar < 3; ++bar) {
        EXPECT_EQ(W().PlaygroundObjectBar(bar)->parentWidget()->parentWidget(),
            (std::vector<QWidget*> { W().scrollArea_modelGroundStatic, W().scrollArea_ModelGroundDynamic,
                W().scrollArea_ModelGroundTrigger })[std::size_t(bar)]);
        for (CImageViewer* picture : W().PlaygroundObjectBar(bar)->GetPictures()) {
            kinds.insert(picture->GetKind());
            ASSERT_TRUE(Expected().count(picture->GetKind())) << picture->GetKind();
            const Made& made = Expected().at(picture->GetKind());
            CModel* object = AddFromBar(picture, x, y);
            ASSERT_NE(object, nullptr) << picture->GetAddress();
            EXPECT_FALSE(W().IsPlaygroundSaved());
            EXPECT_EQ(object->GetAddress(), picture->GetAddress());
            EXPECT_EQ(object->GetType(), made.type) << picture->GetKind();
            if (made.type == ModelTypeTrigger) {
                EXPECT_EQ(object->GetSubType(), made.sub) << picture->GetKind();
            }
            EXPECT_EQ(object->GetState().m_vScale, made.scale) << picture->GetKind();
            x += 70.0f;
            if (x > 210.0f) {
                x = -210.0f;
                y += 75.0f;
            }
        }
    }
    EXPECT_EQ(kinds.size(), Expected().size());
    EXPECT_EQ(Pla().GetObjectList().size(),
        std::size_t(W().PlaygroundObjectBar(0)->GetPictures().size()
            + W().PlaygroundObjectBar(1)->GetPictures().size()
            + W().PlaygroundObjectBar(2)->GetPictures().size()));
}

// Choosing an object shows its pose and what its kind has: a size for
// slopes, loaded models and zones (a zone's only in its ground plan), a name
// and the take flag for a loaded model, per zone kind the trigger modes,
// the score, the astronauts or the assigned objects. Choosing changes
// nothing; what the teacher types, ticks and assigns goes to the object, as
// a step that can be undone, and leaves the playground unsaved.
TEST_F(PlaygroundPage, ThePanelShowsWhatTheSelectedObjectHasAndSetsIt) {
    CModel* slope = Add(100, -150, -100);
    CModel* candle = Add(102, -50, -100);
    CModel* cube = Add(105, 50, -100);
    CModel* start = Add(103, 150, -100);
    CModel* path = Add(110, -150, 20);
    CModel* scored = Add(109, -50, 20);
    CModel* delivery = Add(114, 50, 20);
    CModel* rescue = Add(117, 150, 20);
    for (CModel* object : { slope, candle, cube, start, path, scored, delivery, rescue })
        ASSERT_NE(object, nullptr);
    struct Shown {
        bool size, zOnly, attributes, name, take, astronauts, score, modes, only, assign;
    };
    auto shown = [&] {
        return Shown { W().widget_SetSize->isVisible(), W().ZSlider->isEnabled(),
            W().groupBox_PlaObj->isVisible(), W().lineEdit_PlaObjName->isVisible(),
            W().checkBox_Take->isVisible(), W().checkBox_RedAstronaut->isVisible(),
            W().lineEdit_PlaObjScore->isVisible(), W().radioButton_Leave->isVisible(),
            W().checkBox_Only->isVisible(), W().pushButton_PlaObjModels->isVisible() };
    };
    auto expectShown = [&](CModel* object, const Shown& expected) {
        Choose(object);
        const Shown actual = shown();
        const std::string what = object->GetAddress();
        EXPECT_TRUE(W().groupBox_PlaPos->isVisible()) << what;
        EXPECT_TRUE(W().scrollArea_ModelGroundSetSize->isVisible()) << what;
        EXPECT_EQ(actual.size, expected.size) << what;
        if (expected.size) {
            EXPECT_EQ(actual.zOnly, expected.zOnly) << what;
        }
        EXPECT_EQ(actual.attributes, expected.attributes) << what;
        if (!expected.attributes)
            return;
        EXPECT_EQ(actual.name, expected.name) << what;
        EXPECT_EQ(actual.take, expected.take) << what;
        EXPECT_EQ(actual.astronauts, expected.astronauts) << what;
        EXPECT_EQ(actual.score, expected.score) << what;
        EXPECT_EQ(actual.modes, expected.modes) << what;
        EXPECT_EQ(actual.only, expected.only) << what;
        EXPECT_EQ(actual.assign, expected.assign) << what;
    };
    const int stepsBefore = Pla().GetEditState().m_undoStack.count();
    //                     size  z      attr   name   take   astro  score  modes  only   assign
    expectShown(candle, { false, true, false, false, false, false, false, false, false, false });
    expectShown(slope, { true, true, false, false, false, false, false, false, false, false });
    expectShown(cube, { true, true, true, true, true, false, false, false, false, false });
    expectShown(start, { true, false, true, false, false, false, false, true, false, false });
    expectShown(path, { true, false, true, false, false, false, true, false, false, false });
    expectShown(scored, { true, false, true, false, false, false, true, true, false, false });
    expectShown(delivery, { true, false, true, false, false, false, true, true, true, true });
    expectShown(rescue, { true, false, true, false, false, true, true, true, false, false });
    EXPECT_EQ(Pla().GetEditState().m_undoStack.count(), stepsBefore) << "choosing is no edit";

    // The pose, as far as the boxes show it: rounded to two decimals, angles
    // within a turn.
    Choose(candle);
    const osg::Vec3f at = candle->GetState().m_vPos;
    EXPECT_DOUBLE_EQ(W().lineEdit_PlaPosX->text().toDouble(), std::round(double(at.x()) * 100.0) / 100.0);
    EXPECT_DOUBLE_EQ(W().lineEdit_PlaPosY->text().toDouble(), std::round(double(at.y()) * 100.0) / 100.0);
    EXPECT_EQ(W().lineEdit_PlaTurnZ->text(), QStringLiteral("0"));

    // Sizes typed per axis, then all three kept in proportion by the
    // slider: (10, 20, 5) taken to 30 on the largest side is (15, 30, 8).
    Choose(slope);
    EXPECT_EQ(W().lineEdit_XSlider->text(), QStringLiteral("15"));
    EXPECT_EQ(W().AllSlider->value(), 15);
    Type(W().lineEdit_XSlider, QStringLiteral("10"));
    Type(W().lineEdit_YSlider, QStringLiteral("20"));
    Type(W().lineEdit_ZSlider, QStringLiteral("5"));
    EXPECT_EQ(Pla().GetSingleSel()->GetState().m_vScale, osg::Vec3f(10, 20, 5));
    EXPECT_EQ(W().AllSlider->value(), 20);
    W().AllSlider->setValue(30);
    EXPECT_EQ(Pla().GetSingleSel()->GetState().m_vScale, osg::Vec3f(15, 30, 8));
    EXPECT_EQ(W().XSlider->value(), 15);
    EXPECT_EQ(W().lineEdit_ZSlider->text(), QStringLiteral("8"));
    W().YSlider->setFocus();
    QTest::keyClick(W().YSlider, Qt::Key_Up);
    EXPECT_EQ(Pla().GetSingleSel()->GetState().m_vScale, osg::Vec3f(15, 31, 8));
    EXPECT_EQ(W().lineEdit_YSlider->text(), QStringLiteral("31"));
    EXPECT_EQ(W().AllSlider->value(), 31);
    // A size a hair below a whole number (float noise, as a file may carry
    // it) shows as that number; the whole part of a true fraction stays.
    Pla().SetSelScale(std::nextafter(15.0f, 0.0f), 31.5f, 7.9999995f);
    CModel* const scaled = Pla().GetSingleSel();
    Choose(cube);
    Choose(scaled);
    EXPECT_EQ(W().lineEdit_XSlider->text(), QStringLiteral("15"));
    EXPECT_EQ(W().lineEdit_YSlider->text(), QStringLiteral("31"));
    EXPECT_EQ(W().lineEdit_ZSlider->text(), QStringLiteral("8"));
    EXPECT_EQ(W().ZSlider->value(), 8);

    // Zones: modes, score, astronauts, the objects a delivery counts.
    Choose(start);
    QTest::mouseClick(
        W().radioButton_Leave, Qt::LeftButton, {}, QPoint(8, W().radioButton_Leave->height() / 2));
    EXPECT_EQ(start->GetTriggerMode(), 2);
    Choose(path);
    EXPECT_EQ(W().lineEdit_PlaObjScore->text(), QString::number(path->GetScore()));
    Type(W().lineEdit_PlaObjScore, QStringLiteral("25"));
    EXPECT_EQ(path->GetScore(), 25);
    EXPECT_EQ(path->GetTriggerMode(), 0);
    Choose(scored);
    Tick(W().radioButton_In);
    Type(W().lineEdit_PlaObjScore, QStringLiteral("-5"));
    EXPECT_EQ(scored->GetTriggerMode(), 1);
    EXPECT_EQ(scored->GetScore(), -5);
    Choose(rescue);
    Tick(W().checkBox_RedAstronaut);
    Tick(W().checkBox_BlueAstronaut);
    const unsigned char flags[4] = { 0, 1, 0, 1 };
    EXPECT_TRUE(std::equal(flags, flags + 4, rescue->GetState().m_cFlag));
    Choose(cube);
    Type(W().lineEdit_PlaObjName, QStringLiteral("Box"));
    Tick(W().checkBox_Take);
    EXPECT_EQ(cube->GetObjName(), QStringLiteral("Box"));
    EXPECT_EQ(cube->GetTake(), 1);
    Choose(delivery);
    Tick(W().checkBox_Only);
    EXPECT_EQ(delivery->GetOnly(), 1);
    QString assignTitle;
    m_dialogHandler = [&](QDialog* dialog) {
        auto* assign = qobject_cast<CAssignGEODlg*>(dialog);
        ASSERT_NE(assign, nullptr);
        assignTitle = assign->windowTitle();
        QTreeWidget* tree = assign->Tree();
        ASSERT_EQ(tree->topLevelItemCount(), 1) << "the playground's one loaded model";
        QTreeWidgetItem* row = tree->topLevelItem(0);
        EXPECT_EQ(row->text(1), QStringLiteral("Box"));
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(row).center());
        ModalWatcher::Post(assign->ButtonOK());
    };
    QTest::mouseClick(W().pushButton_PlaObjModels, Qt::LeftButton);
    EXPECT_EQ(assignTitle, W().pushButton_PlaObjModels->text());
    EXPECT_EQ(delivery->GetObjList(), std::vector<int> { cube->GetId() });
    EXPECT_FALSE(W().IsPlaygroundSaved());

    // The last edit undone (the builder makes the zone again as it was
    // before): the delivery counts nothing again.
    const int deliveryId = delivery->GetId();
    Key(Qt::Key_Z, Qt::ControlModifier);
    const auto& objects = Pla().GetObjectList();
    const auto again = std::find_if(objects.begin(), objects.end(),
        [&](const osg::ref_ptr<CModel>& object) { return object->GetId() == deliveryId; });
    ASSERT_NE(again, objects.end());
    EXPECT_TRUE((*again)->GetObjList().empty());
    EXPECT_EQ((*again)->GetOnly(), 1);
}

// The page's commands through their menus and dialogs: the scoring rules
// (one limit per button of the robot page's sensor bar; cancelling changes
// nothing, OK leaves the playground unsaved), walls and dominoes from the
// set-up file's groups, a ground picture of 512 x 512 (any other size is
// refused with a message, the next choice starting where the last one was),
// and a model of the user's library, placed under its address in the
// program folder.
TEST_F(PlaygroundPage, RulesGroupsGroundPictureAndUserModelsThroughTheirDialogs) {
    // Rules.
    const CBrickBox* sensors = W().RobotPartBar(2);
    ASSERT_NE(sensors, nullptr);
    const std::size_t limits = sensors->GetPictures().size();
    ASSERT_GT(limits, 2u);
    bool cancel = true;
    QStringList rows;
    m_dialogHandler = [&](QDialog* dialog) {
        auto* rule = qobject_cast<CRuleDlg*>(dialog);
        ASSERT_NE(rule, nullptr);
        EXPECT_EQ(rule->windowTitle(), QStringLiteral("Scoring rules"));
        rows.clear();
        for (const QLabel* label : rule->RowLabels())
            rows << label->text();
        rule->NumberEdit()->setText(QStringLiteral("12"));
        rule->WeightEdit()->setText(QStringLiteral("3"));
        rule->RowEdits()[1]->setText(QStringLiteral("0"));
        ModalWatcher::Post(cancel ? rule->ButtonNo() : rule->ButtonOK());
    };
    QAction* ruleAction = nullptr;
    for (QAction* action : W().menu_E->actions()) {
        if (action->text() == QStringLiteral("Scoring rules"))
            ruleAction = action;
    }
    ASSERT_NE(ruleAction, nullptr);
    ASSERT_TRUE(ruleAction->isVisible());
    Press(ruleAction);
    ASSERT_EQ(rows.size(), qsizetype(limits));
    for (std::size_t i = 0; i < limits; ++i)
        EXPECT_EQ(rows[qsizetype(i)], sensors->GetPictures()[i]->toolTip() + QStringLiteral(":"));
    EXPECT_TRUE(Pla().GetRuleList().empty());
    EXPECT_TRUE(W().IsPlaygroundSaved());
    cancel = false;
    m_lastDialog = nullptr;
    Press(ruleAction);
    std::vector<int> rules = { 12, 3 };
    rules.resize(2 + limits, 8);
    rules[3] = 0;
    EXPECT_EQ(Pla().GetRuleList(), rules);
    EXPECT_FALSE(W().IsPlaygroundSaved());

    // Groups: as many objects as the set-up file lists, carried until a
    // click puts them down; the clipboard then holds them.
    const TiXmlElement* groups = CConfig::Instance().m_pGroupNode;
    ASSERT_NE(groups, nullptr);
    auto count = [&](const char* group) {
        std::size_t n = 0;
        for (const TiXmlElement* obj = groups->FirstChildElement(group)->FirstChildElement("obj"); obj;
             obj = obj->NextSiblingElement("obj"))
            ++n;
        return n;
    };
    EXPECT_FALSE(W().action_ModelPaste->isEnabled());
    const QPoint middle = PixelOf({ 0, 0, 0 });
    Send(QEvent::MouseMove, middle, Qt::NoButton, Qt::NoButton);
    Press(W().action_Walls);
    EXPECT_EQ(Pla().GetObjectList().size(), count("group0"));
    EXPECT_TRUE(W().action_ModelPaste->isEnabled());
    Click(middle);
    W().action_ModelPaste->setEnabled(false);
    Send(QEvent::MouseMove, PixelOf({ 100, 0, 0 }), Qt::NoButton, Qt::NoButton);
    Press(W().action_Dominoes);
    EXPECT_EQ(Pla().GetObjectList().size(), count("group0") + count("group1"));
    EXPECT_TRUE(W().action_ModelPaste->isEnabled());
    Click(PixelOf({ 100, 0, 0 }));

    // Ground pictures.
    fs::create_directories(g_programDir->path() / "pictures");
    QImage field(512, 512, QImage::Format_RGB32);
    field.fill(QColor(20, 140, 60));
    ASSERT_TRUE(field.save(InFolder("pictures/field.png")));
    QImage small(300, 200, QImage::Format_RGB32);
    small.fill(Qt::white);
    ASSERT_TRUE(small.save(InFolder("pictures/small.png")));
    const std::string before = Pla().GetGroundImageName();
    m_files.push_back(InFolder("pictures/small.png"));
    ASSERT_TRUE(W().action_Ground_changeMap->isVisible());
    Press(W().action_Ground_changeMap);
    ASSERT_TRUE(WaitForFiles());
    ASSERT_TRUE(m_watcher.WaitForMessages(1));
    EXPECT_EQ(m_watcher.Messages().back(),
        QStringLiteral("The ground picture must be a picture of 512 x 512 pixels.\n"
                       "This picture is 300 x 200 pixels.\n")
            + InFolder("pictures/small.png"));
    EXPECT_EQ(Pla().GetGroundImageName(), before);
    EXPECT_EQ(m_fileFolders.back(), InFolder("map"));
    m_files.push_back(InFolder("pictures/field.png"));
    Press(W().action_Ground_changeMap);
    ASSERT_TRUE(WaitForFiles());
    EXPECT_EQ(m_fileFolders.back(), InFolder("pictures"));
    EXPECT_EQ(Pla().GetGroundImageName(), InFolder("pictures/field.png").toStdString());
    EXPECT_EQ(m_watcher.Messages().size(), 1);

    // A model of the user's library.
    fs::create_directories(g_programDir->path() / "UserModels");
    fs::copy_file(fs::path(MORVANE_PROGRAM_DIR) / "models/playground/cube.ive",
        g_programDir->path() / "UserModels/mine.ive", fs::copy_options::overwrite_existing);
    m_dialogHandler = [&](QDialog* dialog) {
        auto* library = qobject_cast<CUserDefineDlg*>(dialog);
        ASSERT_NE(library, nullptr);
        ASSERT_EQ(library->Tree()->GetCurrentName(), QStringLiteral("mine.ive"));
        QTest::mouseClick(library->ButtonToMap(), Qt::LeftButton);
        QMetaObject::invokeMethod(library, "reject", Qt::QueuedConnection);
    };
    m_lastDialog = nullptr;
    const std::size_t objects = Pla().GetObjectList().size();
    ASSERT_TRUE(W().action_User_DefineModel->isVisible());
    Press(W().action_User_DefineModel);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Pla().GetObjectList().size() == objects + 1; }, 5000));
    CModel* mine = Pla().GetSingleSel();
    ASSERT_NE(mine, nullptr);
    EXPECT_EQ(mine->GetAddress(), "UserModels/mine.ive");
    EXPECT_EQ(mine->GetType(), ModelTypeSlope);
    EXPECT_EQ(mine->GetState().m_vScale, osg::Vec3f(1, 1, 1));
    Click(PixelOf({ -100, -100, 0 }));
    EXPECT_TRUE(mine->IsLocked());
}

namespace {

// The object's heading, pitch and roll in degrees, and its position.
osg::Vec3 AnglesOf(CModel* object) {
    scene::Transform pose;
    object->GetTransform(pose, scene::CoordSys::Absolute);
    osg::Vec3 xyz;
    osg::Vec3 hpr;
    pose.Get(xyz, hpr);
    return hpr;
}

osg::Vec3 PositionOf(CModel* object) {
    scene::Transform pose;
    object->GetTransform(pose, scene::CoordSys::Absolute);
    osg::Vec3 xyz;
    osg::Vec3 hpr;
    pose.Get(xyz, hpr);
    return xyz;
}

} // namespace

// A size typed into its box takes effect when the box is finished (Return or
// the focus leaving it) and the box then shows the size applied: above 256
// is 256, nothing, 0 or less is 1. The pose boxes and the angle sliders move
// and turn the chosen object.
TEST_F(PlaygroundPage, TypedSizesAreKeptWithinTheirRangeAndThePoseBoxesMoveTheObject) {
    CModel* slope = Add(100, 0, 0);
    ASSERT_NE(slope, nullptr);
    Choose(slope);

    const float y = PositionOf(slope).y();
    Type(W().lineEdit_PlaPosX, QStringLiteral("40"));
    EXPECT_NEAR(PositionOf(slope).x(), 40.0f, 1e-3f);
    EXPECT_NEAR(PositionOf(slope).y(), y, 1e-3f);
    Type(W().lineEdit_PlaTurnZ, QStringLiteral("90"));
    EXPECT_NEAR(AnglesOf(slope).x(), 90.0f, 1e-2f);
    EXPECT_EQ(W().slider_PlaTurnZ->value(), 90);
    W().slider_PlaTurnZ->setValue(45);
    EXPECT_NEAR(AnglesOf(slope).x(), 45.0f, 1e-2f);
    EXPECT_EQ(W().lineEdit_PlaTurnZ->text(), QStringLiteral("45"));

    const auto scale = [&] { return Pla().GetSingleSel()->GetState().m_vScale; };
    Type(W().lineEdit_XSlider, QStringLiteral("300"));
    EXPECT_EQ(scale(), osg::Vec3f(256, 15, 15));
    EXPECT_EQ(W().lineEdit_XSlider->text(), QStringLiteral("256"));
    EXPECT_EQ(W().XSlider->value(), 256);
    EXPECT_EQ(W().AllSlider->value(), 256);
    Type(W().lineEdit_YSlider, QStringLiteral("0"));
    EXPECT_EQ(scale(), osg::Vec3f(256, 1, 15));
    EXPECT_EQ(W().lineEdit_YSlider->text(), QStringLiteral("1"));
    Type(W().lineEdit_ZSlider, QStringLiteral("-5"));
    EXPECT_EQ(scale(), osg::Vec3f(256, 1, 1));
    EXPECT_EQ(W().lineEdit_ZSlider->text(), QStringLiteral("1"));
    EXPECT_EQ(W().ZSlider->value(), 1);
    // Emptied, then left for another box.
    W().lineEdit_XSlider->setFocus();
    W().lineEdit_XSlider->selectAll();
    QTest::keyClick(W().lineEdit_XSlider, Qt::Key_Delete);
    W().lineEdit_YSlider->setFocus();
    EXPECT_EQ(scale(), osg::Vec3f(1, 1, 1));
    EXPECT_EQ(W().lineEdit_XSlider->text(), QStringLiteral("1"));
}

// The panel shows the chosen object as it is, whatever chose or changed it:
// a left click fills it as a right click does; a new size, typed or on a
// slider, moves the object's centre (its bottom stays on the ground) and
// Position Z follows; a turn by the keys leaves the panel filled with the
// angles turned. An open starts with nothing to undo.
TEST_F(PlaygroundPage, ThePanelShowsTheChosenObjectAsItIsWhateverChoseOrChangedIt) {
    CModel* slope = Add(100, 0, 0);
    CModel* cube = Add(105, 100, 0);
    ASSERT_NE(slope, nullptr);
    ASSERT_NE(cube, nullptr);
    const auto shown = [&] { return W().groupBox_PlaPos->isVisible() && W().widget_SetSize->isVisible(); };

    // A left click on the slope, the Properties panel open: filled. With
    // the object bars open, it stays behind them, filled.
    QTest::mouseClick(W().pushButton_ModelGroundSetSize, Qt::LeftButton);
    Click(PixelOf(PositionOf(slope)));
    Step();
    ASSERT_EQ(Pla().GetSingleSel(), slope);
    EXPECT_TRUE(shown()) << "a left click leaves the panel empty";
    QTest::mouseClick(BarButton(1), Qt::LeftButton);
    Click(PixelOf(PositionOf(cube)));
    Step();
    ASSERT_EQ(Pla().GetSingleSel(), cube);
    EXPECT_TRUE(W().scrollArea_ModelGroundDynamic->isVisible()) << "the bar the user opened stays";
    QTest::mouseClick(W().pushButton_ModelGroundSetSize, Qt::LeftButton);
    EXPECT_TRUE(shown());
    EXPECT_EQ(
        W().lineEdit_PlaPosX->text(), window::PoseText(std::round(PositionOf(cube).x() * 100.0) / 100.0));
    // Escape lets the cube go; a rectangle round the slope alone chooses it.
    QTest::keyClick(W().mygroundwidget, Qt::Key_Escape);
    Step();
    ASSERT_EQ(Pla().GetSingleSel(), nullptr);
    EXPECT_FALSE(shown()) << "nothing chosen, nothing shown";
    const QPoint corners[2] = { PixelOf({ -40.0f, -40.0f, 0.0f }), PixelOf({ 40.0f, 40.0f, 0.0f }) };
    Send(QEvent::MouseMove, corners[0], Qt::NoButton, Qt::NoButton);
    Send(QEvent::MouseButtonPress, corners[0], Qt::LeftButton, Qt::LeftButton);
    for (int i = 1; i <= 4; ++i)
        Send(QEvent::MouseMove, corners[0] + (corners[1] - corners[0]) * i / 4, Qt::NoButton, Qt::LeftButton);
    Send(QEvent::MouseButtonRelease, corners[1], Qt::LeftButton, Qt::NoButton);
    Step();
    ASSERT_EQ(Pla().GetSingleSel(), slope);
    EXPECT_TRUE(shown()) << "a rectangle round one object leaves the panel empty";
    Click(PixelOf(PositionOf(slope)));
    Step();
    EXPECT_EQ(W().lineEdit_XSlider->text(), QStringLiteral("15"));

    // New sizes: the bottom stays on the ground, the centre at half the height.
    struct Resize {
        std::function<void()> act;
        const char* z;
    };
    const Resize sizes[] = {
        { [&] { Type(W().lineEdit_ZSlider, QStringLiteral("30")); }, "15" },
        { [&] { W().ZSlider->setValue(40); }, "20" },
        { [&] { W().AllSlider->setValue(20); }, "10" },
    };
    for (const Resize& size : sizes) {
        size.act();
        Step();
        EXPECT_TRUE(shown());
        EXPECT_EQ(W().lineEdit_PlaPosZ->text(), QString::fromLatin1(size.z));
        EXPECT_NEAR(PositionOf(Pla().GetSingleSel()).z(), QString::fromLatin1(size.z).toFloat(), 1e-3f);
    }

    // Angles typed, then turns by the keys: the panel stays filled with the
    // angles the object has. A turn about the upright changes the heading
    // alone; one about the view's level axis and back gives the angles back.
    Choose(cube);
    Type(W().lineEdit_PlaTurnX, QStringLiteral("5"));
    Type(W().lineEdit_PlaTurnY, QStringLiteral("355"));
    Type(W().lineEdit_PlaTurnZ, QStringLiteral("275"));
    const std::pair<Qt::Key, QStringList> turns[] = {
        { Qt::Key_Left, { QStringLiteral("5"), QStringLiteral("355"), QStringLiteral("270") } },
        { Qt::Key_Left, { QStringLiteral("5"), QStringLiteral("355"), QStringLiteral("265") } },
        { Qt::Key_Right, { QStringLiteral("5"), QStringLiteral("355"), QStringLiteral("270") } },
        { Qt::Key_Up, {} },
        { Qt::Key_Down, { QStringLiteral("5"), QStringLiteral("355"), QStringLiteral("270") } },
    };
    for (const auto& [key, angles] : turns) {
        QTest::keyClick(W().mygroundwidget, key);
        Step();
        EXPECT_TRUE(shown()) << "the panel empties after a turn by the keys";
        double fields[6];
        window::PoseFields(cube, fields);
        const QStringList now
            = { W().lineEdit_PlaTurnX->text(), W().lineEdit_PlaTurnY->text(), W().lineEdit_PlaTurnZ->text() };
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(now[i].toDouble(), std::fmod(fields[3 + i] + 720.0, 360.0), 0.006) << i;
        if (!angles.isEmpty()) {
            EXPECT_EQ(now, angles);
        }
    }

    // An open has nothing to undo, whatever was done before it.
    ASSERT_TRUE(W().action_Undo->isEnabled());
    fs::create_directories(g_programDir->path() / "playground");
    m_files.push_back(InFolder("playground/panel.pla"));
    Key(Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(WaitForFiles());
    ASSERT_TRUE(W().action_Undo->isEnabled()) << "a save keeps the steps to undo";
    m_files.push_back(InFolder("playground/panel.pla"));
    Key(Qt::Key_O, Qt::ControlModifier);
    ASSERT_TRUE(WaitForFiles());
    Step();
    EXPECT_FALSE(W().action_Undo->isEnabled()) << "Undo offered right after an open";
    EXPECT_FALSE(W().action_Redo->isEnabled());
}

// An object that is smaller than 1 on every side (a model of its own size
// may be) is scaled by the all-sides slider as if it were 1 on each.
TEST_F(PlaygroundPage, TheAllSidesSliderScalesAnObjectSmallerThanOneOnEverySide) {
    CModel* slope = Add(100, 0, 0);
    ASSERT_NE(slope, nullptr);
    Choose(slope);
    Pla().SetSelScale(0.5f, 0.25f, 0.75f);
    CModel* small = Pla().GetSingleSel();
    ASSERT_NE(small, nullptr);
    ASSERT_EQ(small->GetState().m_vScale, osg::Vec3f(0.5f, 0.25f, 0.75f));
    Choose(small);
    EXPECT_EQ(W().lineEdit_XSlider->text(), QStringLiteral("0"));
    W().AllSlider->setValue(12);
    EXPECT_EQ(Pla().GetSingleSel()->GetState().m_vScale, osg::Vec3f(12, 12, 12));
    EXPECT_EQ(W().lineEdit_YSlider->text(), QStringLiteral("12"));
}

// The keys of the 3-D view reach the playground builder: Left and Right
// turn the chosen object 5 degrees about the upright, one way and back;
// Escape drops an object taken from a bar that was never put down.
TEST_F(PlaygroundPage, TheViewsKeysTurnTheChosenObjectAndEscapeDropsAnObjectNeverPutDown) {
    CModel* cube = Add(105, 0, 0);
    ASSERT_NE(cube, nullptr);
    Choose(cube);
    const float heading = AnglesOf(cube).x();
    QTest::keyClick(W().mygroundwidget, Qt::Key_Left);
    const float turned = AnglesOf(cube).x();
    EXPECT_NEAR(std::fabs(std::remainder(turned - heading, 360.0f)), 5.0f, 1e-2f);
    QTest::keyClick(W().mygroundwidget, Qt::Key_Right);
    EXPECT_NEAR(std::remainder(AnglesOf(cube).x() - heading, 360.0f), 0.0f, 1e-2f);
    EXPECT_EQ(Pla().GetObjectList().size(), 1u);

    QTest::mouseClick(BarButton(0), Qt::LeftButton);
    CImageViewer* slope = Picture(100);
    ASSERT_NE(slope, nullptr);
    QTest::mouseClick(slope, Qt::LeftButton, {}, QPoint(30, 30));
    Step();
    ASSERT_EQ(Pla().GetObjectList().size(), 2u);
    // The keys go to the view at once, not to the bar just clicked.
    EXPECT_EQ(W().focusWidget(), W().mygroundwidget);
    QTest::keyClick(W().mygroundwidget, Qt::Key_Escape);
    Step();
    ASSERT_EQ(Pla().GetObjectList().size(), 1u);
    EXPECT_EQ(Pla().GetObjectList().front().get(), cube);
}

// Entering the page shows its own commands and hides the simulation's; the
// edit commands are enabled exactly while something is chosen.
TEST_F(PlaygroundPage, ItsCommandsAreShownAndTheEditCommandsFollowTheChoice) {
    // Coming from the simulation page, whose commands are shown there.
    W().tabWidget->setCurrentWidget(W().tab3);
    ASSERT_TRUE(W().menu_Virtual->menuAction()->isVisible());
    W().tabWidget->setCurrentWidget(W().tab2);
    for (QAction* action : { W().action_Ground_changeMap, W().action_User_DefineModel,
             W().menu_Group->menuAction(), W().action_save, W().action_ImportROB })
        EXPECT_TRUE(action->isVisible()) << action->objectName().toStdString();
    for (QAction* action : { W().menu_Virtual->menuAction(), W().action_LoadGround, W().action_RobotMove })
        EXPECT_FALSE(action->isVisible()) << action->objectName().toStdString();
    QAction* const edits[] = { W().action_ModelRotate_X, W().action_ModelRotate_Z, W().action_ModelMove,
        W().action_ModelDelete, W().action_ModelCopy };
    Step();
    for (QAction* action : edits)
        EXPECT_FALSE(action->isEnabled()) << action->objectName().toStdString();
    CModel* cube = Add(105, 0, 0);
    ASSERT_NE(cube, nullptr);
    Choose(cube);
    Step();
    for (QAction* action : edits)
        EXPECT_TRUE(action->isEnabled()) << action->objectName().toStdString();

    // The side buttons show one panel at a time, the last one pressed.
    MyPushButton* const sides[4] = { W().pushButton_ModelGroundStatic, W().pushButton_ModelGroundDynamic,
        W().pushButton_ModelGroundTrigger, W().pushButton_ModelGroundSetSize };
    QScrollArea* const panels[4] = { W().scrollArea_modelGroundStatic, W().scrollArea_ModelGroundDynamic,
        W().scrollArea_ModelGroundTrigger, W().scrollArea_ModelGroundSetSize };
    for (int pressed : { 0, 2, 1, 3, 0 }) {
        QTest::mouseClick(sides[pressed], Qt::LeftButton);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(sides[i]->isChecked(), i == pressed) << pressed << " " << i;
            EXPECT_EQ(panels[i]->isVisible(), i == pressed) << pressed << " " << i;
        }
    }
}

// A damaged playground file is refused with the load failure message, after
// the question about the unsaved playground: it names the file and says why,
// in the current language; the playground shown stays as it was, unsaved.
TEST_F(PlaygroundPage, ADamagedFileIsRefusedWithItsReasonAndThePlaygroundShownStays) {
    CModel* cube = Add(105, 0, 0);
    ASSERT_NE(cube, nullptr);
    fs::create_directories(g_programDir->path() / "playground");
    std::string many;
    for (int i = 0; i <= PlaygroundFile::kMaxObjects; ++i)
        many += "<value><struct></struct></value>";
    const auto array = [](const char* name, const std::string& values) {
        return "<value><struct><member><name>" + std::string(name) + "</name><value><array><data>" + values
            + "</data></array></value></member></struct></value>";
    };
    const std::tuple<int, std::string, const char*, QString> cases[] = {
        { 1, "no playground at all", "sNotPlayground", QString() },
        { 1, array("CTakenObj", many), "sTooManyObjects", QStringLiteral("10,000") },
        { 0,
            array("Trigger",
                "<value><struct><member><name>Score</name><value>ten</value></member></struct></value>"),
            "sWrongType", QStringLiteral("Trigger 0 \"Score\"") },
        { 1,
            array("Trigger",
                "<value><struct><member><name>TriggerType</name><value><i4>7</i4></value></member>"
                "</struct></value>"),
            "sUnknownKind", QStringLiteral("Trigger 0 \"TriggerType\"") },
    };
    for (const auto& [language, bytes, reason, detail] : cases) {
        W().menu_internationalization->actions()[language]->trigger();
        ASSERT_EQ(CConfig::Instance().m_nLanguage, language);
        const auto text = [](const char* group, const char* key) {
            return CConfig::Instance().GetText("CMainDlg", group, key);
        };
        std::ofstream(g_programDir->path() / "playground/refused.pla", std::ios::binary) << bytes;
        m_watcher.AnswerBoxesWith({ text("f_AskForSave", "sNo") });
        m_files.push_back(InFolder("playground/refused.pla"));
        const int told = int(m_watcher.Messages().size()) + 2;
        Key(Qt::Key_O, Qt::ControlModifier);
        ASSERT_TRUE(m_watcher.WaitForMessages(told));
        const QString why = detail.isEmpty() ? text("f_SaveMapMessage", reason)
                                             : text("f_SaveMapMessage", reason).arg(detail);
        EXPECT_EQ(m_watcher.Messages().back(),
            text("f_SaveMapMessage", "sLoadNo") + '\n' + InFolder("playground/refused.pla") + '\n' + why)
            << reason;
    }
    ASSERT_EQ(Pla().GetObjectList().size(), 1u);
    EXPECT_EQ(Pla().GetObjectList().front().get(), cube);
    EXPECT_FALSE(W().IsPlaygroundSaved());
    EXPECT_TRUE(W().PlaygroundFile().empty());
}

// A playground opened again shows what was made: an angle of 45 degrees
// reads 45 (the file keeps the turn as a quaternion of six decimals). A zone
// that a file gives the size 0 is drawn at the least size, seen and chosen
// like any other, and keeps its size 0 through a save until it is set.
TEST_F(PlaygroundPage, AnOpenedFileShowsItsAnglesAsSetAndItsZonesOfNoSizeCanBeMended) {
    Choose(Add(100, -100, 0));
    Type(W().lineEdit_PlaTurnZ, QStringLiteral("45"));
    fs::create_directories(g_programDir->path() / "playground");
    const std::string path = InFolder("playground/angles.pla").toStdString();
    m_files.push_back(QString::fromStdString(path));
    // A save that worked is told in the status bar, not in a box.
    Key(Qt::Key_S, Qt::ControlModifier);
    PlaygroundFile file;
    std::string error;
    ASSERT_TRUE(file.Load(path, error)) << error;
    CModelInfo zero;
    zero.m_desc.m_strAddress = "models/trigger/score.ive";
    zero.m_desc.m_nType = ModelTypeTrigger;
    zero.m_desc.m_nSubType = TriggerScore;
    zero.m_state.m_vPos.set(80.0f, -60.0f, 0.0f);
    zero.m_state.m_vScale.set(0.0f, 0.0f, 0.0f);
    ASSERT_TRUE(file.Add(zero, 7) && file.Save(path, error)) << error;
    const QPoint at = PixelOf({ 80.0f, -60.0f, 0.0f });
    const QColor ground = m_view->grabFramebuffer().pixelColor(at);

    m_files.push_back(QString::fromStdString(path));
    Key(Qt::Key_O, Qt::ControlModifier);
    // An open that worked is said in the status bar, as a save is, with no box.
    ASSERT_TRUE(WaitForFiles());
    EXPECT_EQ(W().statusbar->currentMessage(), QStringLiteral("The playground is open: angles.pla"));
    EXPECT_TRUE(m_watcher.Messages().isEmpty());
    ASSERT_EQ(Pla().GetObjectList().size(), 2u);
    Choose(Pla().GetObjectList()[0].get());
    EXPECT_EQ(W().lineEdit_PlaTurnZ->text(), QStringLiteral("45"));
    const QColor drawn = m_view->grabFramebuffer().pixelColor(at);
    EXPECT_GT(std::abs(drawn.red() - ground.red()) + std::abs(drawn.green() - ground.green())
            + std::abs(drawn.blue() - ground.blue()),
        30)
        << "the zone is not to be seen";
    Choose(Pla().GetObjectList()[1].get());
    EXPECT_EQ(W().lineEdit_XSlider->text(), QStringLiteral("0"));
    Key(Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(file.Load(path, error)) << error;
    EXPECT_EQ(file.arrays[PlaygroundFile::ArrayTrigger].at(0).info.m_state.m_vScale, osg::Vec3f(0, 0, 0));
    Choose(Pla().GetObjectList()[1].get());
    Type(W().lineEdit_XSlider, QStringLiteral("10"));
    EXPECT_EQ(Pla().GetSingleSel()->GetState().m_vScale, osg::Vec3f(10, 0, 0));
}

// An example asks first which of its parts to load, noting that the
// playground is unsaved; cancelled, nothing changes. With its playground
// alone, the question Open asks comes next, naming the playground: Cancel
// keeps the playground and saves nothing; Don't save lets the example's
// replace the one in the builder and go to the simulation, and the robots
// stay as they were. The playground's own file is never written.
TEST_F(PlaygroundPage, AnExampleAsksBeforeItsPlaygroundReplacesAnUnsavedOne) {
    const QString example = InFolder("XML/studio0/examples/drive_to_zone/drive_to_zone.pla");
    QDir().mkpath(QFileInfo(example).path());
    ASSERT_TRUE(Pla().SaveCopy(example.toStdString()));
    ASSERT_NE(Add(105, 0, 0), nullptr);
    fs::create_directories(g_programDir->path() / "playground");
    m_files.push_back(InFolder("playground/mine"));
    Key(Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_files.empty(); }, 5000));
    const QByteArray mine = g_programDir->read("playground/mine.pla");
    ASSERT_NE(Add(109, 0, 0), nullptr);
    ASSERT_FALSE(W().IsPlaygroundSaved());
    QAction* action = nullptr;
    for (QAction* candidate : W().menu_2->actions()) {
        if (candidate->objectName() == QStringLiteral("0,0"))
            action = candidate;
    }
    ASSERT_NE(action, nullptr);
    const SRobThreadData& block = *W().GetEmuApp()->GetLoadBlock();
    const std::vector<std::string> robots = block.m_vecRobotFiles;

    bool cancel = true;
    QString robotNote;
    QString mapNote;
    m_dialogHandler = [&](QDialog* dialog) {
        auto* load = qobject_cast<CLoadDlg*>(dialog);
        ASSERT_NE(load, nullptr);
        robotNote = load->RobotNote()->text();
        mapNote = load->MapNote()->text();
        if (cancel) {
            ModalWatcher::Post(load->ButtonNo());
            return;
        }
        load->RobotBox()->setChecked(false);
        ModalWatcher::Post(load->ButtonOK());
    };
    action->trigger();
    EXPECT_TRUE(robotNote.isEmpty());
    EXPECT_EQ(mapNote, CConfig::Instance().GetText("CLoadDlg", "CLoadDlg", "sMap2"));
    EXPECT_EQ(Pla().GetObjectList().size(), 2u);
    EXPECT_EQ(W().tabWidget->currentWidget(), W().tab2);

    cancel = false;
    const std::pair<const char*, std::size_t> answers[] = { { "Cancel", 2 }, { "Don't save", 0 } };
    for (const auto& [answer, objects] : answers) {
        m_lastDialog = nullptr;
        const int told = int(m_watcher.Messages().size());
        m_watcher.AnswerBoxesWith({ QString::fromLatin1(answer) });
        action->trigger();
        ASSERT_TRUE(m_watcher.WaitForMessages(told + 1));
        EXPECT_EQ(m_watcher.Messages().back(),
            QStringLiteral("The playground mine.pla has changes that are not saved. Save them?"));
        EXPECT_EQ(Pla().GetObjectList().size(), objects) << answer;
        EXPECT_EQ(g_programDir->read("playground/mine.pla"), mine) << answer;
    }
    EXPECT_EQ(W().PlaygroundFile(), example.toStdString());
    EXPECT_TRUE(W().IsPlaygroundSaved());
    EXPECT_EQ(block.m_strPlaygroundFile, example.toStdString());
    EXPECT_EQ(block.m_vecRobotFiles, robots);
    EXPECT_EQ(W().tabWidget->currentWidget(), W().tab3);
}

// Every text of the page is its language group's, in the language chosen
// from the menu: Chinese side buttons carry their own (stacked) captions,
// the others draw theirs.
TEST_F(PlaygroundPage, EveryTextOfThePageIsItsLanguageGroupsInTheLanguageChosen) {
    CModel* zone = Add(109, 0, 0);
    ASSERT_NE(zone, nullptr);
    for (int language : { 0, 1 }) {
        SCOPED_TRACE(language);
        for (QAction* action : W().menu_internationalization->actions()) {
            if (action->objectName() == QString::number(language))
                action->trigger();
        }
        Choose(zone);
        ASSERT_EQ(CConfig::Instance().m_nLanguage, language);
        const auto text = [](const char* key) {
            return CConfig::Instance().GetText("CMainDlg", "f_LanguagePlaApp", key);
        };
        EXPECT_EQ(W().action_Ground_changeMap->text(), text("sChangeImage"));
        EXPECT_EQ(W().action_Ground_changeMap->toolTip(), text("sChangeImage"));
        EXPECT_EQ(W().action_Ground_changeMap->statusTip(), text("sStatus_ChangeImage"));
        EXPECT_EQ(W().label_PlaObjName->text(), text("sName"));
        EXPECT_EQ(W().label_PlaObjScore->text(), text("sScore"));
        const std::pair<QAbstractButton*, const char*> buttons[]
            = { { W().radioButton_AllIn, "sAll_In" }, { W().radioButton_In, "sIn" },
                  { W().radioButton_Leave, "sLeave" }, { W().pushButton_PlaObjModels, "sGEO" },
                  { W().checkBox_Take, "sTake" }, { W().checkBox_Only, "sOnly" } };
        for (const auto& [button, key] : buttons) {
            EXPECT_EQ(button->text(), text(key)) << key;
            EXPECT_EQ(button->statusTip(), text(key)) << key;
        }
        // Resting the pointer on a zone's mode shows what the mode does, on
        // one line and whole; Leave says it acts in the first frame.
        for (const auto& [mode, key] :
            { std::pair<QWidget*, const char*> { W().radioButton_AllIn, "sTip_All_In" },
                { W().radioButton_In, "sTip_In" }, { W().radioButton_Leave, "sTip_Leave" } }) {
            QHelpEvent rest(QEvent::ToolTip, QPoint(8, 8), mode->mapToGlobal(QPoint(8, 8)));
            QApplication::sendEvent(mode, &rest);
            EXPECT_TRUE(
                QTest::qWaitFor([&] { return QToolTip::isVisible() && QToolTip::text() == text(key); }, 2000))
                << key;
            EXPECT_FALSE(text(key).contains('\n')) << key;
        }
        EXPECT_TRUE(text("sTip_Leave")
                        .contains(language == 0 ? QStringLiteral("第一帧") : QStringLiteral("first frame")));
        QToolTip::hideText();
        const std::pair<QAbstractButton*, const char*> astronauts[]
            = { { W().checkBox_Astronaut, "sAstronaut" }, { W().checkBox_RedAstronaut, "sRedAstronaut" },
                  { W().checkBox_YellowAstronaut, "sYellowAstronaut" },
                  { W().checkBox_BlueAstronaut, "sBlueAstronaut" } };
        for (const auto& [box, key] : astronauts)
            EXPECT_EQ(box->text(), text(key)) << key;
        const std::tuple<MyPushButton*, const char*, const char*> sides[] = {
            { W().pushButton_ModelGroundStatic, "sStatic", "sStatus_Static" },
            { W().pushButton_ModelGroundDynamic, "sDynamic", "sStatus_Dynamic" },
            { W().pushButton_ModelGroundTrigger, "sTrigger", "sStatus_Trigger" },
            { W().pushButton_ModelGroundSetSize, "sSetSize", "sStatus_SetSize" },
        };
        for (const auto& [button, caption, tip] : sides) {
            EXPECT_EQ(language == 0 ? button->text() : button->GetCaption(), text(caption)) << caption;
            EXPECT_TRUE((language == 0 ? button->GetCaption() : button->text()).isEmpty()) << caption;
            EXPECT_EQ(button->toolTip(), text(tip)) << tip;
            EXPECT_EQ(button->statusTip(), text(tip)) << tip;
        }
        EXPECT_EQ(W().action_User_DefineModel->text(), text("sDefineBrick"));
        EXPECT_EQ(W().action_User_DefineModel->statusTip(), text("sDefineBrick"));
        EXPECT_EQ(W().menu_Group->title(), text("sGroup"));
        EXPECT_EQ(W().action_Walls->text(), text("sWalls"));
        EXPECT_EQ(W().action_Walls->statusTip(), text("sWalls"));
        EXPECT_EQ(W().action_Dominoes->text(), text("sDominoes"));
        EXPECT_EQ(W().action_Dominoes->statusTip(), text("sDominoes"));
        // The scoring rules follow the user models in the Edit menu.
        const QList<QAction*> edit = W().menu_E->actions();
        const qsizetype models = edit.indexOf(W().action_User_DefineModel);
        ASSERT_GE(models, 0);
        ASSERT_LT(models + 1, edit.size());
        EXPECT_EQ(edit[models + 1]->text(), text("sRule"));
    }
}

// The playground made on the page goes to the simulation as it is, and
// loads there with what the panel and the dialogs gave it: a zone's score, a
// model that robots may carry, the models a delivery counts, the scoring
// rules.
TEST_F(PlaygroundPage, WhatThePageMadeLoadsInTheSimulation) {
    CModel* scored = Add(109, -60, 0);
    CModel* cube = Add(105, 60, 0);
    CModel* delivery = Add(114, 0, 60);
    for (CModel* object : { scored, cube, delivery })
        ASSERT_NE(object, nullptr);
    Choose(scored);
    Type(W().lineEdit_PlaObjScore, QStringLiteral("25"));
    Choose(cube);
    Tick(W().checkBox_Take);
    Choose(delivery);
    m_dialogHandler = [&](QDialog* dialog) {
        auto* assign = qobject_cast<CAssignGEODlg*>(dialog);
        ASSERT_NE(assign, nullptr);
        QTreeWidget* tree = assign->Tree();
        ASSERT_EQ(tree->topLevelItemCount(), 1);
        QTest::mouseClick(
            tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(tree->topLevelItem(0)).center());
        ModalWatcher::Post(assign->ButtonOK());
    };
    QTest::mouseClick(W().pushButton_PlaObjModels, Qt::LeftButton);
    ASSERT_EQ(delivery->GetObjList(), std::vector<int> { cube->GetId() });
    std::vector<int> rules = { 30, 4 };
    rules.resize(2 + W().RobotPartBar(2)->GetPictures().size(), 8);
    Pla().SetRuleList(rules);

    Press(W().action_ImportROB);
    ASSERT_EQ(W().tabWidget->currentWidget(), W().tab3);
    CEmuApp& emu = *W().GetEmuApp();
    const SRobThreadData& block = *emu.GetLoadBlock();
    ASSERT_TRUE(emu.LoadMapFile(block.m_strPlaygroundFile));
    const CPlayground& loaded = *emu.GetPlayground();
    EXPECT_EQ(loaded.GetFileName(), block.m_strPlaygroundFile);
    ASSERT_EQ(loaded.GetGeos().size(), 1u);
    EXPECT_EQ(loaded.GetGeos().front()->GetTake(), 1);
    const int crate = loaded.GetGeos().front()->GetId();
    int zones = 0;
    for (const osg::ref_ptr<CTrigger>& zone : loaded.GetTriggers()) {
        if (zone->GetSubType() == TriggerScore) {
            ++zones;
            EXPECT_EQ(zone->GetScore(), 25);
        } else if (zone->GetSubType() == TriggerDelivery) {
            ++zones;
            EXPECT_EQ(zone->GetObjList(), std::vector<int> { crate });
        }
    }
    EXPECT_EQ(zones, 2);
    EXPECT_EQ(block.m_vecRules, rules);
}

// A ground picture in any format the builder reads (named by its format
// or not) is kept as PNG: the playground saved with it opens again in the
// builder and in the simulation, showing the picture. A picture of the
// wrong size, a file that is no picture, or a picture whose working copy
// the disk has no room for, is refused with the reason, and the ground
// stays as it was.
TEST_F(PlaygroundPage, GroundPicturesOfAnyFormatAreKeptAsPngAndOpenAgain) {
    fs::create_directories(g_programDir->path() / "pictures");
    fs::create_directories(g_programDir->path() / "playground");
    struct Picture {
        const char* file;
        const char* format;
        QColor colour;
        QSize size;
        QString refusal;
        rlim_t diskRoom = 0; // bytes the disk takes while it is chosen; 0: any
    };
    const Picture pictures[] = {
        { "pictures/field.png", "PNG", QColor(20, 140, 60), { 512, 512 }, {} },
        { "pictures/field.jpg", "JPG", QColor(200, 40, 40), { 512, 512 }, {} },
        { "pictures/field.bmp", "BMP", QColor(40, 40, 200), { 512, 512 }, {} },
        { "pictures/jpeg.png", "JPG", QColor(220, 200, 20), { 512, 512 }, {} },
        { "pictures/wide.jpg", "JPG", QColor(0, 0, 0), { 600, 512 },
            QStringLiteral("The ground picture must be a picture of 512 x 512 pixels.\n"
                           "This picture is 600 x 512 pixels.") },
        { "pictures/broken.png", nullptr, QColor(), {},
            QStringLiteral("This file is no picture that can be read.") },
        { "pictures/full.bmp", "BMP", QColor(120, 60, 160), { 512, 512 },
            QStringLiteral("The picture cannot be written into the work folder Temp: File too large"), 100 },
    };
    int told = 0;
    for (const Picture& p : pictures) {
        SCOPED_TRACE(p.file);
        if (p.format) {
            QImage picture(p.size, QImage::Format_RGB32);
            picture.fill(p.colour);
            ASSERT_TRUE(picture.save(InFolder(p.file), p.format));
        } else {
            g_programDir->write(p.file, "\x89PNG but no picture");
        }
        const std::string shown = Pla().GetGroundImageName();
        m_files.push_back(InFolder(p.file));
        {
            std::optional<testsupport::FileSizeLimit> full;
            if (p.diskRoom)
                full.emplace(p.diskRoom);
            Press(W().action_Ground_changeMap);
            ASSERT_TRUE(WaitForFiles());
        }
        if (!p.refusal.isEmpty()) {
            ASSERT_TRUE(m_watcher.WaitForMessages(++told));
            EXPECT_EQ(m_watcher.Messages().back(), p.refusal + QLatin1Char('\n') + InFolder(p.file));
            EXPECT_EQ(Pla().GetGroundImageName(), shown);
            continue;
        }
        EXPECT_EQ(Pla().GetGroundImageName(), InFolder(p.file).toStdString());
        EXPECT_FALSE(W().IsPlaygroundSaved());
        const QFileInfo chosen(InFolder(p.file));
        const QString saved
            = InFolder("playground/ground_") + chosen.completeBaseName() + QLatin1Char('_') + chosen.suffix();
        m_files.push_back(saved);
        Press(W().action_saveas);
        ASSERT_TRUE(WaitForFiles());
        ASSERT_TRUE(W().IsPlaygroundSaved());
        PlaygroundFile file;
        std::string error;
        ASSERT_TRUE(file.Load((saved + QStringLiteral(".pla")).toStdString(), error)) << error;
        ASSERT_TRUE(file.image.has_value());
        EXPECT_TRUE(file.image->starts_with("\x89PNG\r\n\x1a\n")) << "kept as PNG";
        // Opened again, the builder shows the picture, as the simulation does.
        Key(Qt::Key_N, Qt::ControlModifier);
        m_files.push_back(saved + QStringLiteral(".pla"));
        Key(Qt::Key_O, Qt::ControlModifier);
        ASSERT_TRUE(WaitForFiles());
        EXPECT_EQ(W().statusbar->currentMessage(),
            QStringLiteral("The playground is open: ground_") + chosen.completeBaseName() + QLatin1Char('_')
                + chosen.suffix() + QStringLiteral(".pla"));
        const osg::Image* ground = Pla().GetGround()->GetTexture()->getImage();
        ASSERT_NE(ground, nullptr);
        ASSERT_EQ(ground->s(), 512);
        const osg::Vec4 centre = ground->getColor(256, 256);
        EXPECT_NEAR(centre.r() * 255, p.colour.red(), 6);
        EXPECT_NEAR(centre.g() * 255, p.colour.green(), 6);
        EXPECT_NEAR(centre.b() * 255, p.colour.blue(), 6);
        Press(W().action_ImportROB);
        ASSERT_EQ(W().tabWidget->currentWidget(), W().tab3);
        EXPECT_EQ(W().GetEmuApp()->GetPlayground()->GetLoadError(), "");
        W().tabWidget->setCurrentWidget(W().tab2);
    }
    EXPECT_EQ(m_watcher.Messages().size(), told);
}

// A save the disk has no room for leaves the playground's file byte for
// byte as it was, says so with the system's reason, and leaves the
// playground unsaved: closing still asks for it.
TEST_F(PlaygroundPage, ASaveThatDoesNotFitKeepsTheFileAndThePlaygroundUnsaved) {
    ASSERT_NE(Add(105, 0, 0), nullptr);
    fs::create_directories(g_programDir->path() / "playground");
    m_files.push_back(InFolder("playground/first_run"));
    Key(Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(WaitForFiles());
    const QByteArray before = g_programDir->read("playground/first_run.pla");
    ASSERT_TRUE(W().IsPlaygroundSaved());

    ASSERT_NE(Add(109, 0, 0), nullptr);
    W().statusbar->clearMessage();
    {
        // The disk takes 10 bytes more than the playground's old file.
        const testsupport::FileSizeLimit full(rlim_t(before.size() + 10));
        Key(Qt::Key_S, Qt::ControlModifier);
        ASSERT_TRUE(m_watcher.WaitForMessages(1));
    }
    EXPECT_EQ(m_watcher.Messages().back(),
        QStringLiteral("The playground could not be saved; an earlier file of that name is unchanged.\n")
            + InFolder("playground/first_run.pla") + QStringLiteral("\nThe system says: File too large"));
    EXPECT_EQ(g_programDir->read("playground/first_run.pla"), before);
    EXPECT_EQ(QDir(InFolder("playground")).entryList({ ".*" }, QDir::Files | QDir::Hidden), QStringList())
        << "nothing left beside it";
    EXPECT_FALSE(W().IsPlaygroundSaved());
    EXPECT_EQ(W().statusbar->currentMessage(), QString()) << "nothing said saved";

    m_watcher.AnswerBoxesWith({ QStringLiteral("Cancel") });
    W().close();
    ASSERT_TRUE(m_watcher.WaitForMessages(2));
    EXPECT_EQ(m_watcher.Messages().back(),
        QStringLiteral("The playground first_run.pla has changes that are not saved. Save them?"));
}

// Closing the window with an unsaved playground asks first, naming it:
// cancelled, the window stays; saved, the playground goes to the file named
// and the window closes, without the quit question.
TEST_F(PlaygroundPage, ClosingWithAnUnsavedPlaygroundOffersToSaveItFirst) {
    ASSERT_NE(Add(105, 0, 0), nullptr);
    ASSERT_FALSE(W().IsPlaygroundSaved());
    const QString ask
        = QStringLiteral("The playground (untitled) has changes that are not saved. Save them?");
    m_watcher.AnswerBoxesWith({ QStringLiteral("Cancel") });
    W().close();
    ASSERT_TRUE(m_watcher.WaitForMessages(1));
    EXPECT_EQ(m_watcher.Messages().back(), ask);
    EXPECT_TRUE(W().isVisible());

    fs::create_directories(g_programDir->path() / "playground");
    m_watcher.AnswerBoxesWith({ QStringLiteral("Save") });
    m_files.push_back(InFolder("playground/before_closing"));
    W().close();
    ASSERT_TRUE(m_watcher.WaitForMessages(2));
    EXPECT_EQ(m_watcher.Messages()[1], ask);
    ASSERT_TRUE(QTest::qWaitFor([&] { return W().IsPlaygroundSaved(); }, 5000));
    EXPECT_TRUE(fs::exists(g_programDir->path() / "playground/before_closing.pla"));
    EXPECT_FALSE(W().isVisible());
    QTest::qWait(50);
    EXPECT_EQ(m_watcher.Messages().size(), 2) << "no quit question once the playground is saved";
}

// Entering the page while a run is going stops the run first, without its
// score table; the playground builder then runs and the simulation rests.
TEST_F(PlaygroundPage, EnteringThePageStopsARunningSimulationWithoutItsScores) {
    ASSERT_NE(Add(109, 0, 0), nullptr);
    Press(W().action_ImportROB);
    ASSERT_EQ(W().tabWidget->currentWidget(), W().tab3);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !W().GetEmuApp()->IsLoading(); }, 10000));
    int dialogs = 0;
    m_dialogHandler = [&](QDialog* dialog) {
        ++dialogs;
        QMetaObject::invokeMethod(dialog, "reject", Qt::QueuedConnection);
    };
    W().action_VirtualStart->trigger();
    ASSERT_TRUE(W().IsEmuRunning());
    Step();
    W().tabWidget->setCurrentWidget(W().tab2);
    EXPECT_FALSE(W().IsEmuRunning());
    EXPECT_FALSE(W().GetEmuApp()->IsRunning());
    EXPECT_TRUE(Pla().IsRunning());
    QTest::qWait(100);
    EXPECT_EQ(dialogs, 0);
    EXPECT_TRUE(m_watcher.Messages().isEmpty());
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // A program folder of this process's own: the build's models and
    // pictures, a set-up file of its own, and folders for what it writes.
    TempDir programDir;
    g_programDir = &programDir;
    windowtest::MakeOwnProgramFolder(programDir, { "SetUp_View.xml" });
    return windowtest::RunTestsIn(programDir, argc, argv);
}
