// The classroom server's entry point: the teacher starts it, it shows its
// window and stores the bundles that the classroom's simulators submit.

#include "platform/QuitOnTerminationSignal.h"
#include "server/Server.h"

#include <QApplication>

#include <csignal>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // A terminated session or Ctrl+C ends the event loop the orderly way, so
    // receivers drop their half-received bundles before the program goes.
    platform::QuitOnTerminationSignal(app);
    // A file-size limit set in the teacher's shell would otherwise end the
    // server in the middle of a large bundle; ignored, the write fails and
    // the receiver logs the reason and goes on.
    std::signal(SIGXFSZ, SIG_IGN);

    Server window;
    window.show();
    QApplication::exec();
    return 0;
}
