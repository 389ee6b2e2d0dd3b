// Language texts and message boxes: every caption of the window comes from
// the set-up file's texts of class "CMainDlg", one group per function that
// applies them.

#include "window/CMainDlg.h"

#include "apps/CEmuApp.h"
#include "apps/CPlaApp.h"
#include "dialogs/AccessKey.h"
#include "dialogs/CUserDefineDlg.h"
#include "foundation/CConfig.h"
#include "widgets/MyPushButton.h"
#include "window/WindowLog.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLibraryInfo>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QStringList>
#include <QTabWidget>
#include <QTranslator>

#include <algorithm>

namespace Ui {

namespace {

const char* const kClass = "CMainDlg";
// As long as the status bar's other messages.
constexpr int kSavedMessageMs = 5000;

// A key's text in a group; empty when the key is missing.
QString Text(const TiXmlElement* group, const char* key) {
    const char* value = group ? group->Attribute(key) : nullptr;
    return value ? QString::fromUtf8(value) : QString();
}

enum Targets : unsigned {
    kText = 1,
    kIconText = 2,
    kToolTip = 4,
    kStatusTip = 8,
    // What a tool-bar action shows: its text, also beside or under the
    // icon, and as its tool tip.
    kToolBar = kText | kIconText | kToolTip,
};

void SetActionText(QAction* action, const QString& text, unsigned targets) {
    if (!action)
        return;
    if (targets & kText)
        action->setText(text);
    if (targets & kIconText)
        action->setIconText(text);
    if (targets & kToolTip)
        action->setToolTip(text);
    if (targets & kStatusTip)
        action->setStatusTip(text);
}

QString Blanks(int count) {
    return QString(count, QLatin1Char(' '));
}

} // namespace

void CMainDlg::slot_SetLanguage(QAction* action) {
    if (!action)
        return;
    bool ok = false;
    const int index = action->objectName().toInt(&ok, 10);
    CConfig& config = m_config;
    if (!ok || index == config.m_nLanguage)
        return;
    f_ResetEmuAppMouseMode();
    ResetModelBars();
    config.SetLanguage(index, true);
    f_Language(false);
}

void CMainDlg::f_Language(bool atStart) {
    const CConfig& config = m_config;
    ApplyQtTranslations();
    f_LanguageTitle();
    f_LanguageMenu();
    f_LanguageRobApp(atStart);
    f_LanguagePlaApp();
    f_LanguageEmuApp();
    m_pUserDefineDlg->f_Language();
    if (config.m_nRunMode == RunModeNet) {
        if (m_bMatchRunning)
            f_Ui_UpdateMatchTime();
        else
            f_Ui_StatusBar_ShowMatchTime(0, 0);
    }
    const TiXmlElement* group = config.FindTextNode(kClass, "f_Language");
    if (!group)
        return;
    tabWidget->setTabText(tabWidget->indexOf(tab1), Blanks(5) + Text(group, "sRobApp") + Blanks(5));
    tabWidget->setTabText(tabWidget->indexOf(tab2), Blanks(7) + Text(group, "sPlaApp") + Blanks(7));
    tabWidget->setTabText(tabWidget->indexOf(tab3), Blanks(8) + Text(group, "sEmuApp") + Blanks(8));
    groupBox_RobPos->setTitle(Text(group, "sSetPos"));
    groupBox_PlaPos->setTitle(Text(group, "sSetPos"));
    const QString turn = Text(group, "sTurn");
    const QString turn2 = Text(group, "sTurn2");
    const std::pair<QGroupBox*, const char*> turnBoxes[] = {
        { groupBox_RobTurnX, "X" },
        { groupBox_RobTurnY, "Y" },
        { groupBox_RobTurnZ, "Z" },
        { groupBox_PlaTurnX, "X" },
        { groupBox_PlaTurnY, "Y" },
        { groupBox_PlaTurnZ, "Z" },
    };
    for (const auto& [box, axis] : turnBoxes)
        box->setTitle(turn + QLatin1String(axis) + turn2);
    m_pUpdateAction->setText(Text(group, "sUpdate"));
    if (group->Attribute("sQt"))
        m_pUpdateAction->setToolTip(Text(group, "sQt"));
    slot_ShowLv();
}

void CMainDlg::ApplyQtTranslations() {
    // The set-up file names its languages; Qt's translations go by locale.
    static const std::pair<const char*, const char*> locales[] = { { "中文", "zh_CN" } };
    const CConfig& config = m_config;
    const std::string language = config.m_nLanguage >= 0
            && static_cast<std::size_t>(config.m_nLanguage) < config.m_vecLanguage.size()
        ? config.m_vecLanguage[static_cast<std::size_t>(config.m_nLanguage)]
        : std::string();
    QString locale;
    for (const auto& [name, code] : locales) {
        if (language == name)
            locale = QLatin1String(code);
    }
    if (m_pQtTranslator) {
        QCoreApplication::removeTranslator(m_pQtTranslator.get());
        m_pQtTranslator.reset();
    }
    if (locale.isEmpty())
        return;
    auto translator = std::make_unique<QTranslator>();
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!translator->load(QStringLiteral("qtbase_") + locale, folder)) {
        qCWarning(lcWindow, "Qt's translations for %s are not in %s: Qt's dialogs stay in English",
            qPrintable(locale), qPrintable(folder));
        return;
    }
    QCoreApplication::installTranslator(translator.get());
    m_pQtTranslator = std::move(translator);
}

