#pragma once

#include <QLoggingCategory>

// Warnings of the scene applications ("morvane.apps"), such as a screenshot
// that could not be written.
Q_DECLARE_LOGGING_CATEGORY(lcApps)
