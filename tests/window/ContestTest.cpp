// The online mode through the main window under Xvfb, against a stand-in
// contest server on 127.0.0.1:4480: the login, a match with its clock, its
// locks and its playground check, the score submitted, and what a silent,
// lost or lying server leaves behind. Then the about box of the help menu.

#include "apps/CEmuApp.h"
#include "classlink/C3DFile.h"
#include "classlink/ContestMessages.h"
#include "dialogs/CLoadDlg.h"
#include "dialogs/CLoginDlg.h"
#include "dialogs/CScoreDlg.h"
#include "foundation/CConfig.h"
#include "platform/ProgramDir.h"
#include "support/CapturedWarnings.h"
#include "support/ContestTestServer.h"
#include "support/ModalWatcher.h"
#include "support/QtPrint.h"
#include "support/QuitRequest.h"
#include "support/TempDir.h"
#include "support/VisibleText.h"
#include "widgets/CBrickBox.h"
#include "widgets/CImageViewer.h"
#include "widgets/CMagnifierText.h"
#include "window/CAboutDlg.h"
#include "window/CMainDlg.h"
#include "window/MatchClock.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTcpServer>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>

namespace fs = std::filesystem;
using testsupport::ContestTestServer;
using testsupport::ModalWatcher;
using testsupport::TempDir;

namespace {

TempDir* g_programDir = nullptr;

// The link's reply time-out in these tests; the program's is 10 s.
constexpr int kReplyTimeoutMs = 1500;
// A login again: a new connection, the network check and the reply; slow
// under the sanitizers on a busy machine, and waited for as it happens.
constexpr int kRelogInMs = 20000;

const QByteArray kPlayground = "<?xml version=\"1.0\"?><playground>the match's own</playground>";

QByteArray Hex(const char* hex) {
    return QByteArray::fromHex(QByteArray(hex).replace(' ', ""));
}

// The account the tests log in with, and its answers.
ContestTestServer::Account Ann() {
    ContestTestServer::Account account;
    account.password = QStringLiteral("secret");
    account.userId = 42;
    account.texts[0] = QStringLiteral("Ann");
    account.texts[1] = QStringLiteral("Class 3");
    account.texts[2] = QStringLiteral("Team A");
    return account;
}

// A match whose server clock stands `behindSecs` behind this computer's and
// that ends `endSecs` from now here.
ContestTestServer::Match MatchEnding(qint64 endSecs, qint64 behindSecs = 0) {
    const QDateTime here = QDateTime::currentDateTime();
    ContestTestServer::Match match;
    match.mapName = QStringLiteral("Field");
    match.mapMd5 = MapCheckOf(kPlayground);
    match.start = here.addSecs(-3600);
    match.end = here.addSecs(endSecs);
    match.now = here.addSecs(-behindSecs);
    return match;
}

class ContestTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_server.listening());
        // The web server that the login's network check looks for.
        ASSERT_TRUE(m_webServer.listen(QHostAddress::LocalHost));
        CConfig::Instance().m_nProbePort = m_webServer.serverPort();
        m_server.AddAccount(QStringLiteral("ann"), Ann());
        m_server.SetMatch(MatchEnding(5 * 60 + 30, 10 * 60));
        CConfig& config = CConfig::Instance();
        config.SetLanguage(1, false);
        config.m_nRunMode = RunModeNet;
        config.m_strUser.clear();
        config.m_strPassword.clear();
        config.m_nUserId = 0;
        for (QString& text : config.m_strLoginInfo)
            text.clear();
        config.m_bHaveToOutline = false;
        m_window = std::make_unique<Ui::CMainDlg>(config);
        m_window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
    }

    void TearDown() override {
        m_window.reset();
        CConfig::Instance().CloseConnection();
    }

    // Types the account into a first login and sends it, once per login
    // dialog that is ready for it.
    void LogInWith(const QString& user, const QString& password) {
        m_watcher.SetHandler([=, this](QWidget* modal) {
            auto* login = qobject_cast<CLoginDlg*>(modal);
            if (!login || !login->ButtonOK()->isEnabled() || login == m_lastLogin)
                return;
            m_lastLogin = login;
            if (login->UserEdit()->isEnabled()) {
                login->UserEdit()->setText(user);
                login->PasswordEdit()->setText(password);
            }
            ModalWatcher::Post(login->ButtonOK());
        });
    }

    // The contest action, as the user picks it from the File menu.
    void PickMatchAction() {
        QMetaObject::invokeMethod(m_window->action_NetMatch, &QAction::trigger, Qt::QueuedConnection);
    }

    bool WaitForMatch() {
        return testsupport::Await(
            [this] { return m_window->IsMatchRunning() && m_window->isEnabled(); }, 10000);
    }

    void LogInAndStartMatch() {
        LogInWith(QStringLiteral("ann"), QStringLiteral("secret"));
        PickMatchAction();
        ASSERT_TRUE(WaitForMatch());
        m_watcher.SetHandler({});
    }

    // The next login dialog, once it offers OK, is looked at and then
    // answered with OK (or given up). A modal dialog keeps the test's own
    // code waiting until it closes, so this is all done from the watcher.
    void AnswerNextLogin(std::function<void(CLoginDlg*)> inspect, bool ok = true) {
        m_loginsAnswered = 0;
        m_watcher.SetHandler([this, inspect, ok](QWidget* modal) {
            auto* login = qobject_cast<CLoginDlg*>(modal);
            if (!login || !login->ButtonOK()->isEnabled() || m_loginsAnswered > 0)
                return;
            ++m_loginsAnswered;
            inspect(login);
            if (ok)
                ModalWatcher::Post(login->ButtonOK());
            else
                QMetaObject::invokeMethod(login, &QDialog::reject, Qt::QueuedConnection);
        });
    }

    ContestTestServer m_server { CConfig::kClassroomPort };
    QTcpServer m_webServer;
    ModalWatcher m_watcher;
    std::unique_ptr<Ui::CMainDlg> m_window;
    CLoginDlg* m_lastLogin = nullptr;
    int m_loginsAnswered = 0;
};

} // namespace

