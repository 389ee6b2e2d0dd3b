// The score table: one row per stored bundle, read back from the files alone.

#include "server/BundleScoreText.h"
#include "server/Server.h"
#include "server/SubmittedFileName.h"

#include <QDir>
#include <QFileInfo>
#include <QTableWidget>

void Server::RefreshScores() {
    m_nTick = 0;
    QTableWidget* table = ui.m_listScore;
    // While sorted by a column, a row would move as its first cell is set and
    // the other cells would land in other rows.
    const bool sorting = table->isSortingEnabled();
    table->setSortingEnabled(false);
    table->clearContents();
    table->setRowCount(0);

    const QDir dir(ResolveReceiveFolder(m_sFolder, m_receiverOptions.programDir));
    const QFileInfoList entries = dir.entryInfoList({ QStringLiteral("*.3d") },
        QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    table->setRowCount(static_cast<int>(entries.size()));
    for (int row = 0; row < static_cast<int>(entries.size()); ++row) {
        const QFileInfo& entry = entries.at(row);
        table->setItem(row, 2, new QTableWidgetItem(ReadBundleScoreText(entry.absoluteFilePath())));

        // Name, address and time, split from the right so that a name may
        // hold "_" itself.
        const QString name = entry.completeBaseName();
        const qsizetype last = name.lastIndexOf(QLatin1Char('_'));
        const qsizetype secondLast = last > 0 ? name.lastIndexOf(QLatin1Char('_'), last - 1) : -1;
        if (secondLast < 0) {
            table->setItem(row, 0, new QTableWidgetItem(QString()));
            table->setItem(row, 1, new QTableWidgetItem(name));
            table->setItem(row, 3, new QTableWidgetItem(QString()));
        } else {
            table->setItem(row, 0, new QTableWidgetItem(name.mid(secondLast + 1, last - secondLast - 1)));
            table->setItem(row, 1, new QTableWidgetItem(name.left(secondLast)));
            table->setItem(row, 3, new QTableWidgetItem(name.mid(last + 1)));
        }
    }
    table->setSortingEnabled(sorting);
}
