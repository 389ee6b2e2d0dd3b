// The login and score dialogs against a stand-in contest server on
// 127.0.0.1:4480: what each reply makes of them, and what they send.

#include "classlink/ContestMessages.h"
#include "dialogs/CLoginDlg.h"
#include "dialogs/CScoreDlg.h"
#include "dialogs/DialogTestSupport.h"
#include "foundation/ContestClient.h"
#include "support/CapturedWarnings.h"
#include "support/ContestTestServer.h"
#include "support/ModalWatcher.h"
#include "support/QtPrint.h"
#include "support/VisibleText.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTcpServer>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using testsupport::ContestTestServer;
using testsupport::ModalWatcher;

namespace {

QByteArray Hex(const char* hex) {
    return QByteArray::fromHex(QByteArray(hex).replace(' ', ""));
}

class ContestDialogsTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_server.listening());
        ASSERT_TRUE(m_webServer.listen(QHostAddress::LocalHost));
        ContestTestServer::Account ann;
        ann.password = QStringLiteral("secret");
        ann.userId = 7;
        ann.texts[0] = QStringLiteral("Ann");
        m_server.AddAccount(QStringLiteral("ann"), ann);
        CConfig& config = this->config();
        config.SetLanguage(1, false);
        config.m_strNetHost = QStringLiteral("127.0.0.1");
        config.m_nProbePort = m_webServer.serverPort();
        config.m_bNoHeartbeat = true;
        ServerLink::Timing timing;
        timing.replyTimeoutMs = 2000;
        config.InitNet(timing);
        QObject::connect(&config, &CConfig::signal_Disconnect, [this] { ++m_disconnects; });
        // Where the window would run its login again, the test does.
        QObject::connect(config.Contest(), &ContestClient::LoginNeeded, [this] {
            if (m_relogins)
                QTimer::singleShot(0, [this] { LogInAgain(); });
        });
    }

    // What the window does when the contest client asks for a login.
    void LogInAgain() {
        ContestClient& contest = *config().Contest();
        if (m_loginOpen || contest.SignedIn())
            return;
        CLoginDlg login(config(), true);
        m_loginOpen = true;
        const bool accepted = login.exec() == QDialog::Accepted;
        m_loginOpen = false;
        if (!accepted) {
            contest.Abandon();
            ++m_givenUp;
        }
    }

    void TearDown() override { config().ShutdownNet(); }

    CConfig& config() { return m_installed.config(); }

    // Logs in through a dialog of the first kind, as the window does.
    void LogIn() {
        CLoginDlg login(config(), false);
        login.UserEdit()->setText(QStringLiteral("ann"));
        login.PasswordEdit()->setText(QStringLiteral("secret"));
        login.show();
        login.ButtonOK()->click();
        ASSERT_TRUE(testsupport::Await([&] { return login.result() == QDialog::Accepted; }, 5000));
    }

    // Sends the login and waits for the server's verdict to be shown.
    void TryLogin(CLoginDlg& login) {
        if (HasFatalFailure())
            return;
        const size_t before = m_server.RequestsOf(QStringLiteral("Login")).size();
        login.ButtonOK()->click();
        ASSERT_TRUE(m_server.WaitForRequests(QStringLiteral("Login"), before + 1));
        ASSERT_TRUE(testsupport::Await([&] { return login.ButtonOK()->isEnabled(); }, 5000));
    }

    // The score dialog of a match, showing 80 points in 500 steps of a
    // playground that cannot be read (the score goes with an empty check),
    // with uploadsLeft uploads left (-1: any).
    std::unique_ptr<CScoreDlg> MatchScoreDialog(int uploadsLeft) {
        CConfig& c = config();
        c.m_nRunMode = RunModeNet;
        c.m_nUploadsLeft = uploadsLeft;
        std::vector<int> score;
        std::vector<int> steps;
        c.EncodeScore(score, 80);
        c.EncodeTicks(steps, 500);
        auto dialog = std::make_unique<CScoreDlg>(c);
        dialog->f_SetScore(score, steps, "missing.pla", "robot/r.rob", true);
        dialog->show();
        return dialog;
    }

    // Answers the first login dialog that comes up with OK, and counts the
    // logins in logins.
    void AcceptOneLogin(int& logins) {
        m_watcher.SetHandler([&logins](QWidget* modal) {
            auto* login = qobject_cast<CLoginDlg*>(modal);
            if (!login || !login->ButtonOK()->isEnabled() || logins > 0)
                return;
            ++logins;
            ModalWatcher::Post(login->ButtonOK());
        });
    }

    dialogstest::InstalledConfig m_installed;
    ContestTestServer m_server { CConfig::kClassroomPort };
    QTcpServer m_webServer;
    ModalWatcher m_watcher;
    int m_disconnects = 0;
    // Whether the test logs in again when asked, as the window does.
    bool m_relogins = false;
    bool m_loginOpen = false;
    int m_givenUp = 0;
};

} // namespace

