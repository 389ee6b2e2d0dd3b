#include "window/WindowLog.h"

Q_LOGGING_CATEGORY(lcWindow, "morvane.window")
