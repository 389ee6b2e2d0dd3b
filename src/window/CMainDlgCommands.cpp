// The commands that act on the current page as a whole: switching pages,
// the tool-button style, the camera presets and zoom, files, examples, help,
// a brick's colour and closing the window.

#include "window/CMainDlg.h"

#include "apps/CEmuApp.h"
#include "apps/CPlaApp.h"
#include "apps/CRobApp.h"
#include "apps/MotionModel.h"
#include "dialogs/CLoadDlg.h"
#include "elements/CModel.h"
#include "foundation/CConfig.h"
#include "platform/WholeFile.h"
#include "simulation/RobotBuilderFile.h"
#include "simulation/SRobThreadData.h"
#include "window/CAboutDlg.h"
#include "window/WindowLog.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QColorDialog>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTabWidget>
#include <QToolBar>
#include <QUrl>

#include <tinyxml.h>

#include <memory>

namespace Ui {

namespace {

constexpr int kFollowStep = 5;

} // namespace

void CMainDlg::slot_TabWidgetChange(QWidget* page) {
    if (page == tab1)
        f_EnterRobAppPage();
    else if (page == tab2)
        f_EnterPlaAppPage();
    else
        f_EnterEmuAppPage();
}

void CMainDlg::ApplyToolButtonStyle(Qt::ToolButtonStyle style, QAction* checked) {
    for (QAction* action : { action_ToolBar_IconAndText, action_ToolBar_Icon, action_ToolBar_Text })
        action->setChecked(action == checked);
    for (QToolBar* bar : { m_pFileToolBar, m_pOperatorToolBar, m_pVirtualToolBar }) {
        bar->setToolButtonStyle(style);
        if (style == Qt::ToolButtonIconOnly)
            bar->setIconSize(QSize(40, 40));
        bar->update();
    }
}

void CMainDlg::slot_ToolBarIconText() {
    ApplyToolButtonStyle(Qt::ToolButtonTextUnderIcon, action_ToolBar_IconAndText);
}

void CMainDlg::slot_ToolBarIcon() {
    ApplyToolButtonStyle(Qt::ToolButtonIconOnly, action_ToolBar_Icon);
}

void CMainDlg::slot_ToolBarText() {
    ApplyToolButtonStyle(Qt::ToolButtonTextOnly, action_ToolBar_Text);
}

// The application of the current page; the simulation's for any other.
static CApp* PageApp(CApp* robot, CApp* playground, CApp* simulation, int page) {
    return page == 0 ? robot : (page == 1 ? playground : simulation);
}

void CMainDlg::slot_FarView() {
    f_ResetEmuAppMouseMode();
    if (CurrentPage() == SimulationPage && m_pEmuApp->m_bFollow) {
        m_pEmuApp->m_nFollowHeight += kFollowStep;
        return;
    }
    CApp* app = PageApp(m_pRobApp.get(), m_pPlaApp.get(), m_pEmuApp.get(), CurrentPage());
    const float distance = app->GetMotionModel()->GetDistance();
    app->GetMotionModel()->Zoom(1.0f - distance);
}

void CMainDlg::slot_NearView() {
    f_ResetEmuAppMouseMode();
    if (CurrentPage() == SimulationPage && m_pEmuApp->m_bFollow) {
        m_pEmuApp->m_nFollowHeight -= kFollowStep;
        return;
    }
    CApp* app = PageApp(m_pRobApp.get(), m_pPlaApp.get(), m_pEmuApp.get(), CurrentPage());
    const float distance = app->GetMotionModel()->GetDistance();
    app->GetMotionModel()->Zoom(distance + 1.0f);
}

void CMainDlg::slot_TopView() {
    f_ResetEmuAppMouseMode();
    f_EndFollowView();
    PageApp(m_pRobApp.get(), m_pPlaApp.get(), m_pEmuApp.get(), CurrentPage())->SetViewPreset(0);
}

void CMainDlg::slot_LeftView() {
    f_ResetEmuAppMouseMode();
    f_EndFollowView();
    PageApp(m_pRobApp.get(), m_pPlaApp.get(), m_pEmuApp.get(), CurrentPage())->SetViewPreset(1);
}

void CMainDlg::slot_FrontView() {
    f_ResetEmuAppMouseMode();
    f_EndFollowView();
    PageApp(m_pRobApp.get(), m_pPlaApp.get(), m_pEmuApp.get(), CurrentPage())->SetViewPreset(2);
}

void CMainDlg::slot_OverView() {
    f_ResetEmuAppMouseMode();
    f_EndFollowView();
    PageApp(m_pRobApp.get(), m_pPlaApp.get(), m_pEmuApp.get(), CurrentPage())->SetViewPreset(3);
}

// ---- files -------------------------------------------------------------------------

namespace {

const QString kRobotFilter = QStringLiteral("ROB (*.rob)");
const QString kPlaygroundFilter = QStringLiteral("PLA (*.pla)");

std::string LocalPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString FromLocalPath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

// A name typed without an ending gets the page's, so that the open dialog,
// which lists only files with it, finds the file again.
QString WithSuffix(const QString& path, const QString& suffix) {
    return QFileInfo(path).suffix().isEmpty() ? path + QLatin1Char('.') + suffix : path;
}

} // namespace

bool CMainDlg::IsRobotFileBusy() const {
    return m_pRobApp->GetEditState().m_nBusy != SEditState::BusyIdle;
}

QString CMainDlg::RobotFileFolder() const {
    if (m_sRobFile.empty())
        return m_config.InProgramDir(QStringLiteral("robot"));
    return QFileInfo(FromLocalPath(m_sRobFile)).path();
}

QString CMainDlg::PlaygroundFileFolder() const {
    if (m_sPlaFile.empty())
        return m_config.InProgramDir(QStringLiteral("playground"));
    return QFileInfo(FromLocalPath(m_sPlaFile)).path();
}

void CMainDlg::ShowFileStatusTip(const QString& path) {
    m_bStatusBarBusy = true;
    if (CurrentPage() == RobotPage)
        m_sRobStatusText = path;
    else
        m_sPlaStatusText = path;
    action_ImportROB->setStatusTip(path);
    m_bStatusBarBusy = false;
}

void CMainDlg::slot_Save() {
    f_ResetEmuAppMouseMode();
    if (CurrentPage() == RobotPage) {
        if (m_sRobFile.empty()) {
            slot_SaveAs();
            return;
        }
        if (IsRobotFileBusy())
            return;
        m_pRobApp->StartFileThread(m_sRobFile, false, false, m_bRobOpenAfterSave, m_bRobNewAfterSave);
    } else if (CurrentPage() == PlaygroundPage) {
        if (m_sPlaFile.empty()) {
            slot_SaveAs();
            return;
        }
        const bool saved = SavePlayground(m_sPlaFile);
        f_SaveMapMessage(
            saved, false, FromLocalPath(m_sPlaFile), saved ? QString() : PlaygroundSaveFailure());
    }
}

QString CMainDlg::AskSaveFileName(bool robot) {
    const QString folder = robot ? RobotFileFolder() : PlaygroundFileFolder();
    QDir().mkpath(folder);
    const QString file = QFileDialog::getSaveFileName(this, m_config.GetText("CMainDlg", "slot_SaveAs", "s"),
        folder, robot ? kRobotFilter : kPlaygroundFilter);
    if (file.isEmpty())
        return file;
    return WithSuffix(file, robot ? QStringLiteral("rob") : QStringLiteral("pla"));
}

void CMainDlg::slot_SaveAs() {
    f_ResetEmuAppMouseMode();
    const bool robot = CurrentPage() == RobotPage;
    if (!robot && CurrentPage() != PlaygroundPage)
        return;
    if (robot && IsRobotFileBusy())
        return;
    const QString file = AskSaveFileName(robot);
    if (file.isEmpty())
        return;
    if (robot) {
        m_sRobFile = LocalPath(file);
        m_pRobApp->StartFileThread(m_sRobFile, false, false, m_bRobOpenAfterSave, m_bRobNewAfterSave);
    } else {
        const bool saved = SavePlayground(LocalPath(file));
        if (saved)
            m_sPlaFile = LocalPath(file);
        f_SaveMapMessage(saved, false, file, saved ? QString() : PlaygroundSaveFailure());
    }
    ShowFileStatusTip(file);
}

void CMainDlg::slot_Open() {
    f_ResetEmuAppMouseMode();
    const bool robot = CurrentPage() == RobotPage;
    if (!robot && CurrentPage() != PlaygroundPage)
        return;
    if (robot && IsRobotFileBusy())
        return;
    if (robot && !m_bRobSaved) {
        switch (f_AskForSave(true)) {
        case 0:
            // The file dialog follows once the robot is saved.
            m_bRobOpenAfterSave = true;
            slot_SaveAs();
            m_bRobOpenAfterSave = false;
            return;
        case 1:
            break;
        default:
            return;
        }
    } else if (!robot && !m_bPlaSaved) {
        switch (f_AskForSave(false)) {
        case 0:
            slot_SaveAs();
            if (!m_bPlaSaved)
                return;
            break;
        case 1:
            break;
        default:
            return;
        }
    }
    const QString folder = robot ? RobotFileFolder() : PlaygroundFileFolder();
    const QString file = QFileDialog::getOpenFileName(
        this, f_OpenFileMessage(), folder, robot ? kRobotFilter : kPlaygroundFilter);
    if (file.isEmpty())
        return;
    slot_NoSel();
    if (robot) {
        LoadRobotFile(LocalPath(file), file);
    } else {
        // A playground that cannot be read leaves the one shown, and its
        // file, as they were.
        const bool loaded = LoadPlayground(LocalPath(file));
        if (loaded) {
            m_sPlaFile = LocalPath(file);
            m_bPlaNew = false;
        }
        f_SaveMapMessage(loaded, true, file, loaded ? QString() : PlaygroundRefusalText());
        if (!loaded)
            return;
    }
    ShowFileStatusTip(file);
}

void CMainDlg::LoadRobotFile(const std::string& path, const QString& statusText) {
    m_robFileBeforeLoad = RobotFileBefore { m_sRobFile, m_sRobStatusText };
    m_sRobFile = path;
    m_sRobStatusText = statusText;
    m_pRobApp->StartFileThread(path, true, false, false, false);
}

void CMainDlg::slot_RobotLoaded(bool loaded) {
    // The builder tells the page its saved state only while the page is
    // shown; an example loads its robot from another page.
    m_bRobSaved = m_pRobApp->GetEditState().m_bClean;
    std::optional<RobotFileBefore> before;
    before.swap(m_robFileBeforeLoad);
    if (!before)
        return;
    // A robot that opened is said in the status bar, as a save is.
    if (loaded) {
        ShowSavedMessage(true, FromLocalPath(m_sRobFile), true);
        return;
    }
    m_sRobFile = before->file;
    m_sRobStatusText = before->statusText;
    if (CurrentPage() == RobotPage)
        ShowFileStatusTip(before->statusText);
}

void CMainDlg::slot_New() {
    f_ResetEmuAppMouseMode();
    if (CurrentPage() == RobotPage) {
        if (IsRobotFileBusy())
            return;
        if (!m_bRobSaved) {
            switch (f_AskForSave(true)) {
            case 0:
                // The new robot follows once this one is saved.
                m_bRobNewAfterSave = true;
                slot_SaveAs();
                m_bRobNewAfterSave = false;
                return;
            case 1:
                break;
            default:
                return;
            }
        }
        slot_NoSel();
        m_bRobNewAfterSave = false;
        m_pRobApp->NewRobot();
        m_sRobFile.clear();
        ShowFileStatusTip(QString());
        slot_StepChange();
    } else if (CurrentPage() == PlaygroundPage) {
        if (!m_bPlaSaved) {
            switch (f_AskForSave(false)) {
            case 0:
                slot_SaveAs();
                if (!m_bPlaSaved)
                    return;
                break;
            case 1:
                break;
            default:
                return;
            }
        }
        slot_NoSel();
        m_pPlaApp->Reset();
        m_bPlaNew = true;
        m_bPlaSaved = true;
        m_sPlaFile.clear();
        ShowFileStatusTip(QString());
        slot_StepChange();
    }
}

bool CMainDlg::WriteRobotHandOver(const std::string& path) {
    SRobotFileState copy;
    copy.m_strRobotFile = path;
    copy.m_vecAllParts = m_pRobApp->GetPartList();
    if (SaveRobotFile(copy) == kRobotSaved)
        return true;
    QString message = m_config.GetText("CRobApp", "slot_ThreadEnd", "sSave") + QLatin1Char('\n')
        + QDir::toNativeSeparators(FromLocalPath(path));
    if (copy.m_nFileError != 0)
        message += QLatin1Char('\n')
            + m_config.GetText("CRobApp", "slot_ThreadEnd", "sSystem")
                  .arg(QString::fromLocal8Bit(platform::SystemReason(copy.m_nFileError).c_str()));
    m_config.f_TipsDlg(message);
    return false;
}

void CMainDlg::HandRobotOver(const std::string& path) {
    SRobThreadData& block = *m_pEmuApp->GetLoadBlock();
    block.m_vecRobotFiles.assign(1, path);
    // The robot keeps the first program it was given.
    if (block.m_vecProgramFiles.size() > 1)
        block.m_vecProgramFiles.resize(1);
    tabWidget->setCurrentWidget(tab3);
    f_EmuAppRefresh();
}

void CMainDlg::slot_LoadToEmuApp() {
    f_ResetEmuAppMouseMode();
    const Page page = CurrentPage();
    if (page != RobotPage && page != PlaygroundPage)
        return;
    // The loader owns the lists while it builds robots.
    if (m_pEmuApp->IsLoading())
        return;
    if (page == RobotPage) {
        if (IsRobotFileBusy())
            return;
        if (m_sRobFile.empty()) {
            // A robot that has no file of its own goes over as a copy in the
            // working folder; it stays unsaved and nameless, so that it is
            // still offered to be saved.
            const std::string copy = LocalPath(m_config.InProgramDir(QStringLiteral("Temp/temp.rob")));
            if (!WriteRobotHandOver(copy))
                return;
            HandRobotOver(copy);
        } else if (!m_bRobSaved) {
            // Saved to its own file first; the simulation takes it when the
            // save has finished (slot_LoadToEmuAppEnd).
            m_pendingExample.reset();
            m_bRobToEmuPending = true;
            m_pRobApp->StartFileThread(m_sRobFile, false, true, false, false);
        } else {
            HandRobotOver(m_sRobFile);
        }
        return;
    }
    HandPlaygroundOver();
}

void CMainDlg::slot_LoadToEmuAppEnd() {
    if (m_bPlaToEmuPending) {
        m_bPlaToEmuPending = false;
    } else if (m_bRobToEmuPending) {
        m_bRobToEmuPending = false;
        if (!m_pEmuApp->IsLoading())
            HandRobotOver(m_sRobFile);
        return;
    } else if (m_pendingExample) {
        // The robot the example replaces is saved: the example follows.
        const PendingExample example = *m_pendingExample;
        m_pendingExample.reset();
        m_bRobSaved = m_pRobApp->GetEditState().m_bClean;
        LoadExample(example.name, example.level, example.loadRobot, example.loadMap);
        return;
    } else {
        return;
    }
    tabWidget->setCurrentWidget(tab3);
    f_EmuAppRefresh();
}

void CMainDlg::slot_LoadExample() {
    f_ResetEmuAppMouseMode();
    const auto* action = qobject_cast<const QAction*>(sender());
    if (!action)
        return;
    const QStringList parts = action->objectName().split(QLatin1Char(','));
    if (parts.size() != 2)
        return;
    CLoadDlg ask(!m_bRobSaved, !m_bPlaSaved, m_config, this);
    if (ask.exec() != QDialog::Accepted)
        return;
    const TiXmlElement* example = m_config.FindExample(parts[0]);
    if (!example || m_pEmuApp->IsLoading() || (ask.m_bLoadRobot && IsRobotFileBusy()))
        return;
    const int level = parts[1].toInt();
    m_pendingExample.reset();
    // A match allows its own playground only, an example's as any other;
    // a refused example changes nothing, and asks nothing.
    if (const char* playground = example->Attribute("pla"); ask.m_bLoadMap && playground
        && !AcceptsMatchPlaygroundFile(ExampleFolder(*example) + QString::fromUtf8(playground)))
        return;

    // What the example replaces is offered to be saved first, as Open does,
    // each builder's work on its own: the robot's answer is no answer for
    // the playground. Cancel keeps both as they are. The playground is
    // saved at once, the robot by the file worker, after which the example
    // follows.
    const bool robotAtStake = ask.m_bLoadRobot && !m_bRobSaved && example->FirstChildElement("rob");
    const bool mapAtStake = ask.m_bLoadMap && !m_bPlaSaved && example->Attribute("pla");
    bool saveRobot = false;
    bool saveMap = false;
    if (robotAtStake) {
        const int answer = f_AskForSave(true);
        if (answer == 2)
            return;
        saveRobot = answer == 0;
    }
    if (mapAtStake) {
        const int answer = f_AskForSave(false);
        if (answer == 2)
            return;
        saveMap = answer == 0;
    }
    if (saveMap && !SavePlaygroundHere())
        return;
    if (saveRobot) {
        // On its own page, as closing saves it: the page's saved flag
        // follows the builder that is shown.
        tabWidget->setCurrentWidget(tab1);
        const QString file = m_sRobFile.empty() ? AskSaveFileName(true) : FromLocalPath(m_sRobFile);
        if (file.isEmpty())
            return;
        m_sRobFile = LocalPath(file);
        ShowFileStatusTip(file);
        m_pendingExample = PendingExample { parts[0], level, ask.m_bLoadRobot, ask.m_bLoadMap };
        m_pRobApp->StartFileThread(m_sRobFile, false, true, false, false);
        return;
    }
    LoadExample(parts[0], level, ask.m_bLoadRobot, ask.m_bLoadMap);
}

QString CMainDlg::ExampleFolder(const TiXmlElement& example) const {
    const char* file = example.Attribute("file");
    return m_config.InProgramDir(
               m_config.m_strExampleDir.mid(1) + (file ? QString::fromUtf8(file) : QString()))
        + QLatin1Char('/');
}

void CMainDlg::LoadExample(const QString& name, int level, bool loadRobot, bool loadMap) {
    const TiXmlElement* example = m_config.FindExample(name);
    if (!example || m_pEmuApp->IsLoading() || (loadRobot && IsRobotFileBusy()))
        return;
    const QString folder = ExampleFolder(*example);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    SRobThreadData& block = *m_pEmuApp->GetLoadBlock();
    if (loadMap) {
        if (const char* playground = example->Attribute("pla")) {
            const QString path = folder + QString::fromUtf8(playground);
            if (LoadPlayground(LocalPath(path))) {
                m_sPlaFile = LocalPath(path);
                m_bPlaNew = false;
                m_sPlaStatusText = path;
            }
            block.m_strPlaygroundFile = LocalPath(path);
            // A run on an example's playground can pass the example's level.
            m_nExampleLevel = level;
        }
    }
    if (loadRobot) {
        block.m_vecRobotFiles.clear();
        block.m_vecProgramFiles.clear();
        for (const TiXmlElement* robot = example->FirstChildElement("rob"); robot;
             robot = robot->NextSiblingElement("rob")) {
            const char* robotFile = robot->Attribute("rob");
            if (!robotFile)
                continue;
            block.m_vecRobotFiles.push_back(LocalPath(folder + QString::fromUtf8(robotFile)));
            const char* program = robot->Attribute("dll");
            block.m_vecProgramFiles.push_back(m_config.m_nExampleProgramLevel >= level && program
                    ? LocalPath(folder + QString::fromUtf8(program))
                    : std::string());
        }
        if (!block.m_vecRobotFiles.empty()) {
            // The builder shows the example's first robot.
            slot_NoSel();
            LoadRobotFile(block.m_vecRobotFiles.front(), FromLocalPath(block.m_vecRobotFiles.front()));
        }
    }
    QApplication::restoreOverrideCursor();
    tabWidget->setCurrentWidget(tab3);
    f_EmuAppRefresh();
}

// ---- help and programs of the studio --------------------------------------------------

void CMainDlg::slot_SoftwareHelp() {
    CAboutDlg about(m_config, this);
    about.exec();
}

void CMainDlg::OpenProgramFile(const QString& relative, const QString& fragment, bool folder) {
    const QString path = m_config.InProgramDir(relative);
    QUrl url = QUrl::fromLocalFile(path);
    if (!fragment.isEmpty())
        url.setFragment(fragment);
    // A desktop without a program for web pages (or folders): the student
    // learns where the page is, to open it by hand.
    const auto tellWhere = [this, path, url, folder] {
        qCWarning(lcWindow, "The desktop could not open %s", qPrintable(url.toString()));
        m_config.f_TipsDlg(m_config.GetText("CMainDlg", "OpenProgramFile", folder ? "sFolder" : "s")
            + QLatin1Char('\n') + QDir::toNativeSeparators(path));
    };
    // Qt hands a page to the desktop's opener and reports success once the
    // opener has started, even when the opener then finds no program for
    // it. Run the opener ourselves and listen to its answer: it tells at
    // once when nothing can open the page. A browser that it runs itself
    // and that ends long after is no such answer.
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty()) {
        if (!QDesktopServices::openUrl(url))
            tellWhere();
        return;
    }
    constexpr qint64 kOpenerAnswerMs = 10000;
    auto* process = new QProcess(this);
    process->setProgram(opener);
    process->setArguments({ url.toString(QUrl::FullyEncoded) });
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    auto started = std::make_shared<QElapsedTimer>();
    connect(process, &QProcess::finished, this,
        [process, started, tellWhere](int exitCode, QProcess::ExitStatus status) {
            process->deleteLater();
            if ((status != QProcess::NormalExit || exitCode != 0) && started->elapsed() < kOpenerAnswerMs)
                tellWhere();
        });
    connect(process, &QProcess::errorOccurred, this, [process, tellWhere](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        process->deleteLater();
        tellWhere();
    });
    started->start();
    process->start();
}