TEST_F(ContestDialogsTest, LoginTakesTheLinkAndTheStoredAccount) {
    CConfig& c = config();
    c.m_nRunMode = RunModeEducation;
    c.m_strUser = QStringLiteral("ann");
    c.m_strPassword = QStringLiteral("0123456789abcdefXYZ");
    c.m_nRememberLogin = 1;
    CLoginDlg login(c, false);
    EXPECT_EQ(c.m_nRunMode, RunModeNet);
    EXPECT_EQ(login.UserEdit()->text(), QStringLiteral("ann"));
    // At most 16 characters of a password are kept.
    EXPECT_EQ(login.PasswordEdit()->text(), QStringLiteral("0123456789abcdef"));
    EXPECT_EQ(login.PasswordEdit()->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(login.SaveBox()->isChecked());
    EXPECT_TRUE(login.UserEdit()->isEnabled());
    EXPECT_TRUE(login.ButtonNo()->isEnabled()) << "giving up needs no attempt first";
    EXPECT_EQ(login.minimumWidth(), 260);
    EXPECT_GE(login.minimumHeight(), 170);
    EXPECT_EQ(login.RegisterLabel()->text(), QStringLiteral("<a href=\"http://127.0.0.1/rank\">Ranking</a>"));

    // A relogin shows the account it reuses, which cannot be changed; the
    // notice of a login elsewhere comes once.
    c.m_bHaveToOutline = true;
    c.m_nRememberLogin = 0;
    CLoginDlg elsewhere(c, true);
    EXPECT_FALSE(elsewhere.SaveBox()->isChecked());
    EXPECT_EQ(elsewhere.StatusLabel()->text(),
        QStringLiteral("This account has logged in elsewhere. Please log in again."));
    EXPECT_FALSE(c.m_bHaveToOutline);
    EXPECT_FALSE(elsewhere.UserEdit()->isEnabled());
    EXPECT_FALSE(elsewhere.PasswordEdit()->isEnabled());
    EXPECT_FALSE(elsewhere.SaveBox()->isEnabled());
    CLoginDlg again(c, true);
    EXPECT_EQ(again.StatusLabel()->text(), QStringLiteral("Connection closed, please log in again"));
    again.SetInputsEnabled(true);
    EXPECT_FALSE(again.UserEdit()->isEnabled());
    EXPECT_TRUE(again.ButtonOK()->isEnabled());
}

TEST_F(ContestDialogsTest, LoginRefusalsCloseTheLinkAndSayWhy) {
    CLoginDlg login(config(), false);
    login.show();
    // A user name of blanks is no user name; nothing is sent.
    login.UserEdit()->setText(QStringLiteral("   "));
    login.PasswordEdit()->setText(QStringLiteral(" secret "));
    login.ButtonOK()->click();
    ASSERT_TRUE(m_watcher.WaitForMessages(1));
    EXPECT_EQ(m_watcher.Messages()[0], QStringLiteral("Please enter your user name."));
    EXPECT_EQ(login.UserEdit()->text(), QString());
    EXPECT_TRUE(login.ButtonOK()->isEnabled());
    EXPECT_EQ(m_server.Connections(), 0);

    // Each refusal: the link closes, the box or the text says why, OK again.
    login.UserEdit()->setText(QStringLiteral("ann"));
    const std::pair<quint32, const char*> refusals[] = {
        { 1, "Server error" },
        { 2, "Server database error" },
        { 3, "Wrong user name or password." },
        { 4, "This account is in use." },
    };
    for (const auto& [status, text] : refusals) {
        SCOPED_TRACE(status);
        m_server.ForceLoginStatus(status);
        const int boxes = int(m_watcher.Messages().size());
        TryLogin(login);
        ASSERT_TRUE(m_watcher.WaitForMessages(boxes + 1));
        EXPECT_EQ(m_watcher.Messages().back(), QString::fromUtf8(text));
        EXPECT_EQ(login.StatusLabel()->text(), QStringLiteral("Not connected"));
        EXPECT_TRUE(QTest::qWaitFor([&] { return !m_server.Connected(); }, 5000));
    }
    // The password went as typed, blanks and all.
    EXPECT_EQ(m_server.RequestsOf(QStringLiteral("Login")).back().body,
        Hex("0000000a 004c 006f 0067 0069 006e 00000006 0061 006e 006e 00000010 0020 0073 0065 0063 0072 "
            "0065 "
            "0074 0020"));
    m_server.ForceLoginStatus(9);
    TryLogin(login);
    EXPECT_EQ(login.StatusLabel()->text(),
        QStringLiteral("This account has logged in elsewhere. Please log in again."));

    // A reply that cannot be read, or is for another command, is a failed
    // connection.
    testsupport::CapturedWarnings warnings("morvane.foundation");
    m_server.ForceLoginStatus(std::nullopt);
    const QString texts[3];
    m_server.ReplaceNextReply(QStringLiteral("Login"), ContestTestServer::LoginReply(0, 7, texts).left(20));
    const int boxes = int(m_watcher.Messages().size());
    TryLogin(login);
    ASSERT_TRUE(m_watcher.WaitForMessages(boxes + 1));
    EXPECT_EQ(m_watcher.Messages().back(), QStringLiteral("Connection failed"));
    EXPECT_EQ(warnings.count(), 1);
    m_server.ReplaceNextReply(QStringLiteral("Login"), ContestTestServer::ScoreReply(0));
    TryLogin(login);
    ASSERT_TRUE(m_watcher.WaitForMessages(boxes + 2));
    EXPECT_EQ(m_watcher.Messages().back(), QStringLiteral("Connection failed"));
    EXPECT_NE(login.result(), QDialog::Accepted);
    EXPECT_EQ(config().m_nUserId, 0);
}

TEST_F(ContestDialogsTest, AcceptedLoginKeepsTheAccountAndTheRememberedCredentials) {
    CLoginDlg login(config(), false);
    login.show();
    login.UserEdit()->setText(QStringLiteral("ann"));
    login.PasswordEdit()->setText(QStringLiteral("secret"));
    login.SaveBox()->setChecked(true);
    login.ButtonOK()->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return login.result() == QDialog::Accepted; }, 5000));
    EXPECT_EQ(config().m_nUserId, 7);
    EXPECT_EQ(config().m_strLoginInfo[0], QStringLiteral("Ann"));
    EXPECT_TRUE(m_watcher.Messages().isEmpty());
    CConfig reread(m_installed.dir().qpath());
    EXPECT_EQ(reread.m_nRememberLogin, 1);
    EXPECT_EQ(reread.m_strUser, QStringLiteral("ann"));
    EXPECT_EQ(reread.m_strPassword, QStringLiteral("secret"));

    // Unticked, the next login forgets them: neither the user nor the
    // password is stored any more.
    config().CloseConnection();
    CLoginDlg forget(config(), false);
    forget.show();
    ASSERT_TRUE(forget.SaveBox()->isChecked());
    forget.SaveBox()->setChecked(false);
    forget.ButtonOK()->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return forget.result() == QDialog::Accepted; }, 5000));
    CConfig forgotten(m_installed.dir().qpath());
    EXPECT_EQ(forgotten.m_nRememberLogin, 0);
    EXPECT_EQ(forgotten.m_strUser, QString());
    EXPECT_EQ(forgotten.m_strPassword, QString());

    // Where the link has a heartbeat, the accepted login starts it.
    dialogstest::InstalledConfig beating;
    CConfig& b = beating.config();
    ContestTestServer contest(CConfig::kContestPort);
    contest.AddAccount(QStringLiteral("ann"), ContestTestServer::Account { QStringLiteral("secret"), 7, {} });
    b.m_strNetHost = QStringLiteral("127.0.0.1");
    b.m_nProbePort = m_webServer.serverPort();
    b.m_bNoHeartbeat = false;
    b.InitNet();
    CLoginDlg second(b, false);
    second.show();
    second.UserEdit()->setText(QStringLiteral("ann"));
    second.PasswordEdit()->setText(QStringLiteral("secret"));
    second.ButtonOK()->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return second.result() == QDialog::Accepted; }, 5000));
    ASSERT_NE(b.m_pHeartTimer, nullptr);
    EXPECT_TRUE(b.m_pHeartTimer->isActive());
    b.ShutdownNet();
}

