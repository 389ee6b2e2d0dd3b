// The classroom server's entry point: the teacher starts it, it shows its
// window and stores the bundles that the classroom's simulators submit.

#include "platform/TerminationSignals.h"
#include "server/Server.h"

#include <QApplication>
#include <QSocketNotifier>

#include <unistd.h>

int main(int argc, char** argv) {
    QApplication app(argc, argv);

    // A terminated session or Ctrl+C ends the event loop the orderly way, so
    // receivers drop their half-received bundles before the program goes.
    const int quitFd = platform::TerminationSignalFd();
    if (quitFd >= 0) {
        auto* quitNotifier = new QSocketNotifier(quitFd, QSocketNotifier::Read, &app);
        QObject::connect(quitNotifier, &QSocketNotifier::activated, &app, [quitFd] {
            char buffer[16];
            while (read(quitFd, buffer, sizeof buffer) > 0) { }
            QCoreApplication::quit();
        });
    }

    Server window;
    window.show();
    QApplication::exec();
    return 0;
}
