#include "dialogs/DialogsLog.h"

Q_LOGGING_CATEGORY(lcDialogs, "morvane.dialogs")