TEST(MatchClock, MinutesLeftFollowTheDayAndTheHour) {
    const QDate day(2024, 3, 1);
    const QDateTime now(day, QTime(23, 50), Qt::LocalTime);
    // Past midnight counts as a later day, however near.
    EXPECT_EQ(MatchMinutesLeft(now, now.addSecs(15 * 60)), 60);
    const QDateTime morning(day, QTime(9, 0), Qt::LocalTime);
    EXPECT_EQ(MatchMinutesLeft(morning, morning.addSecs(3 * 3600)), 60);
    EXPECT_EQ(MatchMinutesLeft(morning, morning.addSecs(61 * 60)), 60);
    EXPECT_EQ(MatchMinutesLeft(morning, morning.addSecs(60 * 60)), 60);
    EXPECT_EQ(MatchMinutesLeft(morning, morning.addSecs(59 * 60 + 54)), 59);
    EXPECT_EQ(MatchMinutesLeft(morning, morning.addSecs(60)), 1);
    EXPECT_EQ(MatchMinutesLeft(morning, morning.addSecs(45)), std::nullopt);
    EXPECT_EQ(MatchMinutesLeft(morning, morning), std::nullopt);
    EXPECT_EQ(MatchMinutesLeft(morning, morning.addSecs(-3600)), std::nullopt);
    EXPECT_EQ(MatchMinutesLeft(morning, morning.addDays(-1)), std::nullopt);
    // A server's end given in another zone, where it is already the next
    // day, is the same moment as here.
    const QDateTime evening(day, QTime(20, 0), Qt::LocalTime);
    const QDateTime endAbroad = evening.addSecs(30 * 60).toOffsetFromUtc(evening.offsetFromUtc() + 12 * 3600);
    ASSERT_EQ(endAbroad.date(), day.addDays(1));
    EXPECT_EQ(MatchMinutesLeft(evening, endAbroad), 30);
}