TEST_F(ContestDialogsTest, ScoreUploadIsOfferedOnlyAfterAScoredMatchRun) {
    CConfig& c = config();
    std::vector<int> score;
    std::vector<int> steps;
    std::vector<int> none;
    c.EncodeScore(score, 80);
    c.EncodeTicks(steps, 500);
    c.EncodeScore(none, 0);
    c.m_nUploadsLeft = 1;
    auto offered = [&](const std::vector<int>& s, const std::vector<int>& t, const std::string& playground,
                       bool match) {
        CScoreDlg dialog(c);
        dialog.f_SetScore(s, t, playground, "robot/r.rob", match);
        return dialog.UploadButton() != nullptr;
    };
    c.m_nRunMode = RunModeEducation;
    {
        CScoreDlg dialog(c);
        dialog.f_SetScore(score, steps, "p.pla", "robot/r.rob", true);
        EXPECT_EQ(dialog.UploadButton(), nullptr);
        EXPECT_EQ(dialog.StatusLabel(), nullptr);
        EXPECT_EQ(dialog.GetTable()->columnCount(), 3);
        EXPECT_EQ(dialog.GetTable()->horizontalHeaderItem(2)->text(), QStringLiteral("Score"));
        EXPECT_EQ(dialog.size(), QSize(400, 300));
    }
    c.m_nRunMode = RunModeNet;
    EXPECT_TRUE(offered(score, steps, "p.pla", true));
    EXPECT_FALSE(offered(none, steps, "p.pla", true));
    EXPECT_FALSE(offered(score, none, "p.pla", true));
    EXPECT_FALSE(offered(score, steps, "", true));
    EXPECT_FALSE(offered(score, steps, "p.pla", false));
    c.m_bKeyDrive = true;
    EXPECT_FALSE(offered(score, steps, "p.pla", true));
    c.m_bKeyDrive = false;
    c.m_nUploadsLeft = 0;
    CScoreDlg done(c);
    done.f_SetScore(score, steps, "p.pla", "robot/r.rob", true);
    EXPECT_EQ(done.UploadButton(), nullptr);
    ASSERT_NE(done.StatusLabel(), nullptr);
    EXPECT_EQ(
        done.StatusLabel()->text(), QStringLiteral("The score of this match has already been submitted."));
}

