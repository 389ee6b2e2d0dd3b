#include "dialogs/CLoginDlg.h"

#include "dialogs/DialogTexts.h"
#include "foundation/CConfig.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpacerItem>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kPasswordLength = 16;
// Long enough for the "connecting" text to be drawn before the network
// check, which blocks.
constexpr int kConnectDelayMs = 100;
// The dialog is never smaller; it grows where its texts need more.
constexpr int kLeastWidth = 260;
constexpr int kLeastHeight = 170;

QSpacerItem* Spacer() {
    return new QSpacerItem(20, 10, QSizePolicy::Maximum, QSizePolicy::Expanding);
}

QLabel* Caption(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setFixedSize(70, 20);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

} // namespace

CLoginDlg::CLoginDlg(CConfig& config, bool relogin, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowCloseButtonHint)
    , m_config(config)
    , m_bRelogin(relogin) {
    config.m_nRunMode = RunModeNet;
    setMinimumSize(kLeastWidth, kLeastHeight);
    resize(kLeastWidth, kLeastHeight);

    QLabel* userCaption = Caption(this);
    QLabel* passwordCaption = Caption(this);
    m_pUserEdit = new QLineEdit(this);
    m_pPasswordEdit = new QLineEdit(this);
    m_pPasswordEdit->setMaxLength(kPasswordLength);
    m_pPasswordEdit->setEchoMode(QLineEdit::Password);
    m_pSaveBox = new QCheckBox(this);
    m_pSaveBox->setFixedSize(100, 20);
    m_pRegisterLabel = new QLabel(this);
    m_pRegisterLabel->setOpenExternalLinks(true);
    m_pStatusLabel = new QLabel(this);
    m_pStatusLabel->setWordWrap(true);
    m_pGiveUpLabel = new QLabel(this);
    m_pGiveUpLabel->setWordWrap(true);
    m_pButtonOK = new QPushButton(QStringLiteral("OK"), this);
    m_pButtonOK->setDefault(true);
    m_pButtonNo = new QPushButton(QStringLiteral("No"), this);

    auto* userRow = new QHBoxLayout;
    userRow->addWidget(userCaption);
    userRow->addWidget(m_pUserEdit);
    auto* passwordRow = new QHBoxLayout;
    passwordRow->addWidget(passwordCaption);
    passwordRow->addWidget(m_pPasswordEdit);
    auto* saveRow = new QHBoxLayout;
    saveRow->addItem(Spacer());
    saveRow->addWidget(m_pSaveBox);
    saveRow->addWidget(m_pRegisterLabel);
    saveRow->addItem(Spacer());
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addItem(Spacer());
    buttonRow->addWidget(m_pButtonOK);
    buttonRow->addWidget(m_pButtonNo);
    buttonRow->addItem(Spacer());
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(userRow);
    layout->addLayout(passwordRow);
    layout->addLayout(saveRow);
    layout->addLayout(buttonRow);
    layout->addWidget(m_pGiveUpLabel);
    layout->addWidget(m_pStatusLabel);

    connect(m_pButtonOK, &QPushButton::clicked, this, &CLoginDlg::login);
    if (ContestClient* contest = config.Contest())
        connect(contest, &ContestClient::LoginEnded, this, &CLoginDlg::slot_LoginEnded);
    connect(m_pButtonNo, &QPushButton::clicked, this, &CLoginDlg::slot_ButtonNo);

    m_pSaveBox->setChecked(config.m_nRememberLogin > 0);
    m_pUserEdit->setText(config.m_strUser);
    m_pPasswordEdit->setText(config.m_strPassword);

    QString registerText;
    const DialogTexts texts(config, "CLoginDlg", "CLoginDlg");
    texts.IfPresent("sTitle", [&](const QString& title) {
        setWindowTitle(title);
        m_pButtonOK->setText(title);
    });
    texts.IfPresent("sSave", [&](const QString& save) { m_pSaveBox->setText(save); });
    texts.IfPresent("sUser", [&](const QString& user) { userCaption->setText(user); });
    texts.IfPresent("sPassword", [&](const QString& password) { passwordCaption->setText(password); });
    texts.IfPresent("sNo", [&](const QString& no) { m_pButtonNo->setText(no); });
    texts.IfPresent("sRegist", [&](const QString& regist) { registerText = regist; });
    const QString rankPage
        = QStringLiteral("http://") + config.m_strNetHost.trimmed() + QStringLiteral("/rank");
    m_pRegisterLabel->setText(
        QStringLiteral("<a href=\"%1\">%2</a>").arg(rankPage.toHtmlEscaped(), registerText.toHtmlEscaped()));
    m_pGiveUpLabel->setText(config.GetText("CLoginDlg", "CLoginDlg", "sGiveUp"));

    if (config.m_bHaveToOutline || relogin) {
        if (config.m_bHaveToOutline) {
            f_HaveToOutline();
            config.m_bHaveToOutline = false;
        } else if (config.Contest() && config.Contest()->LastLinkEnding() == ContestEnding::TimedOut) {
            // Why the login is asked again: the server went silent.
            SetStatusText(config.GetText("CLoginDlg", "f_Relogin", "sTimedOut").arg(TimeoutSeconds()));
        } else {
            SetStatusText(config.f_ConnectTips(4));
        }
        m_pUserEdit->setEnabled(false);
        m_pPasswordEdit->setEnabled(false);
        m_pSaveBox->setEnabled(false);
    }

    m_pConnectTimer = new QTimer(this);
    m_pConnectTimer->setSingleShot(true);
    connect(m_pConnectTimer, &QTimer::timeout, this, &CLoginDlg::slot_Timer);
    FitHeight();
}