TEST_F(ContestTest, AWholeMatchFromLoginToSubmittedScore) {
    CConfig& config = CConfig::Instance();
    Ui::CMainDlg& w = *m_window;
    g_programDir->write("playground/match.pla", kPlayground);
    g_programDir->write("playground/other.pla", kPlayground + " ");

    // No account yet, none in the title.
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Morvane robot simulator Online-Basic kit"));
    // The match is asked for from the simulation page.
    w.tabWidget->setCurrentIndex(2);
    ASSERT_TRUE(w.menu_Virtual->menuAction()->isVisible());

    // A wrong password first: the dialog says so and offers OK again.
    int attempts = 0;
    m_watcher.SetHandler([&](QWidget* modal) {
        auto* login = qobject_cast<CLoginDlg*>(modal);
        if (!login || !login->ButtonOK()->isEnabled() || attempts == 2)
            return;
        if (attempts == 1 && m_server.RequestsOf(QStringLiteral("Login")).size() < 1)
            return;
        EXPECT_TRUE(login->UserEdit()->isEnabled()) << "a first login is typed in";
        login->UserEdit()->setText(QStringLiteral("  ann "));
        login->PasswordEdit()->setText(attempts == 0 ? QStringLiteral("wrong") : QStringLiteral("secret"));
        ++attempts;
        ModalWatcher::Post(login->ButtonOK());
    });
    PickMatchAction();
    ASSERT_TRUE(WaitForMatch());
    m_watcher.SetHandler({});
    ASSERT_EQ(m_watcher.Messages(), QStringList { QStringLiteral("Wrong user name or password.") });

    // The requests as they travelled: the user name trimmed, the password
    // as typed, then the match for the id the server gave.
    const auto logins = m_server.RequestsOf(QStringLiteral("Login"));
    ASSERT_EQ(logins.size(), 2u);
    const QByteArray login = Hex("00000028 0000000a 004c 006f 0067 0069 006e 00000006 0061 006e 006e"
                                 "0000000c 0073 0065 0063 0072 0065 0074");
    QByteArray scrambled = login;
    const char key[] = "Kp7Wd2Qx9Vn4Lt6R";
    for (qsizetype i = 0; i < scrambled.size(); ++i)
        scrambled[i] = static_cast<char>(scrambled[i] ^ key[i % 16]);
    EXPECT_EQ(logins[1].wire, scrambled);
    const auto matches = m_server.RequestsOf(QStringLiteral("Match"));
    ASSERT_EQ(matches.size(), 1u);
    EXPECT_EQ(matches[0].body, Hex("0000000a 004d 0061 0074 0063 0068 0000002a"));

    // The match runs: its clock, its title, its action, and the locked
    // playground page.
    EXPECT_EQ(config.m_nUserId, 42);
    EXPECT_EQ(w.windowTitle(),
        QStringLiteral("Morvane robot simulator Online-(Ann,Class 3,Team A)-Field-Basic kit"));
    EXPECT_EQ(w.action_NetMatch->text(), QStringLiteral("End online match"));
    EXPECT_EQ(w.MatchTimeLabel()->text(), QStringLiteral("Left: 15 min"));
    EXPECT_TRUE(w.MatchTimer()->isActive());
    EXPECT_EQ(w.MatchTimer()->interval(), 30000);
    EXPECT_FALSE(w.tabWidget->isTabEnabled(1));
    EXPECT_TRUE(w.tabWidget->isTabEnabled(2));
    EXPECT_FALSE(w.menu_Virtual->menuAction()->isVisible());
    EXPECT_FALSE(w.menu_2->menuAction()->isVisible()) << "the examples go with the grant";
    // A run started and stopped in the match leaves the examples away.
    w.tabWidget->setCurrentWidget(w.tab3);
    w.action_VirtualStart->trigger();
    w.action_VirtualStart->trigger();
    EXPECT_FALSE(w.IsEmuRunning());
    EXPECT_TRUE(w.action_LoadRobot->isVisible());
    EXPECT_FALSE(w.menu_2->menuAction()->isVisible());

    // The clock goes by this computer's time from its first tick on.
    w.f_Ui_UpdateMatchTime();
    EXPECT_EQ(w.MatchTimeLabel()->text(), QStringLiteral("Left: 5 min"));
    EXPECT_TRUE(w.IsMatchRunning());

    // Only the match's own playground may be loaded.
    EXPECT_FALSE(w.AcceptsMatchPlaygroundFile(QStringLiteral("playground/other.pla")));
    ASSERT_TRUE(m_watcher.WaitForMessages(2));
    EXPECT_EQ(m_watcher.Messages()[1],
        QStringLiteral("This is not the playground of the match. Please load the match's own playground."));
    EXPECT_FALSE(w.AcceptsMatchPlaygroundFile(QStringLiteral("playground/missing.pla")));
    ASSERT_TRUE(m_watcher.WaitForMessages(3));
    EXPECT_TRUE(w.AcceptsMatchPlaygroundFile(QStringLiteral("playground/match.pla")));

    // An example, however it is reached, brings a playground of its own,
    // which is refused before anything of the example is loaded.
    g_programDir->write("XML/studio0/examples/drive_to_zone/drive_to_zone.pla", kPlayground + "  ");
    m_watcher.SetHandler([](QWidget* modal) {
        if (auto* load = qobject_cast<CLoadDlg*>(modal))
            ModalWatcher::Post(load->ButtonOK());
    });
    QAction* example = w.menu_2->actions().first();
    ASSERT_EQ(example->objectName(), QStringLiteral("0,0"));
    QMetaObject::invokeMethod(example, &QAction::trigger, Qt::QueuedConnection);
    ASSERT_TRUE(m_watcher.WaitForMessages(4));
    m_watcher.SetHandler({});
    EXPECT_EQ(m_watcher.Messages()[3], m_watcher.Messages()[1]);
    EXPECT_EQ(w.GetEmuApp()->GetLoadBlock()->m_strPlaygroundFile, std::string());
    EXPECT_TRUE(w.GetEmuApp()->GetLoadBlock()->m_vecRobotFiles.empty());

    // A result bundle brings its own playground: another one is refused
    // before anything of the bundle is unpacked or the run is changed.
    C3DFile::Sections other;
    other.text = "t";
    other.robot = "<robot/>";
    other.program = "program";
    other.ground = kPlayground + " ";
    g_programDir->write("bundles/other.3d", C3DFile::Pack(other));
    const SRobThreadData& block = *w.GetEmuApp()->GetLoadBlock();
    const std::string playgroundBefore = block.m_strPlaygroundFile;
    EXPECT_FALSE(w.f_Load3DFile(g_programDir->qpath() + QStringLiteral("/bundles/other.3d")));
    ASSERT_TRUE(m_watcher.WaitForMessages(5));
    EXPECT_EQ(m_watcher.Messages()[4], m_watcher.Messages()[1]);
    EXPECT_FALSE(g_programDir->exists("Temp/temp.rob"));
    EXPECT_FALSE(g_programDir->exists("Temp/temp.pla"));
    EXPECT_TRUE(block.m_vecRobotFiles.empty());
    EXPECT_EQ(block.m_strPlaygroundFile, playgroundBefore);

    // The run's score goes to the server, as the end of a run offers it.
    {
        CScoreDlg score(config, &w);
        std::vector<int> scoreDigits;
        std::vector<int> stepDigits;
        config.EncodeScore(scoreDigits, 150);
        config.EncodeTicks(stepDigits, 1234);
        score.f_SetScore(scoreDigits, stepDigits, "playground/match.pla", "robot/rover.rob", true);
        score.show();
        ASSERT_NE(score.UploadButton(), nullptr);
        EXPECT_EQ(score.UploadButton()->text(), QStringLiteral("Submit \"rover\"'s score"));
        EXPECT_EQ(config.m_nUploadsLeft, 1);
        score.UploadButton()->click();
        ASSERT_TRUE(m_watcher.WaitForMessages(6));
        EXPECT_EQ(m_watcher.Messages()[5], QStringLiteral("The score has been submitted."));
        EXPECT_FALSE(score.UploadButton()->isEnabled());
        EXPECT_TRUE(score.GetTable()->isEnabled());
        EXPECT_EQ(config.m_nUploadsLeft, 0);
    }
    const auto scores = m_server.RequestsOf(QStringLiteral("Score"));
    ASSERT_EQ(scores.size(), 1u);
    QByteArray md5Units;
    for (char c : MapCheckOf(kPlayground).toLatin1())
        md5Units += QByteArray(1, '\0') + c;
    EXPECT_EQ(scores[0].body,
        Hex("0000000a 0053 0063 006f 0072 0065 0000002a 00000040") + md5Units + Hex("00000096 00003034"));

    // Ending the match by hand gives everything back, with no time-out note.
    w.action_NetMatch->trigger();
    EXPECT_FALSE(w.IsMatchRunning());
    EXPECT_TRUE(w.tabWidget->isTabEnabled(1));
    EXPECT_FALSE(w.MatchTimer()->isActive());
    EXPECT_EQ(w.MatchTimeLabel()->text(), QStringLiteral("Practice 0 min"));
    EXPECT_EQ(w.action_NetMatch->text(), QStringLiteral("Start online match"));
    EXPECT_EQ(
        w.windowTitle(), QStringLiteral("Morvane robot simulator Online-(Ann,Class 3,Team A)-Basic kit"));
    EXPECT_TRUE(w.menu_Virtual->menuAction()->isVisible());
    EXPECT_TRUE(w.AcceptsMatchPlaygroundFile(QStringLiteral("playground/other.pla")));
    EXPECT_TRUE(w.AcceptsMatchPlaygroundFile(QStringLiteral("playground/missing.pla")));
    EXPECT_TRUE(w.menu_2->menuAction()->isVisible());
    // A note would have been answered before the action returned.
    EXPECT_EQ(m_watcher.Messages().size(), 6);
}