TEST_F(ContestDialogsTest, EveryScoreVerdictIsToldInTheWindowsLanguageAndStaysWritten) {
    ASSERT_NO_FATAL_FAILURE(LogIn());
    CConfig& c = config();
    // Every status the server can answer: the text in each language, and
    // whether the button comes back as a retry.
    struct Verdict {
        quint32 status;
        const char* chinese;
        const char* english;
        bool retry;
    };
    const Verdict verdicts[] = {
        { 1, "用户ID错", "Wrong user ID.", false },
        { 2, "赛季未开始", "The season has not started.", false },
        { 3, "分组信息获取失败", "The group's information could not be fetched.", true },
        { 4, "分组比赛未开始", "The group's match has not started.", true },
        { 5, "分组比赛已结束", "The group's match is over.", false },
        { 6, "比赛用时过长", "The match took too long.", false },
        { 7, "地图不对", "Wrong playground.", false },
        { 8, "连接数据库失败", "The contest server could not reach its database.", true },
        { 9, "成绩校验失败", "The score did not pass the server's check.", false },
        { 10, "用户已完成比赛", "This user has already finished the match.", false },
        { 11, "成绩提交失败", "The score could not be submitted.", true },
        { 0, "成绩已提交。", "The score has been submitted.", false },
    };
    for (int language : { 1, 0 }) {
        c.SetLanguage(language, false);
        // The playground cannot be read: the score goes with an empty check.
        const std::unique_ptr<CScoreDlg> shown = MatchScoreDialog(-1);
        CScoreDlg& dialog = *shown;
        ASSERT_NE(dialog.UploadButton(), nullptr);
        for (const Verdict& verdict : verdicts) {
            SCOPED_TRACE(testing::Message() << "language " << language << ", status " << verdict.status);
            const QString text = QString::fromUtf8(language == 0 ? verdict.chinese : verdict.english);
            dialog.UploadButton()->setEnabled(true);
            m_server.SetScoreStatus(verdict.status);
            const int boxes = int(m_watcher.Messages().size());
            dialog.UploadButton()->click();
            EXPECT_FALSE(dialog.GetTable()->isEnabled());
            ASSERT_TRUE(m_watcher.WaitForMessages(boxes + 1));
            EXPECT_EQ(m_watcher.Messages().back(), text);
            EXPECT_EQ(dialog.UploadButton()->isEnabled(), verdict.retry);
            if (verdict.retry) {
                EXPECT_EQ(dialog.UploadButton()->text(), c.GetText("CScoreDlg", "f_Retry", "s"));
            }
            EXPECT_TRUE(dialog.GetTable()->isEnabled());
            // The verdict stays written in the dialog, whole.
            EXPECT_EQ(dialog.StatusLabel()->text(), text);
            EXPECT_EQ(testsupport::CutText(*dialog.StatusLabel()), QString());
            testsupport::SaveArtefact(dialog.grab().toImage(),
                QStringLiteral("score-verdict-%1-%2.png").arg(language).arg(verdict.status));
        }
    }
    // Any number of uploads is allowed, and none is counted.
    EXPECT_EQ(c.m_nUploadsLeft, -1);
    EXPECT_EQ(m_server.RequestsOf(QStringLiteral("Score")).back().body,
        Hex("0000000a 0053 0063 006f 0072 0065 00000007 ffffffff 00000050 00001388"));
}