void CMainDlg::slot_DocumetHelp() {
    // The manual holds both languages; the reader lands on the current one.
    OpenProgramFile(QStringLiteral("XML/Manual.html"),
        m_config.m_nLanguage == 0 ? QStringLiteral("zh") : QStringLiteral("en"));
}

void CMainDlg::slot_UpdateSoftware() {
    OpenProgramFile(QStringLiteral("XML/Support.html"),
        m_config.m_nLanguage == 0 ? QStringLiteral("zh") : QStringLiteral("en"));
}

void CMainDlg::slot_RunRCJ() {
    if (m_config.m_strFastCar.isEmpty())
        return;
    auto* process = new QProcess(this);
    connect(process, &QProcess::finished, process, &QObject::deleteLater);
    connect(process, &QProcess::errorOccurred, process, [process](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            qCWarning(lcWindow, "The studio's program %s did not start", qPrintable(process->program()));
            process->deleteLater();
        }
    });
    process->start(m_config.InProgramDir(m_config.m_strFastCar), QStringList(), QIODevice::ReadWrite);
}

void CMainDlg::slot_ExampleFile() {
    if (m_config.m_strExampleDir.isEmpty())
        return;
    const QString relative = m_config.m_strExampleDir.mid(1);
    QDir().mkpath(m_config.InProgramDir(relative));
    // Without a program for folders the student is told where they are.
    OpenProgramFile(relative, QString(), true);
}