TEST_F(ContestTest, TheClockEndsTheMatchWhenNoWholeMinuteIsLeft) {
    // Granted with 2.5 minutes by the server's clock, 30 s by this one's.
    m_server.SetMatch(MatchEnding(30, 120));
    ASSERT_NO_FATAL_FAILURE(LogInAndStartMatch());
    EXPECT_EQ(m_window->MatchTimeLabel()->text(), QStringLiteral("Left: 2 min"));
    m_window->f_Ui_UpdateMatchTime();
    ASSERT_TRUE(m_watcher.WaitForMessages(1));
    EXPECT_EQ(m_watcher.Messages()[0],
        QStringLiteral("The match time is over, or less than a minute is left: the match has ended."));
    EXPECT_FALSE(m_window->IsMatchRunning());
    EXPECT_TRUE(m_window->tabWidget->isTabEnabled(1));
    EXPECT_FALSE(m_window->MatchTimer()->isActive());

    // A grant with less than a minute left starts nothing.
    m_server.SetMatch(MatchEnding(45));
    PickMatchAction();
    ASSERT_TRUE(m_watcher.WaitForMessages(2));
    EXPECT_EQ(m_watcher.Messages()[1], m_watcher.Messages()[0]);
    EXPECT_TRUE(QTest::qWaitFor([this] { return m_window->isEnabled(); }, 5000));
    EXPECT_FALSE(m_window->IsMatchRunning());
    EXPECT_TRUE(m_window->tabWidget->isTabEnabled(1));
}

