#include "server/BundleScoreText.h"

#include "classlink/C3DFile.h"

#include <QFile>
#include <QFileInfo>
#include <QTextCodec>

#include <algorithm>

QString ReadBundleScoreText(const QString& path) {
    // Only a regular file: opening a pipe (or a link to one) named like a
    // bundle would wait for a writer for ever, and the refresh with it.
    if (!QFileInfo(path).isFile())
        return QString();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const qint64 size = file.size();
    const QByteArray start = file.read(C3DFile::kMaxHeaderSize);
    const C3DFile::Header header = C3DFile::ParseHeader(start, size);
    if (!C3DFile::IsValid(header, size, C3DFile::Reader::Server))
        return QString();
    if (!file.seek(header.headerLength))
        return QString();
    const QByteArray bytes = file.read(std::min(header.textLength, kScoreTextPrefix));

    // A character cut by the prefix's end is left out by the codec.
    static QTextCodec* const gbk = QTextCodec::codecForName("GBK");
    const QString text = gbk ? gbk->toUnicode(bytes) : QString::fromLocal8Bit(bytes);
    qsizetype from = 0;
    while (from < text.size() && text.at(from).isSpace())
        ++from;
    qsizetype to = from;
    while (to < text.size() && !text.at(to).isSpace() && text.at(to) != QLatin1Char('<'))
        ++to;
    return text.mid(from, to - from);
}
