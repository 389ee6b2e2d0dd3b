// The simulator's entry point.

#include "dialogs/CInputDlg.h"
#include "foundation/CConfig.h"
#include "platform/CpuProbe.h"
#include "platform/TerminationSignals.h"
#include "window/CMainDlg.h"

#include <QApplication>
#include <QFont>
#include <QIODevice>
#include <QPixmap>
#include <QSocketNotifier>
#include <QSplashScreen>
#include <QTextStream>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <unistd.h>

namespace {

// The configuration exists before the entry function runs, so the settings
// and the set-up file are loaded by the time the window is built.
CConfig& g_config = CConfig::Instance();

void f_SplashScreen(QSplashScreen* splash) {
    const QString path = g_config.GetText("main", "f_SplashScreen", "s");
    QPixmap pixmap;
    if (!path.isEmpty())
        pixmap.load(g_config.InProgramDir(path));
    splash->setPixmap(pixmap);
    splash->show();
}

// In classroom mode the link to the teacher's ClassServer opens as soon as
// the window is up. A simulator that has no server address yet asks for it
// once and keeps it in its settings.
void f_ConnectClassroom(QWidget* window) {
    if (g_config.m_strClassHost.trimmed().isEmpty()) {
        QString host;
        CInputDlg dialog(g_config.GetText("main", "f_ConnectClassroom", "s"), &host, window);
        if (dialog.exec() == QDialog::Accepted && !host.trimmed().isEmpty()) {
            g_config.m_strClassHost = host.trimmed();
            g_config.SaveSettings();
        }
    }
    g_config.ConnectToServer(true);
}

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
    g_config.m_bNoHeartbeat = true;
    g_config.InitNet();

    auto splash = std::make_unique<QSplashScreen>(QPixmap());
    f_SplashScreen(splash.get());
    QCoreApplication::processEvents();

    if (platform::IsFastMachine(GetCpuPower()) && !platform::RaiseProcessPriority())
        std::fprintf(stderr, "Start-up: could not raise the process priority; running at normal priority\n");

    // A terminated session or Ctrl+C closes the window the orderly way.
    const int quitFd = platform::TerminationSignalFd();
    if (quitFd >= 0) {
        auto* quitNotifier = new QSocketNotifier(quitFd, QSocketNotifier::Read, &app);
        QObject::connect(quitNotifier, &QSocketNotifier::activated, &app, [quitFd] {
            char buffer[16];
            while (read(quitFd, buffer, sizeof buffer) > 0) { }
            QCoreApplication::quit();
        });
    }

    Ui::CMainDlg window;
    window.FrameLoop().Start();
    window.showMaximized();
    splash->finish(&window);
    splash.reset();
    if (g_config.m_nRunMode == RunModeClassroom)
        f_ConnectClassroom(&window);
    window.FrameTimer()->start(1);
    QApplication::exec();
    // The socket and its timers must not outlive the application object.
    g_config.ShutdownNet();
    return 0;
}