TEST_F(ContestTest, ARefusedMatchSaysWhyAndGivesTheWindowBack) {
    ASSERT_NO_FATAL_FAILURE(LogInAndStartMatch());
    // Granted on the robot page: the examples go, the simulation page's
    // commands stay with their page.
    ASSERT_EQ(m_window->tabWidget->currentIndex(), 0);
    EXPECT_FALSE(m_window->menu_2->menuAction()->isVisible());
    EXPECT_FALSE(m_window->action_LoadGround->isVisible());
    m_window->action_NetMatch->trigger();
    // Every status the server can refuse a match with, as the English
    // window tells it.
    const std::pair<quint32, const char*> refusals[] = {
        { 1, "Wrong user ID." },
        { 2, "The season has not started." },
        { 3, "The group's information could not be fetched." },
        { 4, "The group's match has not started." },
        { 5, "The group's match is over." },
        { 6, "The contest server could not reach its database." },
        { 7, "The score check failed." },
        { 8, "This user has already finished the match." },
        { 99, "This user has already finished the match." },
    };
    for (const auto& [status, text] : refusals) {
        SCOPED_TRACE(status);
        ContestTestServer::Match refused = MatchEnding(600);
        refused.status = status;
        m_server.SetMatch(refused);
        const int boxes = int(m_watcher.Messages().size());
        PickMatchAction();
        ASSERT_TRUE(m_watcher.WaitForMessages(boxes + 1));
        EXPECT_EQ(m_watcher.Messages().back(), QString::fromUtf8(text));
        EXPECT_TRUE(QTest::qWaitFor([this] { return m_window->isEnabled(); }, 5000));
        EXPECT_FALSE(m_window->IsMatchRunning());
        EXPECT_EQ(m_window->MatchTimeLabel()->text(), QStringLiteral("Practice 0 min"));
        EXPECT_EQ(testsupport::CutText(*m_window->MatchTimeLabel()), QString());
    }
    testsupport::SaveArtefact(m_window->grab().toImage(), QStringLiteral("match-refused.png"));
}

