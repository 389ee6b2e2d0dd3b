#include "dialogs/CScoreDlg.h"

#include "classlink/ContestMessages.h"
#include "dialogs/CLoginDlg.h"
#include "dialogs/DialogTexts.h"
#include "dialogs/DialogsLog.h"
#include "foundation/CConfig.h"

#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpacerItem>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>

namespace {

constexpr int kLinkOwnerScore = 1;

struct ScoreVerdict {
    const char16_t* text;
    bool retry;
};

// Codes 1 to 10; any other code is the last entry.
constexpr ScoreVerdict kVerdicts[] = {
    { u"用户ID错", false },
    { u"赛季未开始", false },
    { u"分组信息获取失败", true },
    { u"分组比赛未开始", true },
    { u"分组比赛已结束", false },
    { u"比赛用时过长", false },
    { u"地图不对", false },
    { u"连接数据库失败", true },
    { u"成绩校验失败", false },
    { u"用户已完成比赛", false },
    { u"成绩提交失败", true },
};
constexpr quint32 kKnownVerdicts = 10;

const ScoreVerdict& Verdict(quint32 status) {
    return kVerdicts[status >= 1 && status <= kKnownVerdicts ? status - 1 : kKnownVerdicts];
}

} // namespace

CScoreDlg::CScoreDlg(CConfig& config, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowCloseButtonHint)
    , m_config(config) {
    setModal(true);
    setFixedSize(400, 300);
    m_pTable = new QTableWidget(this);
}

QString CScoreDlg::ScoreStatusText(quint32 status) {
    return QString::fromUtf16(Verdict(status).text);
}

bool CScoreDlg::ScoreStatusAllowsRetry(quint32 status) {
    return Verdict(status).retry;
}

void CScoreDlg::f_SetScore(const std::vector<int>& scoreDigits, const std::vector<int>& stepDigits,
    const std::string& playgroundPath, const std::string& robotPath, bool match) {
    CConfig& config = m_config;
    m_vecScore = scoreDigits;
    m_vecTicks = stepDigits;

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pTable);
    m_pNoteLabel = new QLabel(this);
    m_pNoteLabel->setWordWrap(true);
    m_pNoteLabel->hide();
    layout->addWidget(m_pNoteLabel);
    m_pTable->setColumnCount(3);
    for (int i = 0; i < 3; ++i) {
        m_pHeaders[i] = new QTableWidgetItem;
        m_pTable->setHorizontalHeaderItem(i, m_pHeaders[i]);
    }

    const DialogTexts texts(config, "CScoreDlg", "f_SetScore");
    texts.IfPresent("sTitle", [&](const QString& title) { setWindowTitle(title); });
    texts.IfPresent("m_sUpload", [&](const QString& upload) { m_sUpload = upload; });
    texts.IfPresent("m_sUpload2", [&](const QString& upload2) { m_sUpload2 = upload2; });
    const char* const headers[3] = { "s", "s2", "s3" };
    for (int i = 0; i < 3; ++i)
        texts.IfPresent(headers[i], [&](const QString& header) { m_pHeaders[i]->setText(header); });

    if (config.m_nRunMode == RunModeNet)
        OfferUpload(*layout, scoreDigits, stepDigits, playgroundPath, robotPath, match);
    // The OK button closes the dialog, below whatever the online mode adds.
    m_pButtonOK = new QPushButton(texts.Get("sOK"), this);
    m_pButtonOK->setDefault(!m_pUploadButton);
    connect(m_pButtonOK, &QPushButton::clicked, this, &QDialog::accept);
    auto* okRow = new QHBoxLayout;
    okRow->addStretch();
    okRow->addWidget(m_pButtonOK);
    layout->addLayout(okRow);
}

void CScoreDlg::OfferUpload(QVBoxLayout& layout, const std::vector<int>& scoreDigits,
    const std::vector<int>& stepDigits, const std::string& playgroundPath, const std::string& robotPath,
    bool match) {
    CConfig& config = m_config;
    // The login that a dropped link asks for runs after the link's own
    // signal has returned.
    connect(&config, &CConfig::signal_Disconnect, this, &CScoreDlg::slot_Disconnect, Qt::QueuedConnection);
    // A run that cannot be submitted says why, so that the student knows
    // what the next run needs.
    const char* refusal = nullptr;
    if (!match)
        refusal = "sNoMatch";
    else if (config.m_bKeyDrive)
        refusal = "sKeyDrive";
    else if (playgroundPath.empty())
        refusal = "sNoPlayground";
    else if (config.DecodeScore(scoreDigits) <= 0 || config.DecodeTicks(stepDigits) == 0)
        refusal = "sNoScore";
    if (refusal) {
        m_pStatusLabel = new QLabel(config.GetText("CScoreDlg", "f_NoUpload", refusal), this);
        m_pStatusLabel->setWordWrap(true);
        layout.addWidget(m_pStatusLabel);
        return;
    }
    if (config.m_nUploadsLeft != 0) {
        m_sPlaygroundPath = QString::fromLocal8Bit(playgroundPath.c_str());
        m_bRetry = true;
        m_bUploadPending = false;
        m_pUploadButton = new QPushButton(this);
        m_pUploadButton->setDefault(true);
        m_pStatusLabel = new QLabel(this);
        auto* row = new QHBoxLayout;
        row->addItem(new QSpacerItem(50, 10, QSizePolicy::Minimum, QSizePolicy::Minimum));
        row->addWidget(m_pUploadButton);
        row->addItem(new QSpacerItem(50, 10, QSizePolicy::Minimum, QSizePolicy::Minimum));
        layout.addLayout(row);
        layout.addWidget(m_pStatusLabel);
        connect(m_pUploadButton, &QPushButton::clicked, this, &CScoreDlg::slot_Upload);
        connect(&config, &CConfig::signal_GetMsg, this, &CScoreDlg::slot_GetMsg);
        const QString robot = QFileInfo(QString::fromLocal8Bit(robotPath.c_str())).baseName();
        // The quotes hold the name itself, no blanks inside them.
        m_pUploadButton->setText(m_sUpload + QLatin1Char('"') + robot + QLatin1Char('"') + m_sUpload2);
    } else {
        m_pStatusLabel = new QLabel(this);
        layout.addWidget(m_pStatusLabel);
        m_pStatusLabel->setText(f_DoneTips());
    }
}