void CMainDlg::f_LanguageMenu() {
    // The studio's own program is offered only where the studio has one.
    action_RunRCJ->setEnabled(!m_config.m_strFastCar.isEmpty());
    const TiXmlElement* group = m_config.FindTextNode(kClass, "f_LanguageMenu");
    if (!group)
        return;
    const std::pair<QMenu*, const char*> menus[] = {
        { menu, "sFileMenu" },
        { menu_E, "sEditMenu" },
        { menu_Operator, "sOperateMenu" },
        { menu_Virtual, "sEmuMenu" },
        { menu_Help, "sHelpMenu" },
    };
    const char keys[] = { 'F', 'E', 'O', 'S', 'H' };
    for (size_t i = 0; i < std::size(menus); ++i)
        menus[i].first->setTitle(
            dialogs::WithAccessKey(Text(group, menus[i].second), QLatin1Char(keys[i]), true).text);
    const std::pair<QMenu*, const char*> subMenus[] = {
        { menu_2, "sExampleMenu" },
        { menu_6, "sSetToolBar" },
        { menu_internationalization, "sLanguage" },
        { menu_3DView, "sSetView" },
        { menu_3, "sSetEmu" },
        { menu_View_Flow, "sFollow" },
    };
    for (const auto& [subMenu, key] : subMenus)
        subMenu->setTitle(Text(group, key));

    struct Caption {
        QAction* action;
        const char* key;
        unsigned targets;
    };
    const Caption captions[] = {
        { action_open, "sOpen", kToolBar | kStatusTip },
        { action_save, "sSave", kToolBar | kStatusTip },
        { action_saveas, "sSaveas", kText | kStatusTip },
        { action_new, "sNew", kToolBar | kStatusTip },
        { action_quit, "sQuit", kText | kStatusTip },
        { action_Open_Example, "sOpenExample", kText },
        { action_RunRCJ, "sFastCar", kText },
        { action_Up3DFile, "sUp3DFile", kText },
        { action_SoftwareHelp, "sAbout", kText },
        { action_DocumentHelp, "sHelpDocument", kText },
        { action_ModelRotate_X, "sRotateX", kToolBar },
        { action_ModelRotate_Y, "sRotateY", kToolBar },
        { action_ModelRotate_Z, "sRotateZ", kToolBar },
        { action_ModelRotate_X, "sStatus_RotateX", kStatusTip },
        { action_ModelRotate_Y, "sStatus_RotateY", kStatusTip },
        { action_ModelRotate_Z, "sStatus_RotateZ", kStatusTip },
        { action_PointTurn_X, "sPointTurnX", kText },
        { action_PointTurn_Y, "sPointTurnY", kText },
        { action_PointTurn_Z, "sPointTurnZ", kText },
        { action_Return, "sReturn", kText },
        { action_ModelDelete, "sDel", kToolBar },
        { action_ModelMove, "sMove", kToolBar },
        { action_ModelCopy, "sCopy", kToolBar },
        { action_ModelPaste, "sPaste", kToolBar },
        { action_Color, "sColor", kText },
        { action_ImportROB, "m_sLoadToEmuApp", kText | kIconText },
        { action_ImportROB, "m_sLoadToEmuApp2", kToolTip },
        { action_ImportROB, "m_sLoadToEmuApp3", kStatusTip },
        { action_FarView, "sFarView", kText },
        { action_NearView, "sNearView", kText },
        { action_ToolBar_IconAndText, "sIconText", kText },
        { action_ToolBar_Icon, "sIcon", kText },
        { action_ToolBar_Text, "sText", kText },
        { action_Top_View, "sTopView", kText },
        { action_Left_View, "sLeftView", kText },
        { action_Front_View, "sFrontView", kText },
        { action_Over_View, "sResetView", kText },
        { action_Over_View, "sStatus_ResetView", kStatusTip },
        { action_Undo, "sUndo", kToolBar },
        { action_Redo, "sRedo", kToolBar },
        { action_AllSel, "sAllSel", kToolBar },
    };
    for (const Caption& caption : captions)
        SetActionText(caption.action, Text(group, caption.key), caption.targets);
    // The robot page shows the path of the robot it handed over last.
    if (!m_sRobStatusText.isEmpty() && CurrentPage() == RobotPage)
        action_ImportROB->setStatusTip(m_sRobStatusText);

    m_sMatch = Text(group, "m_sMatch");
    m_sMatch2 = Text(group, "m_sMatch2");
    action_NetMatch->setText(m_bMatchRunning ? m_sMatch2 : m_sMatch);
    f_LanguageExample();
}

