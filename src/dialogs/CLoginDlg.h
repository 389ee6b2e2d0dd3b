#pragma once

#include <QByteArray>
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
// server's ranking page. OK checks that the network can be reached, opens
// the contest link, sends the login once the socket is connected and reads
// the reply. exec() returns Accepted when the server signed the user in;
// the user id and the three display texts it sent are then in the
// configuration and the heartbeat has started.
//
// From its construction the dialog owns the link's replies (link owner 2)
// and the run mode is the online one; the caller sets the owner back.
// Every handler acts only while the owner is still 2, so replies meant for
// the main window or the score dialog are left to them.
//
// After a failed attempt the link is closed and OK tries again. With the
// relogin flag the stored account is reused and cannot be edited.
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
    void slot_GetMsg(QByteArray* body);
    void slot_SengMsg();
    void f_Disconnect();
    void slot_Timer();
    void slot_ButtonNo();

private:
    // A login that did not succeed: the link closes and OK is offered again.
    void FailedLogin(int connectState);
    // The least height that shows every text whole at the least width.
    void FitHeight();

    CConfig& m_config;
    bool m_bRelogin = false;
    bool m_bConnecting = false;
    // This attempt's connection came up, and its request went out: one
    // request per attempt, whoever else listens to the socket.
    bool m_bLinkUp = false;
    bool m_bRequestSent = false;
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
