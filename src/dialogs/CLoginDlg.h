#pragma once

#include "foundation/ContestClient.h"

#include <QDialog>

#include <functional>

class CConfig;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

// Logs the user into the online contest server: a user name and a password
// (prefilled from the settings), a box to remember them, and a link to the
// server's ranking page. OK checks that the network can be reached and has
// the contest client (CConfig::Contest) connect and send the login once;
// the dialog shows how the attempt ended. exec() returns Accepted when the
// server signed the user in; the user id and the three display texts it
// sent are then in the configuration, the heartbeat has started and what
// waited for the login is on its way. The run mode is the online one from
// the dialog's construction.
//
// After a failed attempt OK tries again; each ending says what it was: the
// server's refusal, cancelled, no answer in time, the link lost, no server.
// With the relogin flag the stored account is reused and cannot be edited,
// and the dialog opens saying why the login is asked again.
//
// Cancel stops an attempt under way; with none under way it gives the login
// up, as Esc and the close button do. Both callers close the program when
// the login is given up, and the dialog says so. The dialog is at least 260
// x 170 and grows to show its texts whole.
class CLoginDlg : public QDialog {
    Q_OBJECT

public:
    // The link, settings and texts are config's, which outlives the dialog.
    CLoginDlg(CConfig& config, bool relogin, QWidget* parent = nullptr);

    // The status label tells that the account was signed in elsewhere.
    void f_HaveToOutline();
    // 4: the "link closed" text; any other: the "not connected" text, and 3
    // also shows the connection-failed box. The inputs come back.
    void ShowConnectState(int kind);
    // OK and the inputs follow `on` (the inputs stay off with the relogin
    // flag); Cancel stays on.
    void SetInputsEnabled(bool on);

    // Asked before the login is given up; false keeps the dialog open.
    void SetGiveUpCheck(std::function<bool()> check) { m_giveUpCheck = std::move(check); }
    // Gives the login up, unless the give-up check keeps it.
    void reject() override;
    // Shows a state or error text in the status line, the dialog growing to
    // show it whole.
    void SetStatusText(const QString& text);

    QLineEdit* UserEdit() const { return m_pUserEdit; }
    QLineEdit* PasswordEdit() const { return m_pPasswordEdit; }
    QCheckBox* SaveBox() const { return m_pSaveBox; }
    QLabel* StatusLabel() const { return m_pStatusLabel; }
    QLabel* RegisterLabel() const { return m_pRegisterLabel; }
    // Says that giving the login up closes the program.
    QLabel* GiveUpLabel() const { return m_pGiveUpLabel; }
    QPushButton* ButtonOK() const { return m_pButtonOK; }
    QPushButton* ButtonNo() const { return m_pButtonNo; }

public slots:
    void login();
    // How the contest client's attempt ended.
    void slot_LoginEnded(int attempt, ContestEnding ending, quint32 status);
    void slot_Timer();
    void slot_ButtonNo();

private:
    // The least height that shows every text whole at the least width.
    void FitHeight();
    // The reply time-out, in seconds, as the texts say it.
    QString TimeoutSeconds() const;

    CConfig& m_config;
    bool m_bRelogin = false;
    bool m_bConnecting = false;
    // The attempt under way; its ending alone is this dialog's.
    int m_nAttempt = 0;
    std::function<bool()> m_giveUpCheck;
    QTimer* m_pConnectTimer = nullptr;
    QLineEdit* m_pUserEdit = nullptr;
    QLineEdit* m_pPasswordEdit = nullptr;
    QCheckBox* m_pSaveBox = nullptr;
    QLabel* m_pStatusLabel = nullptr;
    QLabel* m_pRegisterLabel = nullptr;
    QLabel* m_pGiveUpLabel = nullptr;
    QPushButton* m_pButtonOK = nullptr;
    QPushButton* m_pButtonNo = nullptr;
};
