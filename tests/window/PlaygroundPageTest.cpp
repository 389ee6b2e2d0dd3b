// The playground page as a teacher uses it, under Xvfb: objects and zones
// taken from the bars and put down in the 3-D view with the mouse, set up
// through the side panel and its dialogs, walls, dominoes, a ground picture
// and a model of the user's library; the playground saved, opened and handed
// to the simulation through the menus and file dialogs. Real models, real
// files.

#include "apps/CEmuApp.h"
#include "apps/CPlaApp.h"
#include "dialogs/CAssignGEODlg.h"
#include "dialogs/CExTreeView.h"
#include "dialogs/CRuleDlg.h"
#include "dialogs/CUserDefineDlg.h"
#include "elements/CModel.h"
#include "foundation/CConfig.h"
#include "platform/ProgramDir.h"
#include "scene/Camera.h"
#include "scene/SceneView.h"
#include "simulation/CTrigger.h"
#include "simulation/PlaygroundFile.h"
#include "simulation/SRobThreadData.h"
#include "support/ModalWatcher.h"
#include "support/QtPrint.h"
#include "support/TempDir.h"
#include "widgets/CBrickBox.h"
#include "widgets/CExWidget.h"
#include "widgets/CImageViewer.h"
#include "widgets/MyPushButton.h"
#include "window/CMainDlg.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSlider>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace fs = std::filesystem;
using testsupport::ModalWatcher;
using testsupport::TempDir;

namespace {

TempDir* g_programDir = nullptr;

QString InFolder(const std::string& relative) {
    return QString::fromStdString((g_programDir->path() / relative).string());
}

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
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

class PlaygroundPage : public testing::Test {
protected:
    void SetUp() override {
        CConfig& config = CConfig::Instance();
        config.SetLanguage(1, false);
        config.m_nRunMode = RunModeEducation;
        m_watcher.SetHandler([this](QWidget* modal) { Answer(modal); });
        m_window = std::make_unique<Ui::CMainDlg>(config);
        m_window->FrameLoop().Start();
        m_window->showMaximized();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
        W().tabWidget->setCurrentWidget(W().tab2);
        m_view = W().mygroundwidget->findChild<scene::SceneView*>();
        ASSERT_NE(m_view, nullptr);
        Step();
        Step();
    }

    void TearDown() override {
        m_watcher.SetHandler({});
        m_window.reset();
    }

    Ui::CMainDlg& W() { return *m_window; }
    CPlaApp& Pla() { return *m_window->GetPlaApp(); }

    void Step() {
        W().slot_Update();
        QApplication::processEvents();
    }

    // ---- what the teacher answers the window's dialogs ---------------------------------------
    void Answer(QWidget* modal) {
        if (auto* files = qobject_cast<QFileDialog*>(modal)) {
            auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            if (m_files.empty() || !name || !files->isVisible() || files == m_lastFiles)
                return;
            m_lastFiles = files;
            m_fileFolders << files->directory().absolutePath();
            name->setText(m_files.front());
            m_files.pop_front();
            QTest::keyClick(name, Qt::Key_Return);
        } else if (auto* dialog = qobject_cast<QDialog*>(modal); dialog && m_dialogHandler) {
            if (dialog == m_lastDialog)
                return;
            m_lastDialog = dialog;
            m_dialogHandler(dialog);
        }
    }

    // ---- the 3-D view, as the mouse moves over it ----------------------------------------------
    QPoint PixelOf(const osg::Vec3f& world) const {
        const osg::Vec3d p = osg::Vec3d(world) * m_window->GetPlaApp()->GetCamera()->GetWindowMatrix();
        return QPoint(int(std::lround(p.x())), m_view->height() - int(std::lround(p.y())));
    }
    void Send(QEvent::Type type, const QPoint& at, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent event(type, QPointF(at), m_view->mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
        QApplication::sendEvent(m_view, &event);
        Step();
    }
    void Click(const QPoint& at, Qt::MouseButton button = Qt::LeftButton) {
        Send(QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton);
        Send(QEvent::MouseButtonPress, at, button, button);
        Send(QEvent::MouseButtonRelease, at, button, Qt::NoButton);
    }

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
    void Press(QAction* action) {
        QMetaObject::invokeMethod(action, &QAction::trigger, Qt::QueuedConnection);
        QTest::qWait(0);
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        if (!m_window->isActiveWindow()) {
            m_window->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
        }
        QTest::keyClick(m_window.get(), key, modifiers);
    }
    bool WaitForFiles() {
        return QTest::qWaitFor([&] { return m_files.empty(); }, 5000);
    }

    std::unique_ptr<Ui::CMainDlg> m_window;
    scene::SceneView* m_view = nullptr;
    ModalWatcher m_watcher;
    std::deque<QString> m_files;
    QStringList m_fileFolders;
    QPointer<QFileDialog> m_lastFiles;
    QPointer<QDialog> m_lastDialog;
    std::function<void(QDialog*)> m_dialogHandler;
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

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // A program folder of this process's own: the build's models and
    // pictures, a set-up file of its own, and folders for what it writes.
    TempDir programDir;
    g_programDir = &programDir;
    for (const fs::directory_entry& entry : fs::directory_iterator(MORVANE_PROGRAM_DIR)) {
        const fs::path name = entry.path().filename();
        if (name != "Temp" && name != "XML" && name != "StuFile" && name != "robot" && name != "playground"
            && name != "bmp" && name != "UserModels")
            fs::create_symlink(entry.path(), programDir.path() / name);
    }
    fs::create_directories(programDir.path() / "XML");
    fs::copy_file(
        fs::path(MORVANE_PROGRAM_DIR) / "XML" / "SetUp_View.xml", programDir.path() / "XML/SetUp_View.xml");
    platform::OverrideProgramDir(programDir.path());
    CConfig::Instance();
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
