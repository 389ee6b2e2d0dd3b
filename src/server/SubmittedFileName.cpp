#include "server/SubmittedFileName.h"

#include "platform/ProgramDir.h"

#include <QRegularExpression>

namespace {

const char* const kDefaultFolder = "StuFile";
// Room left for the name in a 255-byte file name after "_", an address,
// "_", the date and time and ".3d".
constexpr qsizetype kMaxNameBytes = 200;

bool IsUnsafe(char16_t c) {
    static const QString forbidden = QStringLiteral("/\\:*\"<>?|");
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || forbidden.contains(QChar(c));
}

} // namespace

QString ResolveReceiveFolder(const QString& folder, const QString& programDir) {
    QString text = folder;
    if (text.trimmed().isEmpty())
        text = QString::fromLatin1(kDefaultFolder);
    return QString::fromStdString(
        platform::ResolveInFolder(programDir.toStdString(), text.toStdString()).string());
}

QString SafeSubmittedName(const QString& name) {
    QString safe;
    safe.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name.at(i);
        if (c.isHighSurrogate() && i + 1 < name.size() && name.at(i + 1).isLowSurrogate()) {
            safe.append(c);
            safe.append(name.at(++i));
        } else if (c.isSurrogate() || IsUnsafe(c.unicode())) {
            safe.append(QLatin1Char('_'));
        } else {
            safe.append(c);
        }
    }
    for (qsizetype i = 0; i < safe.size() && safe.at(i) == QLatin1Char('.'); ++i)
        safe[i] = QLatin1Char('_');
    if (safe.isEmpty())
        return QStringLiteral("未命名");
    // Cut whole characters (a surrogate pair is one) until the UTF-8 form fits.
    while (safe.toUtf8().size() > kMaxNameBytes) {
        const qsizetype cut = safe.size() >= 2 && safe.at(safe.size() - 1).isLowSurrogate() ? 2 : 1;
        safe.chop(cut);
    }
    return safe;
}

QString SubmittedFileName(
    const QString& folder, const QString& safeName, const QString& ip, const QDateTime& received, int copy) {
    // The copy's number goes after the time, without a "_": the score table
    // still finds the name and the address.
    return folder + QLatin1Char('/') + safeName + QLatin1Char('_') + ip + QLatin1Char('_')
        + received.toString(QStringLiteral("yyyy-M-d-H-m-s"))
        + (copy > 1 ? QStringLiteral("(%1)").arg(copy) : QString()) + QStringLiteral(".3d");
}

QString ReceivingPartName(quint64 random) {
    return QStringLiteral(".receiving-%1.part").arg(random, 16, 16, QLatin1Char('0'));
}

bool IsReceivingPartName(const QString& fileName) {
    static const QRegularExpression pattern(QStringLiteral(R"(^\.receiving-[0-9a-f]{16}\.part$)"));
    return pattern.match(fileName).hasMatch();
}
