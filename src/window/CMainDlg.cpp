#include "window/CMainDlg.h"

#include "foundation/CConfig.h"
#include "foundation/WorkFolder.h"

#include <QTimer>

namespace Ui {

CMainDlg::CMainDlg() {
    CConfig& config = CConfig::Instance();
    config.m_nLinkOwner = 0;

    m_pFrameTimer = new QTimer(this);
    connect(m_pFrameTimer, &QTimer::timeout, this, &CMainDlg::slot_Update);

    f_LanguageTitle();
    RecreateWorkFolder(config.InProgramDir(QStringLiteral("Temp")));
}

CMainDlg::~CMainDlg() {
    m_pFrameTimer->stop();
    CConfig::Instance().SaveSettings();
}

void CMainDlg::slot_Update() {
    if (m_frameLoop.IsRunning())
        m_frameLoop.Step();
}

void CMainDlg::f_LanguageTitle() {
    const CConfig& config = CConfig::Instance();
    QString title = config.GetText("CMainDlg", "f_LanguageTitle", "s");
    switch (config.m_nRunMode) {
    case RunModeNet:
        title += config.GetText("CMainDlg", "f_LanguageTitle", "sNet");
        break;
    case RunModeEducation:
    case RunModeClassroom:
        title += config.GetText("CMainDlg", "f_LanguageTitle", "sEdu");
        break;
    case RunModeBase:
        title += config.GetText("CMainDlg", "f_LanguageTitle", "sBase");
        break;
    default:
        title += config.GetText("CMainDlg", "f_LanguageTitle", "sMatch");
        break;
    }
    title += QLatin1Char('-') + config.GetStudioName();
    setWindowTitle(title);
}

} // namespace Ui