TEST_F(ContestTest, AServerThatNeverAnswersTimesOutAndTheLoginGivesTheWindowBack) {
    ASSERT_NO_FATAL_FAILURE(LogInAndStartMatch());
    m_window->action_NetMatch->trigger();
    m_server.SetSilent(QStringLiteral("Match"), true);
    PickMatchAction();
    ASSERT_TRUE(m_server.WaitForRequests(QStringLiteral("Match"), 2));
    EXPECT_FALSE(m_window->isEnabled());
    // The greyed window says what it waits for.
    EXPECT_EQ(m_window->statusbar->currentMessage(),
        QStringLiteral("Asking the contest server for a match: waiting for its answer (at most 1.5 s)..."));

    // The reply time-out closes the link, and the login comes back with
    // the account it knows. Logged in again, the window asks for its match
    // once more.
    AnswerNextLogin([this](CLoginDlg* login) {
        EXPECT_FALSE(login->UserEdit()->isEnabled());
        EXPECT_EQ(login->StatusLabel()->text(),
            QStringLiteral("The contest server did not answer within 1.5 s, so the link was closed. Please "
                           "log in again."));
        EXPECT_FALSE(m_window->isEnabled());
        m_server.SetSilent(QStringLiteral("Match"), false);
    });
    ASSERT_TRUE(WaitForMatch());
    EXPECT_EQ(m_loginsAnswered, 1);
    EXPECT_EQ(m_server.RequestsOf(QStringLiteral("Match")).size(), 3u);
    EXPECT_EQ(m_server.Connections(), 2);
}

TEST_F(ContestTest, ALostLinkBringsTheLoginBack) {
    ASSERT_NO_FATAL_FAILURE(LogInAndStartMatch());
    AnswerNextLogin([](CLoginDlg* login) {
        EXPECT_EQ(login->StatusLabel()->text(), QStringLiteral("Connection closed, please log in again"));
    });
    m_server.Drop();
    ASSERT_TRUE(
        QTest::qWaitFor([this] { return m_server.Connections() == 2 && m_window->isEnabled(); }, kRelogInMs));
    EXPECT_TRUE(m_window->IsMatchRunning());

    // Signed in elsewhere: the server answers the next request with
    // "Login" alone, and the login says so. Logged in again, the window is
    // given back, and the request is not asked again.
    m_window->action_NetMatch->trigger();
    AnswerNextLogin([this](CLoginDlg* login) {
        EXPECT_EQ(login->StatusLabel()->text(),
            QStringLiteral("This account has logged in elsewhere. Please log in again."));
        EXPECT_FALSE(m_window->isEnabled());
    });
    const QString none[3];
    m_server.ReplaceNextReply(QStringLiteral("Match"), ContestTestServer::LoginReply(0, 0, none).left(14));
    PickMatchAction();
    ASSERT_TRUE(
        QTest::qWaitFor([this] { return m_server.Connections() == 3 && m_window->isEnabled(); }, kRelogInMs));
    EXPECT_EQ(m_loginsAnswered, 1);
    EXPECT_EQ(m_server.RequestsOf(QStringLiteral("Match")).size(), 2u);
    EXPECT_FALSE(m_window->IsMatchRunning());

    // Giving the login up closes the program; a robot being built is asked
    // about first, and not saved when the student says so.
    QTest::mouseClick(m_window->RobotPartBar(0)->GetPictures().front(), Qt::LeftButton, {}, QPoint(30, 30));
    ASSERT_FALSE(m_window->IsRobotSaved());
    m_watcher.AnswerBoxesWith({ QStringLiteral("Don't save") });
    AnswerNextLogin([](CLoginDlg*) {}, false);
    m_server.Drop();
    EXPECT_TRUE(QTest::qWaitFor([this] { return !m_window->isVisible(); }, 5000));
    EXPECT_EQ(m_watcher.Messages(),
        QStringList { QStringLiteral("The robot (untitled) has changes that are not saved. Save them?") });
    EXPECT_TRUE(testsupport::TakeQuitRequest());
}

