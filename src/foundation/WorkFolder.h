#pragma once

#include <QString>

// Deletes the working folder with everything in it and makes it again,
// empty. A symbolic link in its place is removed, never followed, so nothing
// outside the folder is touched. Failures are warnings of the foundation.
bool RecreateWorkFolder(const QString& path);