void CScoreDlg::AddNote(const QString& line) {
    if (!m_pNoteLabel)
        return;
    const QString text = m_pNoteLabel->text();
    m_pNoteLabel->setText(text.isEmpty() ? line : text + QLatin1Char('\n') + line);
    m_pNoteLabel->show();
}

QString CScoreDlg::f_DoneTips() const {
    return m_config.GetText("CScoreDlg", "f_DoneTips", "s");
}

void CScoreDlg::slot_Upload() {
    m_pUploadButton->setEnabled(false);
    m_pTable->setEnabled(false);
    m_pStatusLabel->setText(m_config.GetText("CScoreDlg", "f_Upload", "sUpload"));
    m_bUploadPending = true;
    slot_SendMsg();
}

void CScoreDlg::slot_SendMsg() {
    CConfig& config = m_config;
    if (config.m_nLinkOwner != kLinkOwnerScore)
        return;
    QString mapCheck;
    QFile playground(config.InProgramDir(m_sPlaygroundPath));
    if (playground.open(QIODevice::ReadOnly))
        mapCheck = MapCheckOf(playground.readAll());
    const qint64 time = std::min<qint64>(
        static_cast<qint64>(config.DecodeTicks(m_vecTicks)) * 10, std::numeric_limits<qint32>::max());
    const QByteArray request = BuildScoreRequest(
        config.m_nUserId, mapCheck, config.DecodeScore(m_vecScore), static_cast<qint32>(time));
    // A link that is already down would never answer, and nothing would
    // end the wait: the login comes at once.
    if (!config.SendMsg(request, false))
        slot_Disconnect();
}

void CScoreDlg::slot_GetMsg(QByteArray* body) {
    CConfig& config = m_config;
    if (config.m_nLinkOwner != kLinkOwnerScore || !body)
        return;
    config.StartHeartbeat();
    m_bRetry = false;
    m_bUploadPending = false;
    const std::optional<ScoreReply> reply = ReadScoreReply(*body);
    if (!reply) {
        qCWarning(lcDialogs,
            "Contest score: the server's reply (%lld bytes) could not be read; closing the link",
            static_cast<long long>(body->size()));
        m_bRetry = true;
        f_Retry();
        config.f_ConnectTips(3);
        config.CloseConnection();
    } else if (reply->command == QLatin1String(kContestLogin)) {
        config.m_bHaveToOutline = true;
        config.CloseConnection();
    } else if (reply->command != QLatin1String(kContestScore)) {
        m_bRetry = true;
        f_Retry();
        config.f_ConnectTips(3);
    } else if (reply->status == 0) {
        if (config.m_nUploadsLeft > 0)
            --config.m_nUploadsLeft;
        config.ShowTips("CScoreDlg", "slot_GetMsg", "sOK");
    } else {
        if (ScoreStatusAllowsRetry(reply->status)) {
            m_bRetry = true;
            f_Retry();
        }
        config.f_TipsDlg(ScoreStatusText(reply->status));
    }
    m_pStatusLabel->clear();
    m_pTable->setEnabled(true);
}

void CScoreDlg::f_Retry() {
    if (!m_bRetry || !m_pUploadButton)
        return;
    m_pUploadButton->setText(m_config.GetText("CScoreDlg", "f_Retry", "s"));
    m_pUploadButton->setEnabled(true);
}

void CScoreDlg::slot_Disconnect() {
    if (m_config.m_nLinkOwner != kLinkOwnerScore)
        return;
    if (ShowLoginDlg() && m_bUploadPending)
        slot_SendMsg();
}

bool CScoreDlg::ShowLoginDlg() {
    CLoginDlg login(m_config, true);
    login.SetGiveUpCheck(m_giveUpCheck);
    const bool accepted = login.exec() == QDialog::Accepted;
    m_config.m_nLinkOwner = kLinkOwnerScore;
    if (!accepted)
        emit signal_CloseProgram();
    return accepted;
}
