#include "apps/AppsLog.h"

Q_LOGGING_CATEGORY(lcApps, "morvane.apps")
