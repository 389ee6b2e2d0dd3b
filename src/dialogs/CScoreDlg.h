#pragma once

#include <QByteArray>
#include <QDialog>
#include <QString>

#include <functional>
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
// offers to submit the score to the contest server ("Score"), with the
// playground's MD5, and reads the server's verdict; a verdict that may
// change on a second try re-offers the button.
//
// Under the table, lines that tell what the scores alone do not (why the
// run stopped at once, a robot whose program was dropped), and an OK button
// that closes the dialog.
//
// The caller makes the dialog the link's reader (link owner 1) before
// building it and sets the owner back afterwards. When the link drops the
// dialog asks for the login again and sends once more; a refused login
// emits signal_CloseProgram. In the online mode, a run whose score cannot
// be submitted says why.
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
    // Runs the login again; the dialog reads the link again afterwards.
    bool ShowLoginDlg();
    // Handed to that login: asked before it is given up.
    void SetGiveUpCheck(std::function<bool()> check) { m_giveUpCheck = std::move(check); }

    // Null unless an upload is offered.
    QPushButton* UploadButton() const { return m_pUploadButton; }
    // Null outside the online mode.
    QLabel* StatusLabel() const { return m_pStatusLabel; }

    // The server's verdict on a submitted score, as the program shows it,
    // and whether a second try may change it.
    static QString ScoreStatusText(quint32 status);
    static bool ScoreStatusAllowsRetry(quint32 status);

signals:
    void signal_CloseProgram();

public slots:
    void slot_Upload();
    void slot_GetMsg(QByteArray* body);
    void slot_SendMsg();
    void slot_Disconnect();

private:
    // The online mode's upload row (and its status label) after a scored
    // match run.
    void OfferUpload(QVBoxLayout& layout, const std::vector<int>& scoreDigits,
        const std::vector<int>& stepDigits, const std::string& playgroundPath, const std::string& robotPath,
        bool match);

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
    std::function<bool()> m_giveUpCheck;
};
