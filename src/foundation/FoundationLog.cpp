#include "foundation/FoundationLog.h"

// Debug lines only when asked for (QT_LOGGING_RULES="morvane.foundation.debug=true").
Q_LOGGING_CATEGORY(lcFoundation, "morvane.foundation", QtInfoMsg)