void CMainDlg::f_LanguageTitle() {
    const CConfig& config = m_config;
    QString title = config.GetText(kClass, "f_LanguageTitle", "s");
    switch (config.m_nRunMode) {
    case RunModeNet: {
        title += config.GetText(kClass, "f_LanguageTitle", "sNet");
        QStringList login;
        for (const QString& text : config.m_strLoginInfo)
            login << text;
        // Before a login there is no account to show, not even its brackets.
        if (std::any_of(login.cbegin(), login.cend(), [](const QString& text) { return !text.isEmpty(); }))
            title += QStringLiteral("-(") + login.join(QLatin1Char(',')) + QLatin1Char(')');
        // In a match the title names its map too.
        if (m_bMatchRunning && !m_sMatchMapName.isEmpty())
            title += QLatin1Char('-') + m_sMatchMapName;
        break;
    }
    case RunModeEducation:
    case RunModeClassroom:
        title += config.GetText(kClass, "f_LanguageTitle", "sEdu");
        break;
    case RunModeBase:
        title += config.GetText(kClass, "f_LanguageTitle", "sBase");
        break;
    default:
        title += config.GetText(kClass, "f_LanguageTitle", "sMatch");
        break;
    }
    title += QLatin1Char('-') + config.GetStudioName();
    setWindowTitle(title);
}

void CMainDlg::f_LanguageExample() {
    const CConfig& config = m_config;
    const QString levelText = config.GetText(kClass, "f_LanguageExample", "sLv");
    const QList<QAction*> actions = menu_2->actions();
    // All but the separator and "action_Open_Example" at the end.
    for (qsizetype i = 0; i + 2 < actions.size(); ++i) {
        QAction* action = actions[i];
        const QStringList parts = action->objectName().split(QLatin1Char(','));
        if (parts.size() != 2)
            continue;
        // The level and the file name stand apart from the name, in either language.
        QString text = config.GetExampleName(parts[0]);
        if (parts[1] != QLatin1String("0"))
            text += QStringLiteral(" (") + levelText + parts[1] + QLatin1Char(')');
        const TiXmlElement* entry = config.FindExample(parts[0]);
        if (const char* file = entry ? entry->Attribute("file") : nullptr)
            text += QStringLiteral(" [") + QString::fromUtf8(file) + QLatin1Char(']');
        action->setText(text);
    }
}

void CMainDlg::ApplySideButtonTexts(
    const TiXmlElement* group, std::initializer_list<SideButtonText> buttons) {
    const bool ownText = m_config.m_nLanguage == 0;
    for (const SideButtonText& side : buttons) {
        side.button->setText(ownText ? Text(group, side.caption) : QString());
        side.button->SetText(ownText ? QString() : Text(group, side.caption));
        side.button->setToolTip(Text(group, side.tip));
        side.button->setStatusTip(Text(group, side.tip));
        side.button->update();
    }
}

void CMainDlg::f_SensorMessage(std::vector<QString>& names) const {
    // By port kind (window/PortLabels.h): magnets come last, with a name of
    // their own.
    static const char* const keys[] = { "sNo", "sMotor", "sRay", "sTouch", "sCompass", "sRanging", "sBlack",
        "sFire", "sVolume", "sTrace", "sCompound", "sLife", "sColoredLight", "sMagnet" };
    const TiXmlElement* group = m_config.FindTextNode(kClass, "f_SensorMessage");
    names.clear();
    for (const char* key : keys)
        names.push_back(Text(group, key));
}

