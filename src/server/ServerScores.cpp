// The score table: one row per stored bundle, read back from the files alone.

#include "classlink/C3DFile.h"
#include "server/Server.h"
#include "server/SubmittedFileName.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTableWidget>
#include <QTextCodec>

namespace {

// Bytes of the result text's first word looked at beyond the text itself:
// the word normally ends at the robot file's "<", and a bundle without
// white space or "<" there must not make us read (and decode) a whole DLL.
constexpr qint64 kWordSlack = 1024;

// The score text of a bundle: the first white-space-delimited word after the
// header, up to its first "<". Empty when the file is no valid bundle.
QString ReadScoreText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const qint64 size = file.size();
    if (size <= 14)
        return QString();
    const QByteArray start = file.read(C3DFile::kMaxHeaderSize);
    const C3DFile::Header header = C3DFile::ParseHeader(start, size);
    if (!C3DFile::IsValid(header, size, C3DFile::Reader::Server))
        return QString();
    if (!file.seek(header.headerLength))
        return QString();
    const QByteArray bytes = file.read(header.textLength + kWordSlack);

    // The simulators write the result text in GBK.
    static QTextCodec* const gbk = QTextCodec::codecForName("GBK");
    const QString text = gbk ? gbk->toUnicode(bytes) : QString::fromLocal8Bit(bytes);
    qsizetype from = 0;
    while (from < text.size() && text.at(from).isSpace())
        ++from;
    qsizetype to = from;
    while (to < text.size() && !text.at(to).isSpace())
        ++to;
    const QString word = text.mid(from, to - from);
    const qsizetype angle = word.indexOf(QLatin1Char('<'));
    return angle < 0 ? word : word.left(angle);
}

} // namespace

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
        table->setItem(row, 2, new QTableWidgetItem(ReadScoreText(entry.absoluteFilePath())));

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
