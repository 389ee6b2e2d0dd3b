// The simulator's entry point.

#include "foundation/CConfig.h"
#include "foundation/StartUp.h"
#include "platform/QuitOnTerminationSignal.h"
#include "window/CMainDlg.h"

#include <QApplication>
#include <QFont>
#include <QIODevice>
#include <QPixmap>
#include <QSplashScreen>
#include <QTextStream>
#include <QTimer>

#include <memory>

namespace {

// The configuration exists before the entry function runs, so the settings
// and the set-up file are loaded by the time the window is built.
CConfig& g_config = CConfig::Instance();

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QCoreApplication::addLibraryPath(g_config.InProgramDir(QStringLiteral("plugins")));

    QTextStream in(stdin, QIODevice::ReadOnly);
    QTextStream out(stdout, QIODevice::WriteOnly);
    QTextStream err(stderr, QIODevice::WriteOnly);
    QFont font(QStringLiteral("Times"), 11, QFont::Normal, false);
    QApplication::setFont(font);

    // The link runs without a heartbeat.
    InitNetWithoutHeartbeat(g_config);

    auto splash = std::make_unique<QSplashScreen>(QPixmap());
    f_SplashScreen(splash.get(), g_config);
    QCoreApplication::processEvents();

    RaisePriorityOnFastMachine();

    // A terminated session or Ctrl+C closes the window the orderly way.
    platform::QuitOnTerminationSignal(app);

    Ui::CMainDlg window(g_config);
    window.FrameLoop().Start();
    window.showMaximized();
    splash->finish(&window);
    splash.reset();
    // In classroom mode the link to the teacher's ClassServer opens as soon
    // as the window is up.
    if (g_config.m_nRunMode == RunModeClassroom)
        window.f_ConnectClassroom();
    window.FrameTimer()->start(1);
    QApplication::exec();
    // The socket and its timers must not outlive the application object.
    g_config.ShutdownNet();
    return 0;
}