TEST_F(ContestDialogsTest, EachEndingOfALoginAttemptSaysWhatItWas) {
    CLoginDlg login(config(), false);
    login.show();
    login.UserEdit()->setText(QStringLiteral("ann"));
    login.PasswordEdit()->setText(QStringLiteral("secret"));
    // What the server does with the login, what ends the attempt, and the
    // status line then.
    enum class End { Cancel, Wait, Drop };
    const std::tuple<End, const char*> endings[] = {
        { End::Cancel, "The login was cancelled." },
        { End::Wait, "The contest server did not answer within 2 s." },
        { End::Drop, "Connection closed, please log in again" },
    };
    m_server.SetSilent(QStringLiteral("Login"), true);
    for (const auto& [end, text] : endings) {
        SCOPED_TRACE(text);
        const size_t before = m_server.RequestsOf(QStringLiteral("Login")).size();
        login.ButtonOK()->click();
        ASSERT_TRUE(m_server.WaitForRequests(QStringLiteral("Login"), before + 1));
        if (end == End::Cancel)
            login.ButtonNo()->click();
        else if (end == End::Drop)
            m_server.Drop();
        ASSERT_TRUE(testsupport::Await([&] { return login.ButtonOK()->isEnabled(); }, 5000));
        EXPECT_EQ(login.StatusLabel()->text(), QString::fromUtf8(text));
        EXPECT_EQ(testsupport::CutText(*login.StatusLabel()), QString());
        EXPECT_TRUE(login.isVisible());
    }
    EXPECT_EQ(m_server.RequestsOf(QStringLiteral("Login")).size(), 3u);
    EXPECT_TRUE(m_watcher.Messages().isEmpty());
}

