// The parts of start-up and the message boxes that the configuration owns,
// under a display.

#include "foundation/StartUp.h"
#include "foundation/CConfig.h"
#include "platform/CpuProbe.h"
#include "support/FileSizeLimit.h"
#include "support/QtPrint.h"
#include "support/TempDir.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QSplashScreen>
#include <QTcpSocket>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

using testsupport::TempDir;

namespace {

const char* const kSetUp = R"(<?xml version="1.0" encoding="UTF-8"?>
<data>
  <program><studio0/></program>
  <language><language name="中文"><class>
    <main><f_SplashScreen s="images/splash.png"/></main>
    <CConfig>
      <f_TipsDlg sTitle="提示" sOK="确定"/>
      <f_ConnectTips sOK="未连接" sServer="服务器出错" sSql="数据库出错" sConnect="连接失败" sNo="连接已断开"/>
      <SaveSettings s="设置没有保存:" sSystem="原因: %1"/>
    </CConfig>
    <CMainDlg><slot_SaveAs s="已保存"/></CMainDlg>
  </class></language></language>
</data>)";

// A message box as the user saw it.
struct Box {
    QString title;
    QString text;
    QStringList buttons;
    bool operator==(const Box&) const = default;
};

void PrintTo(const Box& box, std::ostream* os) {
    *os << "box \"" << box.title.toStdString() << "\": \"" << box.text.toStdString() << "\" ["
        << box.buttons.join(QLatin1Char(',')).toStdString() << "]";
}

// Plays the user while it exists: notes every message box that comes up
// and presses its first button.
class BoxWatcher {
public:
    BoxWatcher() {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            Box seen { box->windowTitle(), box->text(), {} };
            for (QAbstractButton* button : box->buttons())
                seen.buttons << button->text();
            m_boxes.push_back(seen);
            box->buttons().value(0)->click();
        });
        m_timer.start(10);
    }

    const std::vector<Box>& boxes() const { return m_boxes; }

private:
    QTimer m_timer;
    std::vector<Box> m_boxes;
};

class StartUpTest : public testing::Test {
protected:
    StartUpTest() {
        m_dir.write("XML/SetUp_View.xml", kSetUp);
        m_config = std::make_unique<CConfig>(m_dir.qpath());
    }

    TempDir m_dir;
    std::unique_ptr<CConfig> m_config;
};

} // namespace

TEST_F(StartUpTest, SplashShowsThePictureNamedByItsText) {
    QImage picture(24, 12, QImage::Format_RGB32);
    picture.fill(Qt::darkBlue);
    std::filesystem::create_directories(m_dir.path() / "images");
    ASSERT_TRUE(picture.save(m_dir.qpath() + QStringLiteral("/images/splash.png")));

    QSplashScreen splash;
    f_SplashScreen(&splash, *m_config);
    EXPECT_TRUE(splash.isVisible());
    EXPECT_EQ(splash.pixmap().size(), QSize(24, 12));

    // Without the text (here: no language) the splash shows empty.
    m_config->SetLanguage(1, false);
    QSplashScreen empty;
    f_SplashScreen(&empty, *m_config);
    EXPECT_TRUE(empty.isVisible());
    EXPECT_TRUE(empty.pixmap().isNull());
}

TEST_F(StartUpTest, TheLinkIsSetUpWithoutAHeartbeat) {
    InitNetWithoutHeartbeat(*m_config);
    EXPECT_TRUE(m_config->m_bNoHeartbeat);
    ASSERT_NE(m_config->m_pSocket, nullptr);
    EXPECT_EQ(m_config->m_pHeartTimer, nullptr);
    m_config->ShutdownNet();
}

TEST_F(StartUpTest, TipBoxesCarryTheTextsOfTheLanguage) {
    BoxWatcher user;
    m_config->f_TipsDlg(QStringLiteral("正文"));
    m_config->ShowTips("CMainDlg", "slot_SaveAs", "s");
    const Box expected[] = {
        { QStringLiteral("提示"), QStringLiteral("正文"), { QStringLiteral("确定") } },
        { QStringLiteral("提示"), QStringLiteral("已保存"), { QStringLiteral("确定") } },
    };
    EXPECT_EQ(user.boxes(), std::vector<Box>(std::begin(expected), std::end(expected)));
}

