#pragma once

// The one way both programs end on SIGTERM, SIGINT or SIGHUP: the Qt event
// loop returns, and the program goes on with what follows it (saving its
// settings, closing its connections). Header-only, so that the platform
// library itself does without Qt; include it from a Qt program.

#include "platform/TerminationSignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

namespace platform {

// Makes the application's event loop return on a termination signal. False
// when the signals cannot be caught (the program then ends the hard way).
inline bool QuitOnTerminationSignal(QCoreApplication& app) {
    const int fd = TerminationSignalFd();
    if (fd < 0)
        return false;
    auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [fd] {
        DrainTerminationSignals(fd);
        QCoreApplication::quit();
    });
    return true;
}

} // namespace platform