QString CLoginDlg::TimeoutSeconds() const {
    const ContestClient* contest = m_config.Contest();
    return QString::number((contest ? contest->ReplyTimeoutMs() : 10000) / 1000.0);
}

void CLoginDlg::SetStatusText(const QString& text) {
    m_pStatusLabel->setText(text);
    FitHeight();
}

void CLoginDlg::FitHeight() {
    QLayout* box = layout();
    box->activate();
    // Measured at the least width, the narrowest the dialog can be made.
    const int needed
        = box->hasHeightForWidth() ? box->totalHeightForWidth(kLeastWidth) : box->totalMinimumSize().height();
    setMinimumSize(kLeastWidth, std::max(kLeastHeight, needed));
    if (height() < minimumHeight())
        resize(width(), minimumHeight());
}

void CLoginDlg::reject() {
    // The caller's question (unsaved work) may send the student back here.
    if (m_giveUpCheck && !m_giveUpCheck())
        return;
    // An attempt still under way goes with the dialog.
    if (m_bConnecting) {
        if (ContestClient* contest = m_config.Contest())
            contest->CancelLogin();
    }
    QDialog::reject();
}

void CLoginDlg::f_HaveToOutline() {
    SetStatusText(m_config.GetText("CLoginDlg", "f_HaveToOutline", "s"));
}

void CLoginDlg::ShowConnectState(int kind) {
    if (kind == 4) {
        SetStatusText(m_config.f_ConnectTips(4));
    } else {
        SetStatusText(m_config.f_ConnectTips(0));
        if (kind == 3)
            m_config.f_ConnectTips(3);
    }
    SetInputsEnabled(true);
}

void CLoginDlg::SetInputsEnabled(bool on) {
    // Cancel stays: it stops an attempt, or gives the login up.
    m_pButtonOK->setEnabled(on);
    const bool inputs = on && !m_bRelogin;
    m_pUserEdit->setEnabled(inputs);
    m_pPasswordEdit->setEnabled(inputs);
    m_pSaveBox->setEnabled(inputs);
}

