// Every program of window tests runs its cases one after the other in one
// process as well as each on its own: what one case leaves of the
// application must not reach the next. Closing the main window asks the
// application to quit, which would end every modal loop of the cases after
// it; the request is taken back when a case ends.

#include "support/QuitRequest.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

namespace testsupport {

bool TakeQuitRequest() {
    if (!QCoreApplication::instance())
        return false;
    // A loop started after a quit request returns at once, running nothing.
    bool ran = false;
    {
        QEventLoop probe;
        QTimer::singleShot(0, &probe, [&] {
            ran = true;
            probe.quit();
        });
        probe.exec();
    }
    if (ran)
        return false;
    // Only the application's own loop clears the request, as it starts; it
    // is ended again as soon as it runs.
    QTimer::singleShot(0, QCoreApplication::instance(), [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
    return true;
}

} // namespace testsupport

namespace {

class GuiCaseGuard : public testing::EmptyTestEventListener {
    void OnTestEnd(const testing::TestInfo&) override { testsupport::TakeQuitRequest(); }
};

[[maybe_unused]] const bool g_guarded = [] {
    testing::UnitTest::GetInstance()->listeners().Append(new GuiCaseGuard);
    return true;
}();

} // namespace