// ---- colour and closing ------------------------------------------------------------------

void CMainDlg::slot_Color() {
    f_ResetEmuAppMouseMode();
    if (CurrentPage() != RobotPage || SelectedPartType() != ModelTypeBrick)
        return;
    QColorDialog dialog(this);
    dialog.setWindowTitle(action_Color->text());
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QColor colour = dialog.selectedColor();
    m_pRobApp->SetSelColor(
        osg::Vec4(float(colour.redF()), float(colour.greenF()), float(colour.blueF()), 1.0f));
}

bool CMainDlg::MayGiveUpLogin() {
    return SettleUnsavedWork();
}

bool CMainDlg::SettleUnsavedWork() {
    // Every question first, each builder's own, naming its work: a Cancel
    // in any of them leaves everything as it was.
    bool saveRobot = false;
    bool savePlayground = false;
    if (!m_bRobSaved) {
        const int answer = f_AskForSave(true);
        if (answer == 2)
            return false;
        saveRobot = answer == 0;
    }
    if (!m_bPlaSaved) {
        const int answer = f_AskForSave(false);
        if (answer == 2)
            return false;
        savePlayground = answer == 0;
    }
    if (saveRobot && !SaveRobotHere())
        return false;
    return !savePlayground || SavePlaygroundHere();
}

