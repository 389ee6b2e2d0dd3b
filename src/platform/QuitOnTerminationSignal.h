#pragma once

// The one way both programs end on SIGTERM, SIGINT or SIGHUP: the Qt event
// loop returns, and the program goes on with what follows it (saving its
// settings, closing its connections). Header-only, so that the platform
// library itself does without Qt; include it from a Qt program.

#include "platform/TerminationSignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

namespace platform {

// Makes the application's event loop return on a termination signal,
// whenever the signal comes. False when the signals cannot be caught (the
// program then ends the hard way).
inline bool QuitOnTerminationSignal(QCoreApplication& app) {
    const int fd = TerminationSignalFd();
    if (fd < 0)
        return false;
    // Leaving the event loops is lost while none runs (the window is still
    // being built), and ending a dialog's loop does not end the program:
    // from the signal on, it is asked for every 20 ms until the
    // application's loop has ended.
    auto* asking = new QTimer(&app);
    asking->setInterval(20);
    QObject::connect(asking, &QTimer::timeout, &app, [] { QCoreApplication::exit(0); });
    QObject::connect(&app, &QCoreApplication::aboutToQuit, asking, &QTimer::stop);
    auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [fd, asking] {
        DrainTerminationSignals(fd);
        asking->start();
    });
    return true;
}

} // namespace platform