int CMainDlg::f_AskForSave(bool robot) {
    const TiXmlElement* group = m_config.FindTextNode(kClass, "f_AskForSave");
    // The question names the work it is about: with both builders unsaved,
    // the student answers for each on its own.
    const std::string& file = robot ? m_sRobFile : m_sPlaFile;
    const QString name = file.empty()
        ? Text(group, "sUntitled")
        : QFileInfo(QFile::decodeName(QByteArray::fromStdString(file))).fileName();
    QMessageBox box(QMessageBox::Question, Text(group, "sTitle"),
        Text(group, robot ? "sRobot" : "sPlayground").arg(name), QMessageBox::NoButton, this);
    // Each button shows its key as its language writes it ("保存(S)",
    // "&Save", "Do&n't save"); the key alone presses it.
    QPushButton* save
        = dialogs::AddKeyedButton(box, Text(group, "sOK"), QLatin1Char('S'), QMessageBox::AcceptRole);
    QPushButton* discard
        = dialogs::AddKeyedButton(box, Text(group, "sNo"), QLatin1Char('N'), QMessageBox::DestructiveRole);
    QPushButton* cancel
        = dialogs::AddKeyedButton(box, Text(group, "sCancel"), QLatin1Char('C'), QMessageBox::RejectRole);
    box.setDefaultButton(save);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == save)
        return 0;
    if (box.clickedButton() == discard)
        return 1;
    return 2;
}

bool CMainDlg::f_AskForQuit() {
    const TiXmlElement* group = m_config.FindTextNode(kClass, "f_AskForQuit");
    QMessageBox box(
        QMessageBox::Question, Text(group, "sTitle"), Text(group, "s"), QMessageBox::NoButton, this);
    QPushButton* quit
        = dialogs::AddKeyedButton(box, Text(group, "sOK"), QLatin1Char('Q'), QMessageBox::AcceptRole);
    dialogs::AddKeyedButton(box, Text(group, "sNo"), QLatin1Char('C'), QMessageBox::RejectRole);
    box.setDefaultButton(quit);
    box.exec();
    return box.clickedButton() == quit;
}

QString CMainDlg::f_OpenFileMessage() const {
    return m_config.GetText(kClass, "f_OpenFileMessage", "s");
}

QString CMainDlg::f_3DFileMessage() const {
    return m_config.GetText(kClass, "f_3DFileMessage", "s") + QStringLiteral(" (*.3d)");
}

void CMainDlg::f_3DFileTips(const QString& file, const QString& reason) const {
    QString text = m_config.GetText(kClass, "f_3DFileTips", "s");
    if (!file.isEmpty())
        text += QLatin1Char('\n') + QDir::toNativeSeparators(file);
    if (!reason.isEmpty())
        text += QLatin1Char('\n') + m_config.GetText(kClass, "f_3DFileTips", "sUnreadable").arg(reason);
    m_config.f_TipsDlg(text);
}

void CMainDlg::f_SaveMapMessage(bool ok, bool isLoad, const QString& file, const QString& reason) {
    // A save or an open that worked is said in the status bar, as a robot's
    // is: the student goes on working without a box to close.
    if (ok) {
        ShowSavedMessage(false, file, isLoad);
        return;
    }
    const char* key = isLoad ? "sLoadNo" : "sNo";
    QString text = m_config.GetText(kClass, "f_SaveMapMessage", key);
    // The message stays in the current language: it names the file and the
    // reason in the language's words; the builder's own words of why, with
    // every detail, went to the log.
    if (!ok && !file.isEmpty())
        text += QLatin1Char('\n') + file;
    if (!ok && !reason.isEmpty())
        text += QLatin1Char('\n') + reason;
    m_config.f_TipsDlg(text);
}

void CMainDlg::ShowSavedMessage(bool robot, const QString& file, bool opened) {
    const char* key = robot ? (opened ? "sRobotLoad" : "sRobotOK") : (opened ? "sLoad" : "sOK");
    statusbar->showMessage(
        m_config.GetText(kClass, "f_SaveMapMessage", key) + QLatin1Char(' ') + QFileInfo(file).fileName(),
        kSavedMessageMs);
}

} // namespace Ui