TEST_F(ContestDialogsTest, AnUploadOnALinkAlreadyDownLogsInFirst) {
    ASSERT_NO_FATAL_FAILURE(LogIn());
    CConfig& c = config();
    // The link went while nobody logged in again.
    c.CloseConnection();
    m_relogins = true;
    const std::unique_ptr<CScoreDlg> shown = MatchScoreDialog(1);
    CScoreDlg& dialog = *shown;
    int logins = 0;
    AcceptOneLogin(logins);
    dialog.UploadButton()->click();
    ASSERT_TRUE(m_watcher.WaitForMessages(1));
    EXPECT_EQ(m_watcher.Messages()[0], QStringLiteral("The score has been submitted."));
    EXPECT_EQ(logins, 1);
    EXPECT_EQ(m_server.RequestsOf(QStringLiteral("Score")).size(), 1u);
}

TEST_F(ContestDialogsTest, ALostLinkDuringTheUploadLogsInAgainAndSends) {
    ASSERT_NO_FATAL_FAILURE(LogIn());
    CConfig& c = config();
    m_relogins = true;
    const std::unique_ptr<CScoreDlg> shown = MatchScoreDialog(1);
    CScoreDlg& dialog = *shown;
    int logins = 0;
    AcceptOneLogin(logins);

    // The server hangs up instead of answering: the login comes, then the
    // score is sent again on the new link.
    m_server.SetSilent(QStringLiteral("Score"), true);
    dialog.UploadButton()->click();
    EXPECT_EQ(dialog.StatusLabel()->text(),
        QStringLiteral(
            "Submitting the score: waiting for the contest server's answer (at most 2 s) before the "
            "dialog can be closed."));
    EXPECT_FALSE(dialog.ButtonOK()->isEnabled());
    ASSERT_TRUE(m_server.WaitForRequests(QStringLiteral("Score"), 1));
    m_server.SetSilent(QStringLiteral("Score"), false);
    m_server.Drop();
    ASSERT_TRUE(m_server.WaitForRequests(QStringLiteral("Score"), 2));
    ASSERT_TRUE(m_watcher.WaitForMessages(1));
    EXPECT_EQ(m_watcher.Messages()[0], QStringLiteral("The score has been submitted."));
    EXPECT_EQ(logins, 1);
    EXPECT_EQ(c.m_nUploadsLeft, 0);
    EXPECT_EQ(dialog.StatusLabel()->text(), QStringLiteral("The score has been submitted."));
    EXPECT_TRUE(dialog.ButtonOK()->isEnabled());

    // A reply that cannot be read closes the link with a message.
    testsupport::CapturedWarnings warnings("morvane.foundation");
    c.m_nUploadsLeft = 1;
    dialog.UploadButton()->setEnabled(true);
    m_server.ReplaceNextReply(QStringLiteral("Score"), ContestTestServer::ScoreReply(0).left(16));
    const int disconnects = m_disconnects;
    logins = 0;
    dialog.UploadButton()->click();
    ASSERT_TRUE(m_watcher.WaitForMessages(2));
    EXPECT_EQ(m_watcher.Messages()[1], QStringLiteral("Connection failed"));
    EXPECT_EQ(warnings.count(), 1);
    EXPECT_EQ(m_disconnects, disconnects + 1);
    EXPECT_TRUE(dialog.UploadButton()->isEnabled());
    ASSERT_TRUE(QTest::qWaitFor([&] { return c.Contest()->SignedIn(); }, 5000));

    // The login given up while the score waits: the dialog says the score
    // was not submitted, offers it again, and may be closed.
    m_server.SetSilent(QStringLiteral("Score"), true);
    m_watcher.SetHandler([&](QWidget* modal) {
        if (auto* login = qobject_cast<CLoginDlg*>(modal))
            QMetaObject::invokeMethod(login, &QDialog::reject, Qt::QueuedConnection);
    });
    dialog.UploadButton()->click();
    ASSERT_TRUE(m_server.WaitForRequests(QStringLiteral("Score"), 4));
    m_server.Drop();
    ASSERT_TRUE(m_watcher.WaitForMessages(3));
    const QString notSent
        = QStringLiteral("The login was given up. The score was not submitted; you can submit it again.");
    EXPECT_EQ(m_watcher.Messages()[2], notSent);
    EXPECT_EQ(dialog.StatusLabel()->text(), notSent);
    EXPECT_EQ(m_givenUp, 1);
    EXPECT_TRUE(dialog.UploadButton()->isEnabled());
    EXPECT_EQ(c.m_nUploadsLeft, 1);
    dialog.reject();
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(ContestDialogsTest, TheLoginGrowsToShowItsLongestStatusWholeInEitherLanguage) {
    CConfig& c = config();
    for (int language : { 0, 1 }) {
        SCOPED_TRACE(language);
        c.SetLanguage(language, false);
        CLoginDlg login(c, false);
        login.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&login));
        // Every state and error the status line shows; the widest of them.
        const QString texts[] = { c.GetText("CLoginDlg", "login", "sConnecting"),
            c.GetText("CLoginDlg", "login", "sCable"), c.GetText("CLoginDlg", "login", "sNoServer"),
            c.GetText("CLoginDlg", "f_HaveToOutline", "s"), c.f_ConnectTips(0), c.f_ConnectTips(4) };
        const QFontMetrics metrics(login.StatusLabel()->font());
        const QString longest
            = *std::max_element(std::begin(texts), std::end(texts), [&](const QString& a, const QString& b) {
                  return metrics.horizontalAdvance(a) < metrics.horizontalAdvance(b);
              });
        login.SetStatusText(longest);
        EXPECT_TRUE(
            testsupport::Await([&] { return testsupport::CutText(*login.StatusLabel()).isEmpty(); }, 2000))
            << testsupport::CutText(*login.StatusLabel()).toStdString();
        EXPECT_EQ(testsupport::CutText(*login.GiveUpLabel()), QString());
        EXPECT_EQ(login.GiveUpLabel()->text(), c.GetText("CLoginDlg", "CLoginDlg", "sGiveUp"));
        EXPECT_TRUE(login.rect().contains(login.StatusLabel()->geometry()));
        EXPECT_GE(login.width(), 260);
        EXPECT_GE(login.height(), 170);
        testsupport::SaveArtefact(
            login.grab().toImage(), QStringLiteral("login-status-%1.png").arg(language));
    }
}

