#pragma once

#include <QIcon>
#include <QLatin1String>
#include <QString>

namespace Ui {

// A picture of the window, compiled into the program under this folder.
inline QIcon WindowPicture(const char* file) {
    return QIcon(QStringLiteral(":/Sorvik/images/1013/") + QLatin1String(file));
}

} // namespace Ui