TEST_F(ContestTest, GivingUpTheLoginAsksAboutUnsavedWorkAndClosesTheProgram) {
    // A robot being built, never saved.
    QTest::mouseClick(m_window->RobotPartBar(0)->GetPictures().front(), Qt::LeftButton, {}, QPoint(30, 30));
    ASSERT_FALSE(m_window->IsRobotSaved());
    const QString kept = g_programDir->qpath() + QStringLiteral("/robot/kept.rob");

    // The contest action asks for the first login; the student gives it up
    // with its Cancel, twice. The question of File > Exit comes each time:
    // its Cancel goes back to the login, its Save asks for a file.
    m_watcher.AnswerBoxesWith({ QStringLiteral("Cancel"), QStringLiteral("Save") });
    int cancels = 0;
    QString note;
    QString noteCut = QStringLiteral("not looked at");
    m_watcher.SetHandler([&](QWidget* modal) {
        if (auto* files = qobject_cast<QFileDialog*>(modal)) {
            auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            if (name && files->isVisible() && name->text() != kept) {
                name->setText(kept);
                QTest::keyClick(name, Qt::Key_Return);
            }
            return;
        }
        auto* login = qobject_cast<CLoginDlg*>(modal);
        // Once for each question answered.
        if (!login || !login->isVisible() || m_watcher.Messages().size() != cancels)
            return;
        ++cancels;
        EXPECT_TRUE(login->UserEdit()->isEnabled()) << "a first login";
        note = login->GiveUpLabel()->text();
        noteCut = testsupport::CutText(*login->GiveUpLabel());
        ModalWatcher::Post(login->ButtonNo());
    });
    PickMatchAction();
    EXPECT_TRUE(QTest::qWaitFor([this] { return !m_window->isVisible(); }, 10000));
    EXPECT_EQ(cancels, 2);
    EXPECT_EQ(note, QStringLiteral("Giving up the login closes Morvane."));
    EXPECT_EQ(noteCut, QString());
    EXPECT_EQ(m_watcher.Messages(),
        QStringList(2, QStringLiteral("The robot (untitled) has changes that are not saved. Save them?")));
    EXPECT_TRUE(testsupport::TakeQuitRequest()) << "the program goes on without its window";
    EXPECT_EQ(m_server.Connections(), 0);
    // What was built is in the file the student named.
    EXPECT_TRUE(m_window->IsRobotSaved());
    EXPECT_GT(QFileInfo(kept).size(), 0);
}

