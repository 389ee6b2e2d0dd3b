#pragma once

#include <QLoggingCategory>

// Warnings of the main window and its pages ("morvane.window"); what the
// user must know is shown in the window itself.
Q_DECLARE_LOGGING_CATEGORY(lcWindow)
