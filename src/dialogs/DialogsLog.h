#pragma once

#include <QLoggingCategory>

// Warnings of the dialogs ("morvane.dialogs"), such as a language that lacks
// a dialog's texts.
Q_DECLARE_LOGGING_CATEGORY(lcDialogs)
