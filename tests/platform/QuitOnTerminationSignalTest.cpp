#include "platform/QuitOnTerminationSignal.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>

namespace {

// The application's loop, or 3 when it had to be ended by the fail-safe.
int RunLoop(QCoreApplication& app) {
    QTimer failSafe;
    failSafe.setSingleShot(true);
    QObject::connect(&failSafe, &QTimer::timeout, [] { QCoreApplication::exit(3); });
    failSafe.start(5000);
    return app.exec();
}

} // namespace

TEST(QuitOnTerminationSignal, ASignalBeforeTheLoopRunsStillEndsIt) {
    int argc = 1;
    char name[] = "test";
    char* argv[] = { name, nullptr };
    QCoreApplication app(argc, argv);
    ASSERT_TRUE(platform::QuitOnTerminationSignal(app));

    // The signal comes while the program still builds its window, handling
    // events by hand.
    ASSERT_EQ(std::raise(SIGTERM), 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(RunLoop(app), 0);
}

TEST(QuitOnTerminationSignal, ASignalDuringADialogEndsTheProgramNotOnlyTheDialog) {
    int argc = 1;
    char name[] = "test";
    char* argv[] = { name, nullptr };
    QCoreApplication app(argc, argv);
    ASSERT_TRUE(platform::QuitOnTerminationSignal(app));

    // A dialog's own loop, asked something before the window's loop runs.
    QEventLoop dialog;
    QTimer::singleShot(0, [] { std::raise(SIGINT); });
    QTimer failSafe;
    QObject::connect(&failSafe, &QTimer::timeout, &dialog, [&] { dialog.exit(3); });
    failSafe.start(5000);
    EXPECT_EQ(dialog.exec(), 0);
    EXPECT_EQ(RunLoop(app), 0);
}
