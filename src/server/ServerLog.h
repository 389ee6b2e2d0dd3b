#pragma once

#include <QLoggingCategory>

// Warnings of the classroom server's code ("morvane.server"), apart from the
// window's own log, which is the teacher's.
Q_DECLARE_LOGGING_CATEGORY(lcServer)