bool CMainDlg::SaveRobotHere() {
    // The pages need not be shown to save from (the login may hold the
    // window): the file is written by the builder's worker, waited for.
    if (IsRobotFileBusy())
        return false;
    const QString file = m_sRobFile.empty() ? AskSaveFileName(true) : FromLocalPath(m_sRobFile);
    if (file.isEmpty())
        return false;
    m_sRobFile = LocalPath(file);
    // The worker tells a save that succeeded by the saved flag, one that
    // failed by a message box; either way it reports 100 percent.
    bool saved = false;
    QEventLoop wait;
    connect(m_pRobApp.get(), &CRobApp::signal_Ui_SaveFlag, &wait, [&saved](bool clean) { saved = clean; });
    connect(m_pRobApp.get(), &CRobApp::signal_Ui_SetProgress, &wait, [this, &wait] {
        if (!IsRobotFileBusy())
            wait.quit();
    });
    m_pRobApp->StartFileThread(m_sRobFile, false, false, false, false);
    if (IsRobotFileBusy())
        wait.exec();
    m_bRobSaved = saved;
    if (saved) {
        m_sRobStatusText = file;
        if (CurrentPage() == RobotPage)
            ShowFileStatusTip(file);
    }
    return saved;
}

bool CMainDlg::SavePlaygroundHere() {
    const QString file = m_sPlaFile.empty() ? AskSaveFileName(false) : FromLocalPath(m_sPlaFile);
    if (file.isEmpty())
        return false;
    const bool saved = SavePlayground(LocalPath(file));
    if (saved) {
        m_sPlaFile = LocalPath(file);
        m_sPlaStatusText = file;
        if (CurrentPage() == PlaygroundPage)
            ShowFileStatusTip(file);
    }
    f_SaveMapMessage(saved, false, file, saved ? QString() : PlaygroundSaveFailure());
    return saved;
}

void CMainDlg::closeEvent(QCloseEvent* event) {
    if (m_bForceClose) {
        event->accept();
        QCoreApplication::exit(0);
        return;
    }
    if (!m_bRobSaved || !m_bPlaSaved) {
        // Each builder's work is asked for, then saved where it was asked
        // to be; the window closes once nothing is left unsaved but what
        // the student gave up, without the quit question.
        f_ResetEmuAppMouseMode();
        if (!SettleUnsavedWork()) {
            event->ignore();
            return;
        }
        event->accept();
        QCoreApplication::exit(0);
        return;
    }
    if (!f_AskForQuit()) {
        event->ignore();
        return;
    }
    event->accept();
    QCoreApplication::exit(0);
}

} // namespace Ui