TEST_F(ContestDialogsTest, CancelGivesUpWithNoAttemptAndAnAbsentServerIsNamed) {
    // The contest host is there (it refuses the probe), its server is not.
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    config().m_nProbePort = closed.serverPort();
    closed.close();
    m_server.GoAway();
    {
        CLoginDlg login(config(), false);
        login.show();
        login.UserEdit()->setText(QStringLiteral("ann"));
        login.PasswordEdit()->setText(QStringLiteral("secret"));
        login.ButtonOK()->click();
        ASSERT_TRUE(testsupport::Await([&] { return login.ButtonOK()->isEnabled(); }, 5000));
        EXPECT_EQ(login.StatusLabel()->text(),
            QStringLiteral("The contest server does not answer. Please try again later."));
        // It comes back: the same dialog gets in.
        ASSERT_TRUE(m_server.ComeBack());
        login.ButtonOK()->click();
        ASSERT_TRUE(testsupport::Await([&] { return login.result() == QDialog::Accepted; }, 5000));
        EXPECT_EQ(m_server.RequestsOf(QStringLiteral("Login")).size(), 1u);
    }
    config().CloseConnection();

    // With no attempt under way, Cancel gives the login up, once the
    // caller lets it go.
    CLoginDlg login(config(), true);
    login.show();
    bool letGo = false;
    int asked = 0;
    login.SetGiveUpCheck([&] {
        ++asked;
        return letGo;
    });
    login.ButtonNo()->click();
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(login.isVisible());
    letGo = true;
    login.ButtonNo()->click();
    EXPECT_EQ(asked, 2);
    EXPECT_FALSE(login.isVisible());
    EXPECT_EQ(login.result(), QDialog::Rejected);
    EXPECT_EQ(m_server.Connections(), 1);
}
