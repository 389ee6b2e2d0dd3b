// The link to the teacher's ClassServer as a simulator in classroom mode
// opens it at start, against a listener of the test's own on the classroom
// port: an address that does not answer is asked for again, and what the
// student enters is kept for the next start.

#include "dialogs/CInputDlg.h"
#include "foundation/CConfig.h"
#include "platform/ProgramDir.h"
#include "support/ModalWatcher.h"
#include "support/QtPrint.h"
#include "support/TempDir.h"
#include "support/VisibleText.h"
#include "window/CMainDlg.h"

#include "OwnProgramFolder.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <optional>

using testsupport::ModalWatcher;
using testsupport::TempDir;

namespace {

TempDir* g_programDir = nullptr;

// The teacher's PC: ClassServer listens on 127.0.0.1 only, so that nothing
// answers on the classroom port at 127.0.0.2.
const QString kTeacher = QStringLiteral("127.0.0.1");
const QString kNobody = QStringLiteral("127.0.0.2");

class ClassroomLink : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_listener.listen(QHostAddress(kTeacher), CConfig::kClassroomPort))
            << m_listener.errorString().toStdString();
        CConfig& config = CConfig::Instance();
        config.SetLanguage(1, false);
        config.m_nRunMode = RunModeClassroom;
        // The student answers the address question from a list: an address
        // to enter, or nothing to give it up.
        m_watcher.SetHandler([this](QWidget* modal) {
            auto* input = qobject_cast<CInputDlg*>(modal);
            if (!input || input == m_lastInput || m_answers.empty())
                return;
            m_lastInput = input;
            m_asked << input->LineEdit()->text();
            const QLabel* prompt = input->findChild<QLabel*>();
            m_prompts << prompt->text();
            m_promptsCut += testsupport::CutText(*prompt);
            // Behind the dialog, nothing chosen yet on the robot page: its
            // edit tools are greyed, as on any other start.
            for (QAction* tool : { m_window->action_ModelRotate_X, m_window->action_ModelMove,
                     m_window->action_ModelDelete }) {
                const QWidget* button = m_window->OperatorToolBar()->widgetForAction(tool);
                if (button && button->isEnabled())
                    m_toolsEnabled << tool->text();
            }
            const std::optional<QString> answer = m_answers.front();
            m_answers.pop_front();
            if (!answer) {
                ModalWatcher::Post(input->ButtonNo());
                return;
            }
            input->LineEdit()->setText(*answer);
            ModalWatcher::Post(input->ButtonOK());
        });
    }

    void TearDown() override {
        m_window.reset();
        CConfig::Instance().CloseConnection();
    }

    // The program starts as its entry function starts it in classroom mode.
    void Start(const QString& stored) {
        CConfig& config = CConfig::Instance();
        config.CloseConnection();
        config.m_strClassHost = stored;
        config.SaveSettings();
        m_asked.clear();
        m_window = std::make_unique<Ui::CMainDlg>(config);
        m_window->show();
        m_window->f_ConnectClassroom();
    }

    static bool Connected() {
        const QTcpSocket* socket = CConfig::Instance().m_pSocket;
        return socket && socket->state() == QAbstractSocket::ConnectedState;
    }

    // What the next start finds in the settings file.
    static QString StoredOnDisk() { return CConfig(g_programDir->qpath()).m_strClassHost; }

    int Accepted() {
        int count = 0;
        while (QTcpSocket* socket = m_listener.nextPendingConnection()) {
            socket->deleteLater();
            ++count;
        }
        return count;
    }

    QTcpServer m_listener;
    ModalWatcher m_watcher;
    std::unique_ptr<Ui::CMainDlg> m_window;
    std::deque<std::optional<QString>> m_answers;
    QStringList m_asked;
    QStringList m_prompts;
    QString m_promptsCut;
    QStringList m_toolsEnabled;
    QPointer<CInputDlg> m_lastInput;
};

} // namespace

TEST_F(ClassroomLink, AnAddressThatDoesNotAnswerIsAskedForAgainAndWhatIsEnteredIsKept) {
    // The teacher's PC got a new address: the stored one is offered for
    // correction. Given up, the simulator goes on without the link and
    // keeps what it had.
    m_answers = { std::nullopt };
    Start(kNobody);
    EXPECT_EQ(m_asked, QStringList { kNobody });
    // Asked again, with why: shown whole.
    EXPECT_EQ(m_prompts,
        QStringList { QStringLiteral(
            "The teacher's server at 127.0.0.2 did not answer.\nAddress of the teacher's ClassServer:") });
    EXPECT_EQ(m_promptsCut, QString());
    EXPECT_EQ(m_toolsEnabled, QStringList());
    EXPECT_FALSE(Connected());
    EXPECT_EQ(CConfig::Instance().m_strClassHost, kNobody);
    EXPECT_EQ(StoredOnDisk(), kNobody);
    EXPECT_TRUE(m_answers.empty());

    // Next start: a wrong address entered is kept and asked for again in
    // turn; the right one connects and is kept for the start after.
    m_answers = { QStringLiteral(" 127.0.0.3 "), kTeacher };
    m_prompts.clear();
    Start(kNobody);
    EXPECT_EQ(m_asked, (QStringList { kNobody, QStringLiteral("127.0.0.3") }));
    ASSERT_EQ(m_prompts.size(), 2);
    EXPECT_TRUE(m_prompts[1].startsWith(QStringLiteral("The teacher's server at 127.0.0.3 did not answer.")))
        << m_prompts[1].toStdString();
    EXPECT_TRUE(Connected());
    EXPECT_TRUE(QTest::qWaitFor([this] { return m_listener.hasPendingConnections(); }, 5000));
    EXPECT_EQ(Accepted(), 1);
    EXPECT_EQ(CConfig::Instance().m_strClassHost, kTeacher);
    EXPECT_EQ(StoredOnDisk(), kTeacher);

    // An address that answers asks nothing.
    Start(kTeacher);
    EXPECT_TRUE(m_asked.isEmpty());
    EXPECT_TRUE(Connected());
    EXPECT_TRUE(QTest::qWaitFor([this] { return m_listener.hasPendingConnections(); }, 5000));
    EXPECT_EQ(Accepted(), 1);
}

TEST_F(ClassroomLink, WithoutAnAddressTheStudentIsAskedForOne) {
    m_answers = { kTeacher };
    Start(QString());
    EXPECT_EQ(m_asked, QStringList { QString() });
    // Nothing was tried: nothing to say why.
    EXPECT_EQ(m_prompts, QStringList { QStringLiteral("Address of the teacher's ClassServer:") });
    EXPECT_TRUE(Connected());
    EXPECT_EQ(StoredOnDisk(), kTeacher);

    // Nothing entered is no address: nothing is stored.
    m_answers = { QStringLiteral("  ") };
    Start(QString());
    EXPECT_EQ(m_asked, QStringList { QString() });
    EXPECT_FALSE(Connected());
    EXPECT_EQ(StoredOnDisk(), QString());
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // A program folder of this process's own, with its own settings.
    TempDir programDir;
    g_programDir = &programDir;
    windowtest::MakeOwnProgramFolder(programDir, { "SetUp_View.xml" });
    platform::OverrideProgramDir(programDir.path());
    CConfig& config = CConfig::Instance();
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    QApplication app(argc, argv);
    config.m_bNoHeartbeat = true;
    config.InitNet();
    const int result = RUN_ALL_TESTS();
    config.ShutdownNet();
    return result;
}
