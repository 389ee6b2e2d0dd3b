#include "dialogs/CScoreDlg.h"

#include "classlink/ContestMessages.h"
#include "dialogs/DialogTexts.h"
#include "foundation/CConfig.h"
#include "foundation/ContestClient.h"

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

// The server's verdicts on a score, codes 1 to 10, then any other code:
// whether a second try may change the verdict.
constexpr bool kVerdictRetry[] = { false, false, true, true, false, false, false, true, false, false, true };
constexpr quint32 kKnownVerdicts = 10;

quint32 VerdictIndex(quint32 status) {
    return status >= 1 && status <= kKnownVerdicts ? status - 1 : kKnownVerdicts;
}

} // namespace

CScoreDlg::CScoreDlg(CConfig& config, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowCloseButtonHint)
    , m_config(config) {
    setModal(true);
    setFixedSize(400, 300);
    m_pTable = new QTableWidget(this);
}

QString CScoreDlg::ScoreStatusText(quint32 status) const {
    const char* const keys[] = { "s1", "s2", "s3", "s4", "s5", "s6", "s7", "s8", "s9", "s10", "sOther" };
    const quint32 index = VerdictIndex(status);
    return m_config.GetText("CScoreDlg", "f_ScoreStatus", keys[index]);
}

bool CScoreDlg::ScoreStatusAllowsRetry(quint32 status) {
    return kVerdictRetry[VerdictIndex(status)];
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
    ContestClient* contest = config.Contest();
    if (config.m_nUploadsLeft != 0 && contest) {
        m_sPlaygroundPath = QString::fromLocal8Bit(playgroundPath.c_str());
        m_bRetry = true;
        m_bUploadPending = false;
        m_pUploadButton = new QPushButton(this);
        m_pUploadButton->setDefault(true);
        m_pStatusLabel = new QLabel(this);
        m_pStatusLabel->setWordWrap(true);
        auto* row = new QHBoxLayout;
        row->addItem(new QSpacerItem(50, 10, QSizePolicy::Minimum, QSizePolicy::Minimum));
        row->addWidget(m_pUploadButton);
        row->addItem(new QSpacerItem(50, 10, QSizePolicy::Minimum, QSizePolicy::Minimum));
        layout.addLayout(row);
        layout.addWidget(m_pStatusLabel);
        connect(m_pUploadButton, &QPushButton::clicked, this, &CScoreDlg::slot_Upload);
        connect(contest, &ContestClient::ScoreEnded, this, &CScoreDlg::slot_ScoreEnded);
        connect(contest, &ContestClient::ScoreWaitsForLogin, this, &CScoreDlg::slot_ScoreWaitsForLogin);
        const QString robot = QFileInfo(QString::fromLocal8Bit(robotPath.c_str())).baseName();
        // The quotes hold the name itself, no blanks inside them.
        m_pUploadButton->setText(m_sUpload + QLatin1Char('"') + robot + QLatin1Char('"') + m_sUpload2);
    } else {
        m_pStatusLabel = new QLabel(this);
        m_pStatusLabel->setWordWrap(true);
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

void CScoreDlg::reject() {
    // The answer of a submitted score is awaited here: it says whether the
    // match's one upload is used.
    if (m_bUploadPending)
        return;
    QDialog::reject();
}

void CScoreDlg::SetWaiting(bool waiting) {
    m_bUploadPending = waiting;
    m_pTable->setEnabled(!waiting);
    if (m_pButtonOK)
        m_pButtonOK->setEnabled(!waiting);
    if (waiting)
        m_pUploadButton->setEnabled(false);
}

void CScoreDlg::slot_Upload() {
    CConfig& config = m_config;
    ContestClient* contest = config.Contest();
    if (!contest || contest->ScorePending())
        return;
    QString mapCheck;
    QFile playground(config.InProgramDir(m_sPlaygroundPath));
    if (playground.open(QIODevice::ReadOnly))
        mapCheck = MapCheckOf(playground.readAll());
    const qint64 time = std::min<qint64>(
        static_cast<qint64>(config.DecodeTicks(m_vecTicks)) * 10, std::numeric_limits<qint32>::max());
    // Told first: the client may tell at once that the score waits for a
    // login.
    SetWaiting(true);
    m_pStatusLabel->setText(config.GetText("CScoreDlg", "f_Upload", "sUpload")
                                .arg(QString::number(contest->ReplyTimeoutMs() / 1000.0)));
    if (!contest->SubmitScore(mapCheck, config.DecodeScore(m_vecScore), static_cast<qint32>(time))) {
        // The match's upload went meanwhile.
        SetWaiting(false);
        m_pStatusLabel->setText(f_DoneTips());
    }
}

QString CScoreDlg::EndingText(ContestEnding ending) const {
    const CConfig& config = m_config;
    switch (ending) {
    case ContestEnding::TimedOut: {
        const ContestClient* contest = config.Contest();
        const double seconds = (contest ? contest->ReplyTimeoutMs() : 10000) / 1000.0;
        return config.GetText("CScoreDlg", "f_Ending", "sTimedOut").arg(QString::number(seconds));
    }
    case ContestEnding::Elsewhere:
        return config.GetText("CScoreDlg", "f_Ending", "sElsewhere");
    case ContestEnding::Cancelled:
        return config.GetText("CScoreDlg", "f_Ending", "sCancelled");
    default:
        return config.GetText("CScoreDlg", "f_Ending", "sLinkLost");
    }
}

void CScoreDlg::slot_ScoreWaitsForLogin(ContestEnding why) {
    if (!m_bUploadPending)
        return;
    m_pStatusLabel->setText(m_config.GetText("CScoreDlg", "f_Upload", "sAgain").arg(EndingText(why)));
}

void CScoreDlg::slot_ScoreEnded(ContestEnding ending, quint32 status) {
    if (!m_bUploadPending)
        return;
    CConfig& config = m_config;
    SetWaiting(false);
    m_bRetry = false;
    // What is told stays written under the table; the box says it too.
    QString told;
    switch (ending) {
    case ContestEnding::Answered:
        if (status == 0) {
            told = config.GetText("CScoreDlg", "slot_GetMsg", "sOK");
        } else {
            told = ScoreStatusText(status);
            m_bRetry = ScoreStatusAllowsRetry(status);
        }
        break;
    case ContestEnding::Damaged:
        told = config.GetText("CConfig", "f_ConnectTips", "sConnect");
        m_bRetry = true;
        break;
    default:
        // No verdict came: the score may be submitted again.
        told = config.GetText("CScoreDlg", "f_Upload", "sNotSent").arg(EndingText(ending));
        m_bRetry = true;
        break;
    }
    m_pStatusLabel->setText(told);
    f_Retry();
    config.f_TipsDlg(told);
}

void CScoreDlg::f_Retry() {
    if (!m_bRetry || !m_pUploadButton)
        return;
    m_pUploadButton->setText(m_config.GetText("CScoreDlg", "f_Retry", "s"));
    m_pUploadButton->setEnabled(true);
}