TEST_F(ContestTest, ADamagedReplyClosesTheLinkWithAMessageAndNothingElse) {
    ASSERT_NO_FATAL_FAILURE(LogInAndStartMatch());
    m_window->action_NetMatch->trigger();
    testsupport::CapturedWarnings warnings("morvane.foundation");
    AnswerNextLogin([this](CLoginDlg*) { EXPECT_FALSE(m_window->IsMatchRunning()); });
    // "Match", status 0, then the fields cut off inside the map's name.
    const QByteArray granted = ContestTestServer::MatchReply(MatchEnding(600));
    m_server.ReplaceNextReply(QStringLiteral("Match"), granted.left(35));
    PickMatchAction();
    ASSERT_TRUE(m_watcher.WaitForMessages(1));
    EXPECT_EQ(m_watcher.Messages()[0], QStringLiteral("Connection failed"));
    EXPECT_EQ(warnings.count(), 1);
    EXPECT_TRUE(
        QTest::qWaitFor([this] { return m_server.Connections() == 2 && m_window->isEnabled(); }, kRelogInMs));
    EXPECT_FALSE(m_window->IsMatchRunning());
    EXPECT_TRUE(m_window->tabWidget->isTabEnabled(1));
}

TEST_F(ContestTest, TheAboutBoxShowsItsAnimatedHeadline) {
    // The box runs its own loop until it closes, so it is looked at from
    // the watcher: once when it shows, then until the lens has moved.
    CAboutDlg* about = nullptr;
    QImage first;
    QPointF start;
    bool moved = false;
    m_watcher.SetHandler([&](QWidget* modal) {
        auto* dialog = qobject_cast<CAboutDlg*>(modal);
        if (!dialog || !dialog->isVisible() || moved)
            return;
        CMagnifierText* headline = dialog->Headline();
        // The lens starts wherever its widget lets it; it is watched once
        // it is inside.
        const QPointF lens = headline->lensPosition();
        if (lens.y() > headline->height() - headline->radius())
            return;
        if (!about) {
            about = dialog;
            EXPECT_EQ(dialog->size(), QSize(350, 267));
            EXPECT_EQ(dialog->windowTitle(), QStringLiteral("About Morvane"));
            EXPECT_EQ(headline->text(), QStringLiteral("Morvane Robot Simulator"));
            EXPECT_EQ(headline->size(), QSize(330, 38));
            EXPECT_EQ(headline->radius(), 10);
            EXPECT_EQ(dialog->VersionLabel()->text(), QStringLiteral("版本:V1.1"));
            first = headline->grab().toImage();
            start = headline->lensPosition();
            return;
        }
        // The lens drifts over the text by itself, and the picture changes.
        if (QLineF(start, headline->lensPosition()).length() < 8)
            return;
        moved = true;
        const QImage later = headline->grab().toImage();
        EXPECT_NE(first, later);
        // The glyphs are drawn: dark pixels on the light background.
        int dark = 0;
        for (int y = 0; y < later.height(); ++y)
            for (int x = 0; x < later.width(); ++x)
                dark += qGray(later.pixel(x, y)) < 100;
        EXPECT_GT(dark, 100);
        QMetaObject::invokeMethod(dialog, &QDialog::accept, Qt::QueuedConnection);
    });
    QMetaObject::invokeMethod(m_window->action_SoftwareHelp, &QAction::trigger, Qt::QueuedConnection);
    EXPECT_TRUE(QTest::qWaitFor([&] { return moved; }, 5000));
    EXPECT_NE(about, nullptr);
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    TempDir programDir;
    g_programDir = &programDir;
    // The build's models, so that a robot can be built and saved; the
    // folders the window writes are the test's own.
    programDir.linkEntriesOf(
        MORVANE_PROGRAM_DIR, { "Temp", "XML", "StuFile", "robot", "playground", "bmp", "UserModels" });
    fs::create_directories(programDir.path() / "XML");
    fs::copy_file(
        fs::path(MORVANE_SOURCE_DIR) / "assets/XML/SetUp_View.xml", programDir.path() / "XML/SetUp_View.xml");
    platform::OverrideProgramDir(programDir.path());
    CConfig& config = CConfig::Instance();
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    QApplication app(argc, argv);
    // The contest host is the stand-in server.
    config.m_strNetHost = QStringLiteral("127.0.0.1");
    config.m_bNoHeartbeat = true;
    ServerLink::Timing timing;
    timing.replyTimeoutMs = kReplyTimeoutMs;
    config.InitNet(timing);
    const int result = RUN_ALL_TESTS();
    config.ShutdownNet();
    return result;
}
