#pragma once

#include <QLoggingCategory>

// Warnings of the foundation ("morvane.foundation"): the settings and set-up
// files, the link to the server and the work folder. Tests count them.
Q_DECLARE_LOGGING_CATEGORY(lcFoundation)
