#pragma once

namespace testsupport {

// Whether the code under test has asked the application to quit
// (QCoreApplication::exit, as closing the main window does) since the
// request was last taken. The request is taken back: every modal loop
// started after it would otherwise end at once, and with it the cases that
// follow in the same process. Runs pending events. Call it outside any
// event loop, as a test's own code runs.
bool TakeQuitRequest();

} // namespace testsupport
