// The status bar: the selected object's name or the page's hint for five
// seconds at a time, the object count, the level reached and, in the online
// mode, the match time.

#include "window/CMainDlg.h"

#include "apps/CEmuApp.h"
#include "apps/CPlaApp.h"
#include "apps/CRobApp.h"
#include "foundation/CConfig.h"
#include "widgets/CExWidget.h"

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QScopeGuard>
#include <QStatusBar>

namespace Ui {

namespace {

constexpr int kMessageMs = 5000;
constexpr int kTopLevel = 5;

} // namespace

QString CMainDlg::CurrentPageStatusTip() const {
    switch (CurrentPage()) {
    case RobotPage:
        return mywidget->statusTip();
    case PlaygroundPage:
        return mygroundwidget->statusTip();
    case SimulationPage:
        return widget_5->statusTip();
    case NoPage:
        break;
    }
    return QString();
}

void CMainDlg::f_Ui_StatusBar_Change(const QString& message) {
    if (m_bStatusBarBusy)
        return;
    m_bStatusBarBusy = true;
    const auto done = qScopeGuard([this] { m_bStatusBarBusy = false; });

    const std::string selected = SelectedObjectAddress();
    const QString tip = CurrentPageStatusTip();
    // An ordinary message stays; hovering the 3-D view shows the page's
    // hint, which gives way to the selected object's name.
    if (!message.isEmpty() && (tip.isEmpty() || !message.contains(tip)))
        return;
    if (!selected.empty())
        statusbar->showMessage(m_config.GetObjName(selected), kMessageMs);
    else if (message.isEmpty())
        statusbar->showMessage(tip, kMessageMs);
}

void CMainDlg::slot_Ui_StatusBar_ShowObjName(std::string* name) {
    if (!name) {
        slot_Ui_StatusBar_ShowObjName();
        return;
    }
    statusbar->showMessage(m_config.GetObjName(*name), kMessageMs);
}

void CMainDlg::slot_Ui_StatusBar_ShowObjName() {
    if (CurrentPage() == RobotPage || CurrentPage() == PlaygroundPage)
        statusbar->showMessage(CurrentPageStatusTip(), kMessageMs);
}

void CMainDlg::f_Ui_StatusBar_ShowObjL(QString text) {
    // One label counts for whichever page is shown: a builder in the back
    // (re-texted, or loading an example) must not put its count there.
    const QObject* from = sender();
    if ((from == m_pRobApp.get() && CurrentPage() != RobotPage)
        || (from == m_pPlaApp.get() && CurrentPage() != PlaygroundPage))
        return;
    label_StatusObj->setText(text);
}

void CMainDlg::f_Ui_StatusBar_ShowMatchTime(int mode, int minutes) {
    if (!m_pMatchTimeLabel)
        return;
    const CConfig& config = m_config;
    const char* key = mode == 0 ? "sDebug" : (mode == 1 ? "sIn" : "sLeft");
    m_pMatchTimeLabel->setText(config.GetText("CMainDlg", "f_Ui_StatusBar_ShowMatchTime", key)
        + QString::number(minutes) + config.GetText("CMainDlg", "f_Ui_StatusBar_ShowMatchTime", "sMin"));
}

void CMainDlg::f_Ui_StatusBar_ShowMatchTime(int mode) {
    f_Ui_StatusBar_ShowMatchTime(mode, 0);
}

void CMainDlg::f_Ui_StatusBar_ShowMatchTime() {
    f_Ui_StatusBar_ShowMatchTime(0, 0);
}

void CMainDlg::slot_ShowLv() {
    const CConfig& config = m_config;
    const QString level
        = config.m_nLevel < kTopLevel ? QString::number(config.m_nLevel) : QStringLiteral("Max");
    label_StatusLv->setText(config.GetText("CMainDlg", "slot_ShowLv", "s") + level);
}

void CMainDlg::slot_Multiplayer_ViewFollow_triggered() {
    auto* action = qobject_cast<QAction*>(sender());
    if (!action)
        return;
    for (int i = 0; i < m_pEmuApp->GetRobotCount(); ++i) {
        const QString file = QFileInfo(QString::fromStdString(m_pEmuApp->GetRobotFileName(i))).fileName();
        if (file != action->iconText())
            continue;
        m_pEmuApp->SetFollowTarget(m_pEmuApp->GetRobot(i));
        m_pEmuApp->SetViewPreset(4);
    }
}

} // namespace Ui