void CLoginDlg::login() {
    SetInputsEnabled(false);
    SetStatusText(m_config.GetText("CLoginDlg", "login", "sConnecting"));
    m_pConnectTimer->start(kConnectDelayMs);
}

void CLoginDlg::slot_Timer() {
    m_pConnectTimer->stop();
    CConfig& config = m_config;
    config.m_strUser = m_pUserEdit->text().trimmed();
    m_pUserEdit->setText(config.m_strUser);
    if (config.m_strUser.isEmpty()) {
        config.ShowTips("CLoginDlg", "login", "user");
        SetInputsEnabled(true);
        m_pUserEdit->setFocus();
        SetStatusText(QString());
        return;
    }
    config.m_strPassword = m_pPasswordEdit->text();
    if (config.m_strPassword.isEmpty()) {
        config.ShowTips("CLoginDlg", "login", "password");
        SetInputsEnabled(true);
        m_pPasswordEdit->setFocus();
        SetStatusText(QString());
        return;
    }
    if (!config.IsInternetReachable()) {
        SetStatusText(config.GetText("CLoginDlg", "login", "sCable"));
        SetInputsEnabled(true);
        return;
    }
    config.m_nRememberLogin = m_pSaveBox->isChecked() ? 1 : 0;
    config.SaveSettingsTold();
    ContestClient* contest = config.Contest();
    if (!contest) {
        SetStatusText(config.GetText("CLoginDlg", "login", "sNoServer"));
        SetInputsEnabled(true);
        return;
    }
    m_bConnecting = true;
    m_nAttempt = contest->LogIn(config.m_strUser, config.m_strPassword);
}

void CLoginDlg::slot_LoginEnded(int attempt, ContestEnding ending, quint32 status) {
    if (!m_bConnecting || attempt != m_nAttempt)
        return;
    m_bConnecting = false;
    CConfig& config = m_config;
    switch (ending) {
    case ContestEnding::Answered:
        break;
    case ContestEnding::Damaged:
        ShowConnectState(3);
        return;
    case ContestEnding::Cancelled:
        SetStatusText(config.GetText("CLoginDlg", "login", "sCancelled"));
        SetInputsEnabled(true);
        return;
    case ContestEnding::TimedOut:
        SetStatusText(config.GetText("CLoginDlg", "login", "sTimedOut").arg(TimeoutSeconds()));
        SetInputsEnabled(true);
        return;
    case ContestEnding::NoServer:
        // The network was there (it was looked at first); the server never
        // took the connection.
        SetStatusText(config.GetText("CLoginDlg", "login", "sNoServer"));
        SetInputsEnabled(true);
        return;
    default:
        ShowConnectState(4);
        return;
    }
    switch (status) {
    case 0:
        accept();
        return;
    case 1:
    case 2:
        ShowConnectState(0);
        config.f_ConnectTips(static_cast<int>(status));
        return;
    case 3:
        ShowConnectState(0);
        config.ShowTips("CLoginDlg", "slot_GetMsg", "sPass");
        return;
    case 4:
        ShowConnectState(0);
        config.ShowTips("CLoginDlg", "slot_GetMsg", "sUse");
        return;
    default:
        ShowConnectState(0);
        f_HaveToOutline();
        return;
    }
}

void CLoginDlg::slot_ButtonNo() {
    // No attempt under way: Cancel gives the login up.
    if (!m_pConnectTimer->isActive() && !m_bConnecting) {
        reject();
        return;
    }
    // Cancelled while still waiting to start: there is no link to close,
    // and nothing else would give OK back.
    if (m_pConnectTimer->isActive()) {
        m_pConnectTimer->stop();
        SetStatusText(m_config.GetText("CLoginDlg", "login", "sCancelled"));
        SetInputsEnabled(true);
        return;
    }
    // The attempt's end is told as cancelled.
    if (ContestClient* contest = m_config.Contest())
        contest->CancelLogin();
}
