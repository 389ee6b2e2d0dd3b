#pragma once

#include "foundation/ContestClient.h"

#include <QDialog>
#include <QString>

#include <string>
#include <vector>

class CConfig;
class QLabel;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;
class QVBoxLayout;

// The score table at the end of a run: one row per robot, which the
// simulation page adds. After a scored run of an online match it also
// offers to submit the score to the contest server, with the playground's
// MD5, through the contest client (CConfig::Contest), and shows what became
// of it: the server's verdict, which stays written under the table, or why
// no verdict came. A verdict that may change on a second try, or none at
// all, offers the button again.
//
// Under the table, lines that tell what the scores alone do not (why the
// run stopped at once, a robot whose program was dropped), and an OK button
// that closes the dialog. While a submitted score waits for its answer the
// dialog stays, saying so; a lost link brings the window's login in front
// of it, after which the score is sent again, once. In the online mode, a
// run whose score cannot be submitted says why.
class CScoreDlg : public QDialog {
    Q_OBJECT

public:
    // The link, settings and texts are config's, which outlives the dialog.
    explicit CScoreDlg(CConfig& config, QWidget* parent = nullptr);

    // The first robot's score and the run's step count (both in their digit
    // forms), the playground file, the first robot's file and whether the
    // run was part of a match. Lays the dialog out and, in the online mode,
    // decides whether to offer the upload.
    void f_SetScore(const std::vector<int>& scoreDigits, const std::vector<int>& stepDigits,
        const std::string& playgroundPath, const std::string& robotPath, bool match);
    QTableWidget* GetTable() const { return m_pTable; }
    // One more line under the table; after f_SetScore.
    void AddNote(const QString& line);
    // Null until a line is added.
    QLabel* NoteLabel() const { return m_pNoteLabel; }
    QPushButton* ButtonOK() const { return m_pButtonOK; }

    // Offers the upload again, when the last verdict allows a retry.
    void f_Retry();
    QString f_DoneTips() const;
    // Whether a submitted score waits for its answer.
    bool UploadPending() const { return m_bUploadPending; }
    // Closes the dialog, unless a submitted score waits for its answer.
    void reject() override;

    // Null unless an upload is offered.
    QPushButton* UploadButton() const { return m_pUploadButton; }
    // Null outside the online mode.
    QLabel* StatusLabel() const { return m_pStatusLabel; }

    // The server's verdict on a submitted score, in the current language,
    // and whether a second try may change it.
    QString ScoreStatusText(quint32 status) const;
    static bool ScoreStatusAllowsRetry(quint32 status);

public slots:
    void slot_Upload();
    // What the contest client tells of the score.
    void slot_ScoreEnded(ContestEnding ending, quint32 status);
    void slot_ScoreWaitsForLogin(ContestEnding why);

private:
    // The online mode's upload row (and its status label) after a scored
    // match run.
    void OfferUpload(QVBoxLayout& layout, const std::vector<int>& scoreDigits,
        const std::vector<int>& stepDigits, const std::string& playgroundPath, const std::string& robotPath,
        bool match);
    // Why a score got no verdict, in a sentence.
    QString EndingText(ContestEnding ending) const;
    void SetWaiting(bool waiting);

    CConfig& m_config;
    QString m_sUpload;
    QString m_sUpload2;
    QPushButton* m_pUploadButton = nullptr;
    QTableWidget* m_pTable = nullptr;
    QLabel* m_pStatusLabel = nullptr;
    QLabel* m_pNoteLabel = nullptr;
    QPushButton* m_pButtonOK = nullptr;
    QTableWidgetItem* m_pHeaders[3] = {};
    std::vector<int> m_vecScore;
    std::vector<int> m_vecTicks;
    bool m_bRetry = false;
    bool m_bUploadPending = false;
    QString m_sPlaygroundPath;
};
