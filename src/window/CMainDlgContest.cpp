// The link to the classroom server and the contest client.

#include "window/CMainDlg.h"

#include "foundation/CConfig.h"

namespace Ui {

namespace {

enum ClassLinkState {
    kKeepAliveSeen = 1,
    kLinkClosed = 2,
    kLinkClosedKept = 3,
    kWaitingForKeepAlive = 4,
};

} // namespace

void CMainDlg::slot_GetMsg(QByteArray* body) {
    CConfig& config = m_config;
    if (config.m_nRunMode == RunModeClassroom) {
        if (m_nClassLinkState == kKeepAliveSeen || !body)
            return;
        if (config.IsKeepAliveMsg(*body)) {
            if (m_nClassLinkState == kWaitingForKeepAlive)
                SetWindowEnabled(true);
            m_nClassLinkState = kKeepAliveSeen;
        }
        return;
    }
}

void CMainDlg::slot_Disconnect() {
    if (m_config.m_nRunMode == RunModeClassroom) {
        if (m_nClassLinkState != kLinkClosedKept)
            m_nClassLinkState = kLinkClosed;
        return;
    }
}

void CMainDlg::slot_NetMatch() { }

void CMainDlg::f_Ui_UpdateMatchTime() { }

} // namespace Ui