TEST_F(StartUpTest, EveryKindOfConnectTipsShowsOrReturnsItsText) {
    BoxWatcher user;
    // 0 is a status text to show elsewhere; any kind past 3 the closed link.
    EXPECT_EQ(m_config->f_ConnectTips(0), QStringLiteral("未连接"));
    EXPECT_EQ(m_config->f_ConnectTips(4), QStringLiteral("连接已断开"));
    EXPECT_EQ(m_config->f_ConnectTips(-1), QStringLiteral("连接已断开"));
    EXPECT_TRUE(user.boxes().empty());

    // 1, 2 and 3 are told in a tip box, and return nothing.
    const QString shown[]
        = { QStringLiteral("服务器出错"), QStringLiteral("数据库出错"), QStringLiteral("连接失败") };
    for (int kind = 1; kind <= 3; ++kind) {
        SCOPED_TRACE(kind);
        EXPECT_TRUE(m_config->f_ConnectTips(kind).isEmpty());
        ASSERT_EQ(user.boxes().size(), static_cast<size_t>(kind));
        EXPECT_EQ(user.boxes().back(),
            (Box { QStringLiteral("提示"), shown[kind - 1], { QStringLiteral("确定") } }));
    }
}

// A settings save the user asked for (a language chosen) that the disk
// cannot take is told in a box, with the file and the system's reason; the
// settings saved before stay. One that works says nothing.
TEST_F(StartUpTest, ASettingsSaveThatDoesNotFitIsToldWithTheReason) {
    ASSERT_TRUE(m_config->SaveSettings());
    const QByteArray before = m_dir.read("XML/Settings.dat");
    m_config->m_nLevel = 7;
    BoxWatcher user;
    {
        const testsupport::FileSizeLimit full(10);
        m_config->SetLanguage(0, true);
    }
    const Box told { QStringLiteral("提示"),
        QStringLiteral("设置没有保存:\n") + QDir::toNativeSeparators(m_dir.qpath())
            + QStringLiteral("/XML/Settings.dat\n原因: File too large"),
        { QStringLiteral("确定") } };
    EXPECT_EQ(user.boxes(), std::vector<Box> { told });
    EXPECT_EQ(m_dir.read("XML/Settings.dat"), before);
    m_config->SetLanguage(0, true);
    EXPECT_EQ(user.boxes().size(), 1u);
    EXPECT_EQ(CConfig(m_dir.qpath()).m_nLevel, 7);
}

namespace {

int g_shown = 0;
int g_debug = 0;

void CountFoundationMessages(QtMsgType type, const QMessageLogContext& context, const QString&) {
    if (!context.category || std::strcmp(context.category, "morvane.foundation") != 0)
        return;
    ++(type == QtDebugMsg ? g_debug : g_shown);
}

// In a process of its own, as a user who may not raise the priority: how
// many lines the start-up's priority step gives, shown by default (tens)
// and at debug level (ones).
int PriorityMessages(bool debugOn) {
    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && setuid(65534) != 0)
            _exit(99);
        qInstallMessageHandler(CountFoundationMessages);
        if (debugOn)
            QLoggingCategory::setFilterRules(QStringLiteral("morvane.foundation.debug=true"));
        RaisePriorityOnFastMachine();
        _exit(g_shown * 10 + g_debug);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

} // namespace

// Normal priority is the normal case: a user who may not raise it is told
// so only at debug level, once.
TEST(StartUp, ThePriorityThatCannotBeRaisedIsSaidOnceAtDebugLevel) {
    if (!platform::IsFastMachine(GetCpuPower()))
        GTEST_SKIP() << "a slow machine asks for no raised priority";
    EXPECT_EQ(PriorityMessages(false), 0) << "lines shown by default (tens) and at debug level (ones)";
    EXPECT_EQ(PriorityMessages(true), 1) << "lines shown by default (tens) and at debug level (ones)";
}
